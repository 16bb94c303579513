"""Speed of the expansion front of model 1 along a row of demes.

Linearised at the leading edge, where sizes are far below K, one generation of model 1 in the
interior of a row (two eligible neighbours of equal friction, each receiving half of the
emigrants) maps n(x) to (1 + r) [(1 - m) n(x) + m/2 (n(x - 1) + n(x + 1))]. An exponential
profile exp(-lambda x) then moves at c(lambda) = omega(lambda) / lambda, with
omega(lambda) = ln[(1 + r)(1 - m + m cosh lambda)]; the pulled front of the lattice travels at
the minimum c* = c(lambda*) (the travelling-wave speed of the discrete lattice).

Individuals are whole, and a deme sends nobody while its emigrants n' m are below one, so the
leading edge is cut off at about 1/(K m) of the bulk density. The cut-off front is slower by the
Brunet-Derrida correction, pi^2 omega''(lambda*) / (2 (ln(K m))^2).
"""

from __future__ import annotations

import dataclasses
import math

import numpy as np
import scipy.optimize


@dataclasses.dataclass
class FrontSpeed:
    linear: float  # c*, cells per generation
    decay: float  # lambda*
    cutoff: float  # c* minus the cut-off correction


def omega(lam: float, r: float, m: float) -> float:
    return math.log((1.0 + r) * (1.0 - m + m * math.cosh(lam)))


def front_speed(r: float, m: float, K: int) -> FrontSpeed:
    result = scipy.optimize.minimize_scalar(
        lambda lam: omega(lam, r, m) / lam, bounds=(1e-4, 30.0), method="bounded",
        options={"xatol": 1e-12},
    )
    lam = float(result.x)
    # omega'' in closed form
    a = 1.0 - m + m * math.cosh(lam)
    second = m * math.cosh(lam) / a - (m * math.sinh(lam) / a) ** 2
    speed = omega(lam, r, m) / lam
    cutoff = speed - math.pi**2 * second / (2.0 * math.log(K * m) ** 2)
    return FrontSpeed(speed, lam, cutoff)


def measured_speed(sizes: np.ndarray, K: int, start: int, stop_cell: int) -> tuple[float, np.ndarray]:
    """Slope of the position of the front (number of demes at K/2 or more) against the
    generation, fitted from generation `start` while the front is short of `stop_cell`; also
    returns the positions."""
    position = (sizes >= K / 2).sum(axis=1)
    generations = np.arange(sizes.shape[0])
    used = (generations >= start) & (position < stop_cell)
    slope = float(np.polyfit(generations[used], position[used], 1)[0])
    return slope, position

"""Law of the coalescence time of two genes in a world of demes, by the backward migration
recursion over the stored demography (sizes and arrivals by side at every generation).

The rules are those the walk applies to two lineages, stated from the stored numbers alone:
- one step per generation d = EndTime, ..., 1 (step E = EndTime - d + 1);
- two lineages in the same deme of size N coalesce in the step with probability 1/N (the
  single-precision value the walk computes), before they migrate;
- migration reads the h arrivals of generation d in the deme and its size N_{d-1} one generation
  earlier: a lineage takes one of the deme's N individuals without replacement, and moves to the
  side its immigrant came from (probability n_side / h given that it moves); when the deme was
  empty at d - 1, or holds more lineages than N_{d-1} individuals, the lineage must take an
  immigrant; once the immigrants run out in a deme empty at d - 1, what is left goes to a
  populated neighbour (uniform among them);
- lineages in different demes move independently; a lineage that moved takes no further part in
  the step;
- at generation 0 the two lineages, now in the source, end in continuous time: the pair joins
  floor(N0 X) generations later, X exponential of mean 1, so the node time is EndTime + 1 +
  floor(N0 X).
Nothing here reads the simulator's code; the only input is the demography it stored.
"""

from __future__ import annotations

import dataclasses
import math

import numpy as np

from harness import Demography

F32 = np.float32


def _coalescence(size: int) -> float:
    if size <= 0:
        return 0.0
    return float(F32(1.0) / F32(size) * F32(0.5) * F32(2.0) * F32(1.0))


@dataclasses.dataclass
class PairLaw:
    pmf: np.ndarray  # probability of coalescence at node time E = 0..EndTime (discrete part)
    finish_mass: float  # probability that both lineages reach the source at generation 0
    finish_size: int  # N0 of the continuous finish
    unfinished: float  # probability that the pair is elsewhere at generation 0
    end_time: int

    @property
    def finish_offset(self) -> int:
        return self.end_time + 1

    def _geometric(self):
        """Mean and variance of floor(N0 X)."""
        a = math.exp(1.0 / self.finish_size)
        return 1.0 / (a - 1.0), a / (a - 1.0) ** 2

    def mean(self) -> float:
        """Mean node time of the pair, given that the genealogy finished."""
        t = np.arange(self.pmf.size)
        g_mean, _ = self._geometric()
        total = (t * self.pmf).sum() + self.finish_mass * (self.finish_offset + g_mean)
        return float(total / (self.pmf.sum() + self.finish_mass))

    def variance(self) -> float:
        t = np.arange(self.pmf.size, dtype=float)
        g_mean, g_var = self._geometric()
        f_mean = self.finish_offset + g_mean
        second = (t * t * self.pmf).sum() + self.finish_mass * (g_var + f_mean * f_mean)
        mass = self.pmf.sum() + self.finish_mass
        return float(second / mass - self.mean() ** 2)

    def cdf(self, x: np.ndarray) -> np.ndarray:
        """P(time <= x) given that the genealogy finished, for integer x."""
        x = np.asarray(x, dtype=np.int64)
        c = np.cumsum(self.pmf)
        discrete = np.where(x >= self.pmf.size - 1, c[-1], c[np.clip(x, 0, self.pmf.size - 1)])
        m = x - self.finish_offset  # floor(N0 X) <= m
        tail = np.where(m >= 0, -np.expm1(-(np.clip(m, 0, None) + 1) / self.finish_size), 0.0)
        return (discrete + self.finish_mass * tail) / (c[-1] + self.finish_mass)


def _side_targets(demo: Demography, cell: int) -> np.ndarray:
    return demo.neighbours[cell]


def _one_lineage(demo: Demography, d: int) -> np.ndarray:
    """M[c, c']: probability that a lineage alone in deme c at step d is in c' after it."""
    cells = demo.sizes.shape[1]
    M = np.zeros((cells, cells))
    for c in range(cells):
        arrivals = demo.arrivals[d, c]
        h = int(arrivals.sum())
        size = int(demo.sizes[d, c])
        previous = int(demo.sizes[d - 1, c])
        if h == 0:
            M[c, c] = 1.0
            continue
        move = 1.0 if previous < 1 else min(1.0, h / size)
        M[c, c] += 1.0 - move
        for side in range(4):
            if arrivals[side] > 0:
                M[c, demo.neighbours[c, side]] += move * arrivals[side] / h
    return M


def _redistribution(demo: Demography, d: int, c: int) -> dict[int, float]:
    """Where a lineage left in deme c, empty at d - 1, is sent: the populated neighbours at d - 1
    (north, south, west, east), uniformly; itself when there is none."""
    order = (0, 1, 3, 2)
    candidates = [
        demo.neighbours[c, s]
        for s in order
        if demo.neighbours[c, s] >= 0 and demo.sizes[d - 1, demo.neighbours[c, s]] > 0
    ]
    if not candidates:
        return {c: 1.0}
    return {t: 1.0 / len(candidates) for t in candidates}


def _two_lineages(demo: Demography, d: int, c: int) -> np.ndarray:
    """J[x, y]: probability that two lineages of deme c (not coalesced) are in x and y after the
    migration of step d, the first lineage examined first."""
    cells = demo.sizes.shape[1]
    J = np.zeros((cells, cells))
    arrivals = demo.arrivals[d, c].astype(np.int64)
    h = int(arrivals.sum())
    size = int(demo.sizes[d, c])
    previous = int(demo.sizes[d - 1, c])
    if h == 0:
        J[c, c] = 1.0
        return J
    targets = demo.neighbours[c]
    forced_two = 2 > previous
    forced_one = previous < 1
    p_first = 1.0 if forced_two else min(1.0, h / size)

    def second(counts: np.ndarray, available: int, remaining: int, forced: bool):
        """Destinations of the second lineage: list of (cell, probability)."""
        if available == 0:
            return list(_redistribution(demo, d, c).items()) if previous < 1 else [(c, 1.0)]
        move = 1.0 if forced else min(1.0, available / remaining)
        out = [(c, 1.0 - move)]
        for side in range(4):
            if counts[side] > 0:
                out.append((targets[side], move * counts[side] / available))
        return out

    for side in range(4):
        if arrivals[side] == 0:
            continue
        p = p_first * arrivals[side] / h
        counts = arrivals.copy()
        counts[side] -= 1
        for y, q in second(counts, h - 1, size - 1, forced_one):
            J[targets[side], y] += p * q
    if p_first < 1.0:
        for y, q in second(arrivals, h, size, forced_two):
            J[c, y] += (1.0 - p_first) * q
    return J


def pair_law(demo: Demography, a: int, b: int, source: int, finish_size: int = 0) -> PairLaw:
    """Law of the node time of the common ancestor of two genes sampled at EndTime in cells a
    and b. `finish_size`: N0 of the continuous finish (0: the source's size at generation 0)."""
    cells = demo.sizes.shape[1]
    T = demo.end_time
    P = np.zeros((cells, cells))
    P[a, b] = 1.0
    pmf = np.zeros(T + 1)
    for E in range(1, T + 1):
        d = T - E + 1
        coalescence = np.array([_coalescence(int(n)) for n in demo.sizes[d]])
        diagonal = np.diag(P).copy()
        pmf[E] = float((diagonal * coalescence).sum())
        off = P - np.diag(diagonal)
        M = _one_lineage(demo, d)
        P = M.T @ off @ M
        together = diagonal * (1.0 - coalescence)
        for c in np.nonzero(together > 0)[0]:
            P += together[c] * _two_lineages(demo, d, int(c))
    finish = float(P[source, source])
    N0 = finish_size if finish_size > 0 else int(demo.sizes[0, source])
    return PairLaw(pmf, finish, N0, float(P.sum() - finish), T)

"""Test statistics of the suite: a z test of a mean and a chi-square test of a discrete law."""

from __future__ import annotations

import dataclasses
import math

import numpy as np
import scipy.stats


@dataclasses.dataclass
class Result:
    """One comparison of simulated replicates with an expectation."""

    check: str
    name: str
    replicates: int
    seed: int
    observed: float
    expected: float
    statistic: float
    p_value: float
    test: str  # "z", "chi2 (dof)", or "deterministic"
    standard_error: float = float("nan")
    tolerance: float = float("nan")  # deterministic checks only
    passed_alone: bool | None = None  # deterministic checks only
    corrected_p: float = float("nan")
    passed: bool = False


def z_test(check, name, values, expected, seed, sd=None) -> Result:
    """Two-sided z test of the mean of `values`; `sd`: the exact standard deviation when known,
    else the sample's."""
    values = np.asarray(values, dtype=float)
    n = values.size
    spread = float(values.std(ddof=1)) if sd is None else float(sd)
    se = spread / math.sqrt(n)
    mean = float(values.mean())
    z = (mean - expected) / se if se > 0 else (0.0 if mean == expected else math.inf)
    p = float(2.0 * scipy.stats.norm.sf(abs(z)))
    return Result(check, name, n, seed, mean, float(expected), z, p, "z", standard_error=se)


def grouped_bins(pmf: np.ndarray, bins: int = 40, offset: int = 0):
    """Upper edges (inclusive integer values) of about `bins` intervals of near-equal expected
    mass for a law on offset, offset + 1, ...; the last interval takes the rest of the line."""
    cumulative = np.cumsum(pmf) / pmf.sum()
    targets = np.arange(1, bins) / bins
    edges = np.unique(np.searchsorted(cumulative, targets))
    edges = edges[edges < pmf.size - 1]
    return edges + offset


def chi_square_test(check, name, values, cdf, edges, seed) -> Result:
    """Chi-square test of integer `values` against the law with distribution function `cdf`
    (P(X <= x) for integer x), over the intervals ending at `edges` and a last one to infinity.
    Intervals whose expected count is below 5 are merged with the next."""
    values = np.asarray(values)
    n = values.size
    upper = np.asarray(edges, dtype=np.int64)
    probabilities = np.diff(np.concatenate(([0.0], cdf(upper), [1.0])))
    counts = np.bincount(np.searchsorted(upper, values, side="left"), minlength=upper.size + 1)
    merged_p, merged_c = [], []
    p_acc, c_acc = 0.0, 0
    for p, c in zip(probabilities, counts):
        p_acc += p
        c_acc += c
        if p_acc * n >= 5:
            merged_p.append(p_acc)
            merged_c.append(c_acc)
            p_acc, c_acc = 0.0, 0
    if merged_p:
        merged_p[-1] += p_acc
        merged_c[-1] += c_acc
    expected = np.array(merged_p) * n
    observed = np.array(merged_c)
    statistic = float(((observed - expected) ** 2 / expected).sum())
    dof = len(merged_p) - 1
    p_value = float(scipy.stats.chi2.sf(statistic, dof))
    return Result(
        check, name, n, seed, statistic, float(dof), statistic, p_value, f"chi2 ({dof} dof)"
    )


def deterministic(check, name, observed, expected, tolerance, seed=0) -> Result:
    """A comparison without randomness: passes when |observed - expected| <= tolerance."""
    ok = abs(observed - expected) <= tolerance
    return Result(
        check,
        name,
        1,
        seed,
        float(observed),
        float(expected),
        float(observed - expected),
        float("nan"),
        "deterministic",
        tolerance=float(tolerance),
        passed_alone=bool(ok),
    )


def apply_bonferroni(results: list[Result], level: float = 0.001) -> int:
    """Marks every statistical result passed when its p-value times the number of statistical
    results exceeds `level`; deterministic results keep their own verdict. Returns the number of
    statistical results."""
    m = sum(1 for r in results if r.test != "deterministic")
    for r in results:
        if r.test == "deterministic":
            r.passed = bool(r.passed_alone)
        else:
            r.corrected_p = min(1.0, r.p_value * m)
            r.passed = r.corrected_p > level
    return m

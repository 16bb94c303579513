"""Exact expectations for genealogies in one deme, for the model the walk implements.

The walk of a deme of size N with k lineages, one generation step at a time: if the expected
number of coalescences k(k-1)/2 * (1/N) (single precision) is below 1, one pair, uniform among
the k(k-1)/2, coalesces with that probability; otherwise every lineage draws its parent. The
worlds of the suite keep below 1, so the number of lineages is a Markov chain with
P(k -> k-1) = P_k per step, and a given pair coalesces with probability 1/N per step whatever
the other lineages do. Node times count steps: a coalescence in step E (E = 1 at the present
generation EndTime) has time E.

Below generation 0 a non-recombining genealogy of one source ends in continuous time: with k
lineages left, the standard coalescent in units of N0 generations (N0 = the source's size before
the expansion, or its size at generation 0) gives event times S_1 < ... < S_{k-1}; each becomes
T = floor(N0 S), stretched to R + (T - R) * ratio when T > R (bottleneck of R generations,
ratio = the integer quotient of the size before the bottleneck by N0); the node time is
EndTime + 1 + T.

Everything here is computed from these rules alone (no simulation): probability mass functions
on node times by propagating the chain, the continuous part by the exact transition matrix
exp(Q / N0) of the pure-death process on a grid of 1/N0.
"""

from __future__ import annotations

import dataclasses
import math

import numpy as np
import scipy.linalg
import scipy.signal

F32 = np.float32


def coalescence_probability(k: int, size: int) -> float:
    """P_k as the walk computes it: inverseSize * 0.5 * k * (k - 1) in single precision."""
    if k < 2 or size <= 0:
        return 0.0
    inverse = F32(1.0) / F32(size)
    p = inverse * F32(0.5) * F32(k) * F32(k - 1)
    if p >= F32(1.0):
        raise ValueError(
            f"{k} lineages in a deme of {size}: the walk would let every lineage draw its "
            "parent; the exact expectations here assume at most one coalescence per step"
        )
    return float(p)


@dataclasses.dataclass
class Finish:
    """The continuous-time finish of the source (N0 > 0; R >= 0; ratio >= 0)."""

    N0: int
    R: int = 0
    ratio: int = 1

    def stretch(self, T: np.ndarray) -> np.ndarray:
        T = np.asarray(T)
        if self.R > 0:
            return np.where(T > self.R, self.R + (T - self.R) * self.ratio, T)
        return T


@dataclasses.dataclass
class OneDemeResult:
    """Exact laws of one genealogy of n genes in one deme."""

    n: int
    tmrca_pmf: np.ndarray  # index = node time of the root
    tmrca_tail: float  # mass beyond the array (truncation below 1e-14)
    length_mean: float  # E[total branch length]
    length_second_moment: float | None = None  # when computed exactly
    length_pmf: np.ndarray | None = None  # pure-discrete worlds only

    @property
    def tmrca_mean(self) -> float:
        t = np.arange(self.tmrca_pmf.size)
        return float((t * self.tmrca_pmf).sum())

    @property
    def tmrca_var(self) -> float:
        t = np.arange(self.tmrca_pmf.size, dtype=float)
        m = (t * self.tmrca_pmf).sum()
        return float((t * t * self.tmrca_pmf).sum() - m * m)


def _death_generator(n: int) -> np.ndarray:
    """Generator of the number of lineages (index k-1 for k = 1..n) of the standard coalescent."""
    Q = np.zeros((n, n))
    for k in range(2, n + 1):
        rate = k * (k - 1) / 2.0
        Q[k - 1, k - 1] = -rate
        Q[k - 1, k - 2] = rate
    return Q


def continuous_event_laws(k: int, finish: Finish, tail: float = 1e-15):
    """For k lineages entering the continuous finish: the survival P(T_i >= m) of the floored
    event times T_i = floor(N0 S_i), i = 1..k-1, on the grid m = 0..M, as an array
    (k-1, M+1). Exact: the grid point m / N0 is reached by powers of exp(Q / N0)."""
    A = scipy.linalg.expm(_death_generator(k) / finish.N0)
    # the grid is walked in blocks of B points: A^0..A^(B-1) from the block's first state
    B = 256
    powers = np.empty((B, k, k))
    powers[0] = np.eye(k)
    for j in range(1, B):
        powers[j] = powers[j - 1] @ A
    state = np.zeros(k)
    state[k - 1] = 1.0
    rows = []
    while True:
        block = np.einsum("i,jik->jk", state, powers)
        rows.append(block)
        # the (k-1)-th event (root) has not happened while more than one lineage is left
        if block[-1, 1:].sum() < tail:
            break
        state = block[-1] @ A
    states = np.concatenate(rows)  # (M+1, k): P(lineages = j+1 at time m / N0)
    # S_i >= m/N0  <=>  at time m/N0 more than k - i lineages are left
    cumulative_from_top = np.cumsum(states[:, ::-1], axis=1)[:, ::-1]  # P(lineages >= j+1)
    survival = np.empty((k - 1, states.shape[0]))
    for i in range(1, k):
        survival[i - 1] = cumulative_from_top[:, k - i]  # P(lineages >= k - i + 1)
    return survival


def _floored_pmf_from_survival(surv: np.ndarray) -> np.ndarray:
    """pmf of T on 0..M from P(T >= m), m = 0..M (P(T >= 0) = 1)."""
    pmf = surv.copy()
    pmf[:-1] -= surv[1:]
    return np.clip(pmf, 0.0, None)


def _stretched_mean_and_pmf(surv: np.ndarray, finish: Finish):
    """E[T'] and the pmf of T' = stretch(T) on its support."""
    m = np.arange(surv.size)
    increments = np.where(m <= finish.R, 1, finish.ratio) if finish.R > 0 else np.ones_like(m)
    mean = float((surv[1:] * increments[1:]).sum())
    pmf_T = _floored_pmf_from_survival(surv)
    Tprime = finish.stretch(m)
    out = np.zeros(int(Tprime.max()) + 1)
    np.add.at(out, Tprime, pmf_T)
    return mean, out


def one_deme(
    n: int,
    sizes: np.ndarray,
    finish: Finish | None,
    tail: float = 1e-14,
    length_distribution: bool = False,
) -> OneDemeResult:
    """Exact laws of the genealogy of n genes sampled at the present in one deme whose size at
    step E is sizes[E-1] (E = 1..EndTime), followed by the continuous finish (or, when finish is
    None, by further steps at the last size until the tail is below `tail`)."""
    sizes = np.asarray(sizes, dtype=np.int64)
    end_time = sizes.size
    P = np.zeros(n + 1)
    P[2:] = [coalescence_probability(k, int(sizes[0])) for k in range(2, n + 1)]
    state = np.zeros(n + 1)
    state[n] = 1.0
    pmf = [0.0]
    length_mean = 0.0
    last_size = int(sizes[0])
    E = 0
    while True:
        E += 1
        if E <= end_time:
            size = int(sizes[E - 1])
        elif finish is None:
            size = int(sizes[-1])
        else:
            break
        if size != last_size:
            P[2:] = [coalescence_probability(k, size) for k in range(2, n + 1)]
            last_size = size
        ks = np.arange(n + 1)
        length_mean += float((ks[2:] * state[2:]).sum())
        moved = state * P
        state = state - moved
        state[:-1] += moved[1:]
        pmf.append(moved[2])
        if finish is None and E >= end_time and state[2:].sum() < tail:
            break
    pmf = np.array(pmf)
    tmrca_tail = 0.0
    if finish is not None:
        base = end_time + 1
        total = np.zeros(0)
        for k in range(2, n + 1):
            weight = state[k]
            if weight < 1e-300:
                continue
            surv = continuous_event_laws(k, finish)
            means = []
            for i in range(k - 1):
                mean_i, pmf_i = _stretched_mean_and_pmf(surv[i], finish)
                means.append(mean_i)
            # root = last event
            root_pmf = pmf_i
            # L over the finish: sum T_i + T_{k-1} - k EndTime, T_i = base + T'_i
            length_mean += weight * (sum(means) + means[-1] + k * (base - end_time))
            shifted = np.zeros(base + root_pmf.size)
            shifted[base:] = root_pmf * weight
            if shifted.size > total.size:
                total = np.pad(total, (0, shifted.size - total.size))
            total[: shifted.size] += shifted
        if total.size > pmf.size:
            pmf = np.pad(pmf, (0, total.size - pmf.size))
        pmf[: total.size] += total
    else:
        tmrca_tail = float(state[2:].sum())
    result = OneDemeResult(n=n, tmrca_pmf=pmf, tmrca_tail=tmrca_tail, length_mean=length_mean)
    if length_distribution:
        if finish is not None or len(set(sizes.tolist())) != 1:
            raise ValueError("the length distribution is exact for a constant deme without finish")
        result.length_pmf = _length_pmf_constant(n, int(sizes[0]))
        t = np.arange(result.length_pmf.size, dtype=float)
        result.length_second_moment = float((t * t * result.length_pmf).sum())
    return result


def _length_pmf_constant(n: int, size: int, tail: float = 1e-15) -> np.ndarray:
    """pmf of the total branch length sum_k k G_k, G_k geometric(P_k) on 1, 2, ..."""
    pmf = np.array([1.0])
    for k in range(2, n + 1):
        p = coalescence_probability(k, size)
        # support of G up to where its tail is below `tail`
        g_max = int(math.ceil(math.log(tail) / math.log1p(-p))) + 1
        g = np.arange(1, g_max + 1)
        pmf_g = p * (1.0 - p) ** (g - 1)
        scaled = np.zeros(k * g_max + 1)
        scaled[k * g] = pmf_g
        pmf = scipy.signal.fftconvolve(pmf, scaled)
        pmf = np.clip(pmf, 0.0, None)
        # trim the far tail that FFT noise and the truncation leave
        c = np.cumsum(pmf)
        keep = np.searchsorted(c, c[-1] * (1 - tail)) + 1
        pmf = pmf[: max(keep, 1)]
    return pmf / pmf.sum()


def kingman_length_cdf(x: np.ndarray, k: int) -> np.ndarray:
    """CDF of the total branch length of the standard coalescent of k genes in units of the
    coalescence time scale: the sum over j = 1..k-1 of Exp(j / 2), which is twice the maximum of
    k - 1 independent Exp(1): (1 - exp(-x / 2)) ** (k - 1)."""
    x = np.asarray(x, dtype=float)
    return np.where(x > 0, (1.0 - np.exp(-np.clip(x, 0, None) / 2.0)) ** (k - 1), 0.0)


def continuous_length_cdf(x: np.ndarray, n: int, first_step_size: int, N0: int) -> np.ndarray:
    """CDF of the total branch length of a genealogy of n genes in a world of EndTime = 1: one
    step at `first_step_size` (n lineages, one coalescence with probability P_n), then the
    continuous finish at N0 with k lineages: L = n + k + sum_i T_i + T_{k-1}, approximated by
    n + k + N0 * (Kingman length of k) - k / 2 (the floors lose between 0 and k generations)."""
    p = coalescence_probability(n, first_step_size)
    out = np.zeros_like(np.asarray(x, dtype=float))
    for k, w in ((n, 1 - p), (n - 1, p)):
        if k < 2:
            out += w * (np.asarray(x) >= n + k)
            continue
        out += w * kingman_length_cdf((np.asarray(x) - n - k + k / 2.0) / N0, k)
    return out


def alive_class_weight(n: int, size: int, rho: float) -> float:
    """E[(1/4)^C] where C is the number of classes of genes that share their base at a DNA site
    under the JC69 model seen as resampling events at rate rho = 4 mu / 3 per generation on every
    branch (a resampled lineage's genes take a uniform base of their own). Backwards, per step:
    each of the a lineages not yet resampled is resampled with q = 1 - exp(-rho) (one class
    each); then a pair of them coalesces with probability a(a-1)/2 / N. One class for the last
    lineage. P(all genes carry the same base) = 4 E[(1/4)^C]."""
    q = -math.expm1(-rho)
    V = [1.0, 0.25]
    for a in range(2, n + 1):
        rhs = 0.0
        for K in range(1, a + 1):
            b = a - K
            w = math.comb(a, K) * q**K * (1 - q) ** b * 0.25**K
            c = b * (b - 1) / 2.0 / size if b >= 2 else 0.0
            nxt = c * V[b - 1] + (1 - c) * V[b] if b >= 1 else V[0]
            rhs += w * nxt
        stay = (1 - q) ** a
        c = a * (a - 1) / 2.0 / size
        V.append((rhs + stay * c * V[a - 1]) / (1 - stay * (1 - c)))
    return V[n]


def geometric_pgf(p: float, z: float) -> float:
    """E[z^T] for T geometric on 1, 2, ... with success probability p."""
    return p * z / (1 - (1 - p) * z)

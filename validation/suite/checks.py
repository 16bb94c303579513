"""The checks of the suite. Each simulates replicates of a small world with the replicate driver
and compares them with an expectation computed here from theory alone; each returns its results
and leaves its plots in the context's plot directory."""

from __future__ import annotations

import dataclasses
import os

import numpy as np

import coalescent_theory as ct
import front_theory as ft
import harness
import migration_theory as mt
import fit_tests as st
import worlds as w


@dataclasses.dataclass
class Context:
    binary: str
    work: str  # scratch directory for the studies
    plots: str | None  # where the PNG files go (None: no plots)
    means: int  # replicates of a check of means
    laws: int  # replicates of a check of distributions
    master_seed: int
    runs: list = dataclasses.field(default_factory=list)  # (check, run name, seed, replicates)
    _next: int = 0

    def seed(self) -> int:
        """Seeds of the runs, one after the other from the master seed (kept below 2,000,000)."""
        self._next += 1
        return (self.master_seed + 7919 * self._next) % 2_000_000

    def simulate(self, check: str, label: str, run: harness.Run, dump: bool = False):
        directory = os.path.join(self.work, check, label)
        self.runs.append((check, label, run.seed, run.simulations))
        return harness.execute(self.binary, run, directory, dump)


@dataclasses.dataclass
class Check:
    name: str
    title: str
    expectation: str  # what is compared, the source of the expectation and its assumptions
    results: list
    plots: list  # file names in the plot directory


def _plt():
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    return plt


def _finished(check, label, records, seed, expected_failures=0.0):
    """Result on the number of simulations that did not finish (expected: none)."""
    failed = int((records["finished"] == 0).sum())
    return st.deterministic(
        check, f"{label}: unfinished genealogies", failed, expected_failures, 0.5, seed
    )


# --- one deme of constant size ------------------------------------------------------------

ONE_DEME_SIZE = 400
ONE_DEME_END = 10_000
DNA_SITES = 200
DNA_RATE = 2e-5
MICROSATS = 10
MICROSAT_RATE = 5e-4


def _one_deme_world(name: str) -> w.World:
    return w.World(name, 1, 1, K=ONE_DEME_SIZE, F=0.5, growth_rate=0.5, migration_rate=0.1,
                   end_time=ONE_DEME_END, sources=[w.Source(0, 0, ONE_DEME_SIZE)])


def one_deme_genealogies(ctx: Context) -> Check:
    name = "one_deme"
    world = _one_deme_world(name)
    sizes = np.full(ONE_DEME_END, ONE_DEME_SIZE)
    chromosome = w.Chromosome(dna_sites=DNA_SITES, dna_rate=DNA_RATE, microsats=MICROSATS,
                              microsat_rate=MICROSAT_RATE)
    rho = 4.0 * DNA_RATE / 3.0
    pair = ct.one_deme(2, sizes, None)
    results, table = [], []
    for n in range(2, 21):
        seed = ctx.seed()
        run = harness.Run(world, [w.Sample(0, 0, n)], chromosome, ctx.means, seed)
        rec, _ = ctx.simulate(name, f"n{n}", run)
        law = ct.one_deme(n, sizes, None)
        ok = rec["finished"] == 1
        results.append(_finished(name, f"n = {n}", rec, seed))
        tmrca = st.z_test(name, f"n = {n}: TMRCA", rec["root_time_first"][ok], law.tmrca_mean,
                          seed, sd=np.sqrt(law.tmrca_var))
        length = st.z_test(name, f"n = {n}: total branch length", rec["total_length"][ok],
                           law.length_mean, seed)
        same_n = ct.alive_class_weight(n, ONE_DEME_SIZE, rho)
        same_2 = ct.alive_class_weight(2, ONE_DEME_SIZE, rho)
        segregating = st.z_test(name, f"n = {n}: DNA segregating sites", rec["dna_segregating"][ok],
                                DNA_SITES * (1.0 - 4.0 * same_n), seed)
        diversity = st.z_test(name, f"n = {n}: DNA pairwise differences (pi x sites)",
                              rec["dna_pairwise"][ok], DNA_SITES * (1.0 - 4.0 * same_2), seed)
        variance = st.z_test(name, f"n = {n}: microsatellite variance",
                             rec["microsat_variance"][ok], MICROSAT_RATE * pair.tmrca_mean, seed)
        results += [tmrca, length, segregating, diversity, variance]
        table.append((n, tmrca, length, segregating, diversity, variance))
    plots = []
    if ctx.plots:
        plt = _plt()
        fig, axes = plt.subplots(1, 5, figsize=(22, 4.2))
        titles = ["TMRCA (generations)", "total branch length", "segregating sites (200 sites)",
                  "pairwise differences", "microsatellite variance"]
        ns = [row[0] for row in table]
        for i, ax in enumerate(axes):
            obs = [row[i + 1].observed for row in table]
            err = [1.96 * row[i + 1].standard_error for row in table]
            exp = [row[i + 1].expected for row in table]
            ax.plot(ns, exp, "k-", label="expected")
            ax.errorbar(ns, obs, yerr=err, fmt="o", ms=3, label="observed (95% CI)")
            ax.set_xlabel("sample size n")
            ax.set_title(titles[i])
        axes[0].legend()
        fig.suptitle(f"One deme of {ONE_DEME_SIZE}, {ctx.means} replicates per n")
        fig.tight_layout()
        plots.append("one_deme_means.png")
        fig.savefig(os.path.join(ctx.plots, plots[-1]), dpi=90)
        plt.close(fig)
    expectation = (
        f"One deme of constant size N = {ONE_DEME_SIZE} (EndTime {ONE_DEME_END}), n genes "
        "sampled at the present. Expected TMRCA and total branch length: exact laws of the "
        "discrete-generation coalescent that the walk implements (a given pair coalesces with "
        "probability 1/N per generation, at most one coalescence per generation since "
        "n(n-1)/2 < N), propagated numerically (mass left after EndTime < 1e-10, so the "
        "continuous finish plays no part). DNA: JC69 with per-site rate mu = "
        f"{DNA_RATE:g}, {DNA_SITES} sites; P(site segregating) = 1 - 4 E[(1/4)^C], C the number "
        "of classes left by the resampling representation of JC69 (rate 4 mu / 3), exact by "
        "recursion on the lineages; pairwise differences use n = 2. Microsatellites: single "
        f"steps at rate {MICROSAT_RATE:g}, no range: E[sample variance] = mu E[T2] "
        "(half the expected number of steps on the path between two genes). z tests use the "
        "exact standard deviation for the TMRCA and the sample standard deviation otherwise."
    )
    return Check(name, "One deme of constant size: genealogies and diversity, n = 2..20",
                 expectation, results, plots)


def _discrete_law_check(ctx, name, label, values, pmf, seed, results, plots, title):
    """Chi-square of integer values against a pmf on 0, 1, ... and its plot."""
    cdf_table = np.cumsum(pmf)

    def cdf(x):
        return cdf_table[np.clip(x, 0, cdf_table.size - 1)]

    edges = st.grouped_bins(pmf, 40)
    results.append(st.chi_square_test(name, f"{label}: distribution", values, cdf, edges, seed))
    if ctx.plots:
        plt = _plt()
        fig, ax = plt.subplots(figsize=(6.4, 4.2))
        xs = np.sort(values)
        ax.step(xs, np.arange(1, xs.size + 1) / xs.size, where="post", label="observed")
        grid = np.arange(cdf_table.size)
        ax.plot(grid, cdf_table, "k--", lw=1, label="expected")
        ax.set_xlim(0, np.quantile(values, 0.999))
        ax.set_xlabel("generations")
        ax.set_ylabel("cumulative probability")
        ax.set_title(title)
        ax.legend()
        fig.tight_layout()
        file = f"{name}_{label.replace(' ', '_').replace('=', '')}.png"
        plots.append(file)
        fig.savefig(os.path.join(ctx.plots, file), dpi=90)
        plt.close(fig)


def one_deme_distributions(ctx: Context) -> Check:
    name = "one_deme_laws"
    world = _one_deme_world(name)
    sizes = np.full(ONE_DEME_END, ONE_DEME_SIZE)
    results, plots = [], []
    for n in (2, 20):
        seed = ctx.seed()
        run = harness.Run(world, [w.Sample(0, 0, n)], w.Chromosome(), ctx.laws, seed)
        rec, _ = ctx.simulate(name, f"n{n}", run)
        ok = rec["finished"] == 1
        results.append(_finished(name, f"n = {n}", rec, seed))
        law = ct.one_deme(n, sizes, None, length_distribution=True)
        tmrca = rec["root_time_first"][ok].astype(np.int64)
        label = "pair coalescence time" if n == 2 else f"TMRCA n = {n}"
        _discrete_law_check(ctx, name, label, tmrca, law.tmrca_pmf, seed, results, plots,
                            f"{label}, N = {ONE_DEME_SIZE}, {ok.sum()} replicates")
        results.append(st.z_test(name, f"{label}: mean", tmrca, law.tmrca_mean, seed,
                                 sd=np.sqrt(law.tmrca_var)))
        if n > 2:
            length = rec["total_length"][ok].astype(np.int64)
            _discrete_law_check(ctx, name, f"total length n = {n}", length, law.length_pmf, seed,
                                results, plots, f"total branch length, n = {n}")
        else:
            pair = rec["pair_time"][ok]
            results.append(st.deterministic(name, "n = 2: pair time equals TMRCA",
                                            float(np.abs(pair - tmrca).max()), 0.0, 0.0, seed))
    expectation = (
        f"One deme of constant size N = {ONE_DEME_SIZE}. Pair coalescence time (n = 2): "
        "geometric on 1, 2, ... with success probability 1/N (single precision); TMRCA and total "
        "branch length of n = 20: exact discrete laws (sum over k of k G_k, G_k geometric with "
        "probability k(k-1)/(2N)), by convolution. Chi-square tests over about 40 intervals of "
        "near-equal expected mass (intervals with expected count below 5 merged)."
    )
    return Check(name, "One deme of constant size: distributions", expectation, results, plots)


# --- two epochs -----------------------------------------------------------------------------

EPOCH_SIZE = 400
EPOCH_END = 200
EPOCH_N = 10


def two_epochs(ctx: Context) -> Check:
    name = "two_epochs"
    cases = [
        ("resized source", w.Source(0, 0, EPOCH_SIZE, size_before_expansion=2000),
         ct.Finish(2000)),
        ("bottleneck", w.Source(0, 0, EPOCH_SIZE, size_before_expansion=200,
                                bottleneck_duration=100, size_before_bottleneck=2000),
         ct.Finish(200, R=100, ratio=10)),
    ]
    results, plots = [], []
    sizes = np.full(EPOCH_END, EPOCH_SIZE)
    for label, source, finish in cases:
        world = w.World(name, 1, 1, K=EPOCH_SIZE, F=0.5, growth_rate=0.5, migration_rate=0.1,
                        end_time=EPOCH_END, sources=[source])
        seed = ctx.seed()
        run = harness.Run(world, [w.Sample(0, 0, EPOCH_N)], w.Chromosome(), ctx.laws, seed)
        rec, _ = ctx.simulate(name, label.replace(" ", "_"), run)
        ok = rec["finished"] == 1
        results.append(_finished(name, label, rec, seed))
        law = ct.one_deme(EPOCH_N, sizes, finish)
        tmrca = rec["root_time_first"][ok].astype(np.int64)
        results.append(st.z_test(name, f"{label}: TMRCA mean", tmrca, law.tmrca_mean, seed,
                                 sd=np.sqrt(law.tmrca_var)))
        results.append(st.z_test(name, f"{label}: total branch length mean",
                                 rec["total_length"][ok], law.length_mean, seed))
        _discrete_law_check(ctx, name, f"{label} TMRCA", tmrca, law.tmrca_pmf, seed, results,
                            plots, f"TMRCA, n = {EPOCH_N}, {label}")
    expectation = (
        f"One deme of {EPOCH_SIZE} for EndTime = {EPOCH_END} generations, n = {EPOCH_N} genes; "
        "below generation 0 the source has another size. Resized source: N0 = 2000 before "
        "generation 0. Bottleneck: N0 = 200 for the 100 generations before generation 0 and "
        "2000 before that. Expected: the exact law of the discrete walk over the first "
        "EndTime generations followed by the standard coalescent in units of N0, the event "
        "times floored to whole generations and, beyond the bottleneck, stretched by the integer "
        "ratio 2000 / 200 (the time change of the coalescent in a piecewise-constant "
        "population); computed with the exact transition matrix exp(Q/N0) of the number of "
        "lineages on a grid of one generation."
    )
    return Check(name, "Two epochs: source resized at generation 0, and a bottleneck",
                 expectation, results, plots)


# --- demes with migration ---------------------------------------------------------------------

SPATIAL_K = 50
SPATIAL_END = 150


def _spatial_world(name, nrows, ncols):
    return w.World(name, nrows, ncols, K=SPATIAL_K, F=0.5, growth_rate=0.5, migration_rate=0.2,
                   end_time=SPATIAL_END, sources=[w.Source(0, 0, SPATIAL_K)])


def _spatial(ctx: Context, name: str, title: str, world: w.World, pairs) -> Check:
    results, plots = [], []
    curves = []
    for a, b in pairs:
        label = f"{a}-{b}".replace(" ", "")
        samples = [w.Sample(*a, 2)] if a == b else [w.Sample(*a, 1), w.Sample(*b, 1)]
        seed = ctx.seed()
        run = harness.Run(world, samples, w.Chromosome(), ctx.laws, seed)
        rec, demo = ctx.simulate(name, label, run, dump=True)
        law = mt.pair_law(demo, world.cell_index(*a), world.cell_index(*b), 0)
        kind = "within" if a == b else "between"
        results.append(_finished(name, f"{kind} {a} {b}", rec, seed, law.unfinished * ctx.laws))
        ok = rec["finished"] == 1
        times = rec["pair_time"][ok].astype(np.int64)
        results.append(st.z_test(name, f"{kind} {a} {b}: mean pair time", times, law.mean(),
                                 seed, sd=np.sqrt(law.variance())))
        upper = int(law.end_time + 1 + 40 * law.finish_size)
        full_pmf = np.diff(np.concatenate(([0.0], law.cdf(np.arange(upper)))))
        edges = st.grouped_bins(full_pmf, 40)
        results.append(st.chi_square_test(name, f"{kind} {a} {b}: distribution", times, law.cdf,
                                          edges, seed))
        curves.append((f"{kind} {a} {b}", times, law))
    if ctx.plots:
        plt = _plt()
        fig, ax = plt.subplots(figsize=(7, 4.5))
        for i, (label, times, law) in enumerate(curves):
            xs = np.sort(times)
            line, = ax.step(xs, np.arange(1, xs.size + 1) / xs.size, where="post", label=label)
            grid = np.arange(0, int(np.quantile(times, 0.999)))
            ax.plot(grid, law.cdf(grid), "--", color="k", lw=0.8)
        ax.set_xlim(0, max(np.quantile(t, 0.999) for _, t, _ in curves))
        ax.set_xlabel("node time of the pair's ancestor (generations)")
        ax.set_ylabel("cumulative probability")
        ax.set_title(f"{title}: observed (steps) vs recursion (dashed)")
        ax.legend(fontsize=8)
        fig.tight_layout()
        plots.append(f"{name}_pair_times.png")
        fig.savefig(os.path.join(ctx.plots, plots[-1]), dpi=90)
        plt.close(fig)
    expectation = (
        f"{title}: {world.nrows} x {world.ncols} demes of K = {SPATIAL_K}, friction 0.5 "
        f"everywhere, model 1 with r = 0.5 and m = 0.2, one source of {SPATIAL_K} in the "
        f"north-west corner, EndTime = {SPATIAL_END}; two genes sampled at the present, in one "
        "deme (within) or in two (between). Expected: the law of the pair's coalescence time by "
        "the backward migration recursion over the stored sizes and arrivals (migration_theory."
        "py: each lineage takes one of the deme's individuals without replacement and follows "
        "an immigrant to its origin; a pair in one deme coalesces with probability 1/N before "
        "migrating; forced moves out of demes empty one generation earlier), then the "
        "continuous finish in the source (floor(N0 X), X exponential). Mean: z test with the "
        "exact standard deviation; distribution: chi-square."
    )
    return Check(name, title, expectation, results, plots)


def row_of_demes(ctx: Context) -> Check:
    world = _spatial_world("row", 1, 6)
    pairs = [((0, 0), (0, 0)), ((0, 5), (0, 5)), ((0, 2), (0, 3)), ((0, 0), (0, 5))]
    return _spatial(ctx, "row", "Row of 6 demes", world, pairs)


def grid_of_demes(ctx: Context) -> Check:
    world = _spatial_world("grid", 4, 4)
    pairs = [((0, 0), (0, 0)), ((3, 3), (3, 3)), ((1, 1), (1, 2)), ((0, 0), (3, 3)),
             ((0, 3), (3, 0))]
    return _spatial(ctx, "grid", "Square grid of 4 x 4 demes", world, pairs)


# --- expansion front ------------------------------------------------------------------------

FRONT_CASES = [(0.1, 0.1, 10**6), (0.2, 0.2, 10**6), (0.1, 0.1, 10**8)]
FRONT_CELLS = 300
FRONT_END = 800


def expansion_front(ctx: Context) -> Check:
    name = "front"
    results, plots, traces, front_rows = [], [], [], []
    for r, m, K in FRONT_CASES:
        world = w.World(name, 1, FRONT_CELLS, K=K, F=0.5, growth_rate=r, migration_rate=m,
                        end_time=FRONT_END, sources=[w.Source(0, 0, K)])
        label = f"r{r}_m{m}_K{K:.0e}"
        directory = os.path.join(ctx.work, name, label)
        ctx.runs.append((name, label, 0, 1))
        demo = harness.demography_only(ctx.binary, world, directory)
        speed = ft.front_speed(r, m, K)
        observed, position = ft.measured_speed(demo.sizes, K, FRONT_END // 3, FRONT_CELLS - 10)
        tolerance = 0.25 * (speed.linear - speed.cutoff)
        result = st.deterministic(
            name, f"r = {r}, m = {m}, K = {K:.0e}: front speed (cells per generation)",
            observed, speed.cutoff, tolerance)
        # a pulled front with a cut-off never outruns the linear speed
        result.passed_alone = bool(result.passed_alone and observed <= speed.linear)
        results.append(result)
        front_rows.append((r, m, K, speed))
        traces.append((r, m, K, position, speed, observed))
    if ctx.plots:
        plt = _plt()
        fig, ax = plt.subplots(figsize=(7, 4.5))
        for r, m, K, position, speed, observed in traces:
            g = np.arange(position.size)
            anchor = FRONT_END // 3
            lag = position - speed.linear * g
            line, = ax.plot(g, lag, label=f"r={r}, m={m}, K={K:.0e}: {observed:.4f} per gen.")
            ax.plot(g, lag[anchor] + (speed.cutoff - speed.linear) * (g - anchor), "--",
                    color="k", lw=1.2, zorder=3)
        ax.axhline(0, color="k", lw=0.5)
        ax.set_xlabel("generation")
        ax.set_ylabel("front position - c* x generation (demes)")
        ax.set_title("Model 1 front behind the linear speed c*: observed (colours),\n"
                     f"cut-off travelling-wave speed from generation {FRONT_END // 3} (black)")
        ax.legend(fontsize=8)
        fig.tight_layout()
        plots.append("front_position.png")
        fig.savefig(os.path.join(ctx.plots, plots[-1]), dpi=90)
        plt.close(fig)
    expectation = (
        f"A row of {FRONT_CELLS} demes (friction 0.5), model 1, one source at full capacity K "
        "in the first deme. Model 1 is deterministic, so there is no replicate and no p-value. "
        "Observed: slope of the number of demes at K/2 or more over generations "
        f"{FRONT_END // 3} to the end (while the front is 10 demes short of the border). "
        "Expected (front_theory.py): the travelling-wave speed of the linearised lattice, "
        "c* = min over lambda of ln[(1+r)(1-m+m cosh lambda)]/lambda, less the Brunet-Derrida "
        "correction for a leading edge cut off at 1/(K m) (no deme sends migrants while "
        "n' m < 1). Passes when the observed speed is within a quarter of that correction of "
        "the corrected speed, and not above c*."
    )
    for r, m, K, speed in front_rows:
        expectation += (f" r = {r}, m = {m}, K = {K:.0e}: c* = {speed.linear:.5f}, "
                        f"lambda* = {speed.decay:.4f}, cut-off speed = {speed.cutoff:.5f}.")
    return Check(name, "Speed of the expansion front of model 1", expectation, results, plots)


ALL = [one_deme_genealogies, one_deme_distributions, two_epochs, row_of_demes, grid_of_demes,
       expansion_front]

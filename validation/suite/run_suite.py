"""Runs the checks of the validation suite and writes their report.

    /usr/bin/python3 run_suite.py --binary PATH/orvantis_replicates [--tier full|small]
                                  [--seed N] [--report DIR] [--work DIR] [--only CHECK]...

The full tier simulates 10^4 replicates per check of a mean and 10^5 per check of a
distribution, writes report.md, results.json and the PNG plots into the report directory, and
takes about half an hour on one core. The small tier (1/25 of the replicates, a fixed seed, no
plots unless --report is given) is the quick form that the test suite runs. Exit status 0 when
every result passes (Bonferroni-corrected p > 0.001 over all statistical results of the run,
deterministic results within their tolerance), 1 otherwise.
"""

from __future__ import annotations

import argparse
import dataclasses
import json
import math
import os
import shutil
import sys
import tempfile
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import checks  # noqa: E402
import fit_tests  # noqa: E402

TIERS = {"full": (10_000, 100_000), "small": (400, 4_000)}
DEFAULT_SEED = 20261210


def _number(x: float) -> str:
    if isinstance(x, float) and (math.isnan(x) or math.isinf(x)):
        return "-"
    if isinstance(x, float) and x != 0 and (abs(x) < 1e-3 or abs(x) >= 1e6):
        return f"{x:.3e}"
    if isinstance(x, float):
        return f"{x:.5g}"
    return str(x)


def write_report(path, done, tier, seed, seconds, cpu, statistical, command, runs):
    results = [r for c in done for r in c.results]
    failed = [r for r in results if not r.passed]
    lines = [
        "# Validation report",
        "",
        f"- Command: `{command}`",
        f"- Tier: {tier} ({TIERS[tier][0]} replicates per check of a mean, "
        f"{TIERS[tier][1]} per check of a distribution)",
        f"- Master seed: {seed} (the seed of every run is listed below)",
        f"- Run time: {seconds / 60:.1f} minutes of wall-clock time; processor time "
        f"{cpu / 60:.1f} minutes (this process and the replicate driver, one core)",
        f"- Statistical results: {statistical}; each passes when its p-value times {statistical} "
        "(Bonferroni) exceeds 0.001. Deterministic results pass within their stated tolerance.",
        f"- Verdict: {'every result passes' if not failed else f'{len(failed)} result(s) FAIL'}",
        "",
    ]
    z = np.array([r.statistic for r in results if r.test == "z"])
    if z.size > 1:
        lines += [
            f"Calibration: the {z.size} z statistics have mean {z.mean():.3f} and standard "
            f"deviation {z.std(ddof=1):.3f} (0 and 1 expected; results of one run are "
            "correlated, so this is a rough look, not a test).",
            "",
        ]
    lines += ["| check | results | passed | smallest corrected p |", "|---|---|---|---|"]
    for c in done:
        corrected = [r.corrected_p for r in c.results if r.test != "deterministic"]
        smallest = _number(min(corrected)) if corrected else "- (deterministic)"
        passed = sum(1 for r in c.results if r.passed)
        lines.append(f"| [{c.title}](#{c.name}) | {len(c.results)} | {passed} | {smallest} |")
    lines.append("")
    for c in done:
        lines += [f'<a id="{c.name}"></a>', "", f"## {c.title}", "", c.expectation, ""]
        for plot in c.plots:
            lines += [f"![{plot}]({plot})", ""]
        lines += [
            "| result | replicates | seed | observed | expected | s.e. / tol. | test | statistic "
            "| p | corrected p | pass |",
            "|---|---|---|---|---|---|---|---|---|---|---|",
        ]
        for r in c.results:
            spread = r.tolerance if r.test == "deterministic" else r.standard_error
            lines.append(
                f"| {r.name} | {r.replicates} | {r.seed} | {_number(r.observed)} | "
                f"{_number(r.expected)} | {_number(spread)} | {r.test} | "
                f"{_number(r.statistic)} | {_number(r.p_value)} | {_number(r.corrected_p)} | "
                f"{'yes' if r.passed else 'NO'} |"
            )
        lines.append("")
    lines += ["## Runs and their seeds", "", "| check | run | seed | simulations |",
              "|---|---|---|---|"]
    lines += [f"| {c} | {label} | {s} | {n} |" for c, label, s, n in runs]
    lines += [
        "",
        "A run is replayed alone with the seed of its line: the study files of each run are "
        "written under the work directory (--work), and `orvantis_replicates --seed SEED "
        "--records FILE settings.txt` in that run's directory reproduces its records.",
        "",
    ]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--tier", choices=sorted(TIERS), default="full")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--report", default="")
    parser.add_argument("--work", default="")
    parser.add_argument("--only", action="append", default=[])
    args = parser.parse_args()

    means, laws = TIERS[args.tier]
    work = args.work or tempfile.mkdtemp(prefix="orvantis_validation_")
    if args.report:
        os.makedirs(args.report, exist_ok=True)
    ctx = checks.Context(os.path.abspath(args.binary), work, args.report or None, means, laws,
                         args.seed)
    start = time.time()
    done = []
    for check in checks.ALL:
        name = check.__name__
        if args.only and name not in args.only:
            continue
        t = time.time()
        done.append(check(ctx))
        print(f"{name}: {len(done[-1].results)} results in {time.time() - t:.1f} s", flush=True)
    results = [r for c in done for r in c.results]
    statistical = fit_tests.apply_bonferroni(results)
    seconds = time.time() - start
    for r in results:
        if not r.passed:
            print(f"FAIL {r.check}: {r.name}: observed {r.observed} expected {r.expected} "
                  f"statistic {r.statistic} p {r.p_value} (seed {r.seed})")
    if args.report:
        command = os.environ.get("ORVANTIS_VALIDATION_COMMAND") or " ".join(
            ["/usr/bin/python3", "validation/suite/run_suite.py"] + sys.argv[1:])
        times = os.times()
        cpu = times.user + times.system + times.children_user + times.children_system
        write_report(os.path.join(args.report, "report.md"), done, args.tier, args.seed,
                     seconds, cpu, statistical, command, ctx.runs)
        with open(os.path.join(args.report, "results.json"), "w", encoding="utf-8") as f:
            json.dump({"tier": args.tier, "seed": args.seed, "seconds": seconds,
                       "runs": ctx.runs,
                       "results": [dataclasses.asdict(r) for r in results]}, f, indent=1)
    if not args.work:
        shutil.rmtree(work, ignore_errors=True)
    failed = sum(1 for r in results if not r.passed)
    print(f"{len(results)} results, {statistical} statistical, {failed} failed, "
          f"{seconds:.0f} s")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

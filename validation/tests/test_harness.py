"""Tests of the replicate driver through the files the suite writes: its usage errors, the
stored demography it dumps, and the records of its simulations. The driver is the program named
by ORVANTIS_REPLICATES (ctest sets it)."""

import os
import subprocess
import tempfile
import unittest

import numpy as np

import harness
import migration_theory as mt
import worlds as w

_GIVEN = os.environ.get("ORVANTIS_REPLICATES", "")
BINARY = os.path.abspath(_GIVEN) if _GIVEN else ""


@unittest.skipUnless(BINARY and os.path.exists(BINARY), "ORVANTIS_REPLICATES is not set")
class ReplicateDriverTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def _run(self, world, samples, chromosome, simulations, seed, label="run", dump=False):
        run = harness.Run(world, samples, chromosome, simulations, seed)
        return harness.execute(BINARY, run, os.path.join(self.dir, label), dump)

    def test_usage_errors_exit_2_and_failed_steps_exit_1(self):
        for args in (["--seed", "x", "s.txt"], ["--seed", "-1", "s.txt"], ["--set", "novalue", "s.txt"],
                     [], ["--bogus", "s.txt"], ["a.txt", "b.txt"]):
            result = subprocess.run([BINARY] + args, capture_output=True, text=True, cwd=self.dir)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("usage:", result.stderr)
        missing = os.path.join(self.dir, "missing", "settings.txt")
        os.makedirs(os.path.dirname(missing))
        result = subprocess.run([BINARY, "--log", os.path.join(self.dir, "log.txt"), missing],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 1)

    def test_dumped_demography_has_neighbours_by_side_and_model_one_flows(self):
        # 2 x 2 demes, source of 100 (= K) in the north-west deme
        world = w.World("dump", 2, 2, K=100, F=0.5, growth_rate=0.5, migration_rate=0.2,
                        end_time=5, sources=[w.Source(0, 0, 100)])
        demo = harness.demography_only(BINARY, world, os.path.join(self.dir, "dump"))
        self.assertEqual((demo.end_time, demo.nrows, demo.ncols), (5, 2, 2))
        # north, south, east, west of cells 0 (NW), 1 (NE), 2 (SW), 3 (SE)
        np.testing.assert_array_equal(
            demo.neighbours, [[-1, 2, 1, -1], [-1, 3, -1, 0], [0, -1, 3, -1], [1, -1, -1, 2]])
        np.testing.assert_array_equal(demo.sizes[0], [100, 0, 0, 0])
        # generation 1: the source stays at K after growth, sends 20 = 10 east + 10 south
        np.testing.assert_array_equal(demo.sizes[1], [80, 10, 10, 0])
        np.testing.assert_array_equal(demo.arrivals[1, 1], [0, 0, 0, 10])  # from the west
        np.testing.assert_array_equal(demo.arrivals[1, 2], [10, 0, 0, 0])  # from the north
        self.assertEqual(int(demo.arrivals[1, 0].sum()) + int(demo.arrivals[1, 3].sum()), 0)
        # every arrival is an emigrant of the neighbour on that side: totals over a generation
        for g in range(1, 6):
            self.assertGreater(int(demo.arrivals[g].sum()), 0)

    def test_records_are_replayed_by_the_seed_and_describe_one_genealogy(self):
        world = w.World("rec", 1, 1, K=60, F=0.5, growth_rate=0.5, migration_rate=0.1,
                        end_time=3000, sources=[w.Source(0, 0, 60)])
        chromosome = w.Chromosome(dna_sites=50, dna_rate=1e-3, microsats=4, microsat_rate=1e-3)
        samples = [w.Sample(0, 0, 5)]
        first, _ = self._run(world, samples, chromosome, 200, 17, "a")
        again, _ = self._run(world, samples, chromosome, 200, 17, "b")
        other, _ = self._run(world, samples, chromosome, 200, 18, "c")
        for name in harness.COLUMNS:
            np.testing.assert_array_equal(first[name], again[name])
        self.assertFalse(np.array_equal(first["root_time_first"], other["root_time_first"]))
        self.assertTrue(np.all(first["finished"] == 1))
        np.testing.assert_array_equal(first["root_time_first"], first["root_time_last"])
        self.assertTrue(np.all(first["pair_time"] <= first["root_time_first"]))
        # at least 2 (n - 1) generations of branches below a root at time T >= n - 1 steps
        self.assertTrue(np.all(first["total_length"] >= first["root_time_first"] + 4))
        self.assertTrue(np.all(first["dna_segregating"] <= first["dna_mutations"]))
        self.assertTrue(np.all(first["dna_pairwise"] <= first["dna_segregating"]))
        self.assertTrue(np.all((first["microsat_variance"] > 0) <= (first["microsat_mutations"] > 0)))

    def test_recombining_chromosome_has_no_single_tree_length(self):
        world = w.World("recomb", 1, 1, K=60, F=0.5, growth_rate=0.5, migration_rate=0.1,
                        end_time=50, sources=[w.Source(0, 0, 60)])
        records, _ = self._run(world, [w.Sample(0, 0, 4)],
                               w.Chromosome(dna_sites=10, recombination=0.01), 30, 5)
        self.assertTrue(np.all(np.isnan(records["total_length"])))
        self.assertTrue(np.all(np.isnan(records["pair_time"])))

    def test_no_mutation_rate_leaves_no_diversity(self):
        world = w.World("still", 1, 1, K=60, F=0.5, growth_rate=0.5, migration_rate=0.1,
                        end_time=50, sources=[w.Source(0, 0, 60)])
        records, _ = self._run(world, [w.Sample(0, 0, 6)],
                               w.Chromosome(dna_sites=20, microsats=3), 30, 5)
        for name in ("dna_mutations", "dna_segregating", "dna_pairwise", "microsat_variance"):
            self.assertTrue(np.all(records[name] == 0), name)

    def test_recursion_keeps_mass_on_a_stored_grid(self):
        world = w.World("grid", 3, 3, K=30, F=0.5, growth_rate=0.5, migration_rate=0.2,
                        end_time=40, sources=[w.Source(1, 1, 30)])
        demo = harness.demography_only(BINARY, world, os.path.join(self.dir, "grid"))
        for d in (1, 2, 20, 40):
            np.testing.assert_allclose(mt._one_lineage(demo, d).sum(axis=1), 1.0, rtol=1e-12)
            for c in range(9):
                if demo.sizes[d, c] > 0:
                    self.assertAlmostEqual(mt._two_lineages(demo, d, c).sum(), 1.0, places=12)
        law = mt.pair_law(demo, 0, 8, world.cell_index(1, 1))
        self.assertAlmostEqual(law.pmf.sum() + law.finish_mass + law.unfinished, 1.0, places=10)
        self.assertLess(law.unfinished, 1e-9)


if __name__ == "__main__":
    unittest.main()

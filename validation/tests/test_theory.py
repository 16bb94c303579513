"""Unit tests of the suite's expectations and test statistics: closed forms they must reduce to,
mass conservation, and the behaviour of the tests on samples of known laws."""

import math
import unittest

import numpy as np

import coalescent_theory as ct
import fit_tests as st
import front_theory as ft
import migration_theory as mt
from harness import Demography


class OneDemeTest(unittest.TestCase):
    def test_expected_times_are_sums_of_geometric_means(self):
        for n, N in ((2, 400), (5, 100), (20, 400)):
            law = ct.one_deme(n, np.full(50, N), None)
            P = [ct.coalescence_probability(k, N) for k in range(2, n + 1)]
            self.assertAlmostEqual(law.tmrca_mean, sum(1 / p for p in P), delta=1e-6 * N)
            self.assertAlmostEqual(law.length_mean, sum(k / p for k, p in zip(range(2, n + 1), P)),
                                   delta=1e-6 * N * n)

    def test_length_law_agrees_with_its_mean(self):
        law = ct.one_deme(6, np.full(10, 50), None, length_distribution=True)
        t = np.arange(law.length_pmf.size)
        self.assertAlmostEqual(float((t * law.length_pmf).sum()), law.length_mean, places=5)

    def test_walk_would_draw_parents_for_crowded_demes(self):
        with self.assertRaises(ValueError):
            ct.coalescence_probability(10, 45)
        self.assertLess(ct.coalescence_probability(10, 46), 1.0)

    def test_pair_in_finish_is_a_floored_exponential(self):
        N0 = 300
        survival = ct.continuous_event_laws(2, ct.Finish(N0))[0]
        m = np.arange(0, 2000, 97)
        np.testing.assert_allclose(survival[m], np.exp(-m / N0), rtol=1e-9)
        law = ct.one_deme(2, np.full(5, 10**6), ct.Finish(N0))
        expected = 5 + 1 + 1 / math.expm1(1 / N0)
        self.assertAlmostEqual(law.tmrca_mean, expected, delta=0.05)
        self.assertAlmostEqual(law.tmrca_pmf.sum(), 1.0, places=9)

    def test_bottleneck_ratio_zero_stops_every_event_at_its_start(self):
        finish = ct.Finish(100, R=20, ratio=0)
        np.testing.assert_array_equal(finish.stretch(np.array([5, 20, 21, 500])), [5, 20, 20, 20])
        np.testing.assert_array_equal(ct.Finish(100, R=20, ratio=3).stretch(np.array([21, 30])),
                                      [23, 50])

    def test_pair_through_a_bottleneck_is_a_stretched_floored_exponential(self):
        N0, R, ratio, end = 150, 40, 7, 3
        finish = ct.Finish(N0, R=R, ratio=ratio)
        law = ct.one_deme(2, np.full(end, 10**7), finish)
        m = np.arange(0, 60 * N0)
        floored = np.exp(-m / N0) * -np.expm1(-1 / N0)
        no_coalescence = (1 - ct.coalescence_probability(2, 10**7)) ** end
        direct = end + 1 + float((finish.stretch(m) * floored).sum())
        self.assertAlmostEqual(law.tmrca_mean, no_coalescence * direct + (1 - no_coalescence) * 2,
                               delta=1e-3)
        # two genes: the total length is twice the pair's time
        self.assertAlmostEqual(law.length_mean, 2 * law.tmrca_mean, delta=1e-6 * law.length_mean)
        # a ratio of 1 is no bottleneck at all
        same = ct.one_deme(4, np.full(end, 500), ct.Finish(N0, R=R, ratio=1))
        plain = ct.one_deme(4, np.full(end, 500), ct.Finish(N0))
        self.assertAlmostEqual(same.tmrca_mean, plain.tmrca_mean, places=6)
        self.assertAlmostEqual(same.length_mean, plain.length_mean, places=6)

    def test_identity_in_state_tends_to_one_and_follows_small_rate_limit(self):
        self.assertAlmostEqual(ct.alive_class_weight(5, 200, 0.0) * 4, 1.0, places=12)
        N, mu = 400, 1e-6
        differ = 1 - 4 * ct.alive_class_weight(2, N, 4 * mu / 3)
        # two genes differ with probability ~ 2 mu E[T2] for a small rate
        self.assertAlmostEqual(differ / (2 * mu * N), 1.0, delta=0.01)
        more = [1 - 4 * ct.alive_class_weight(n, N, 4 * mu / 3) for n in (2, 5, 10)]
        self.assertTrue(more[0] < more[1] < more[2])


def _demography(sizes, arrivals, neighbours):
    sizes = np.asarray(sizes, dtype=np.int64)
    return Demography(sizes.shape[0] - 1, 1, sizes.shape[1], np.asarray(neighbours),
                      sizes, np.asarray(arrivals, dtype=np.int64))


class MigrationRecursionTest(unittest.TestCase):
    def test_isolated_deme_gives_geometric_then_finish(self):
        T, N = 30, 20
        demo = _demography(np.full((T + 1, 1), N), np.zeros((T + 1, 1, 4)), [[-1, -1, -1, -1]])
        law = mt.pair_law(demo, 0, 0, 0)
        p = 1 / N
        self.assertAlmostEqual(law.pmf[1], p, places=7)
        self.assertAlmostEqual(law.pmf[T], p * (1 - p) ** (T - 1), places=7)
        self.assertAlmostEqual(law.finish_mass, (1 - p) ** T, places=6)
        self.assertAlmostEqual(law.unfinished, 0.0)

    def _two_demes(self, T=40):
        # two demes side by side (0 west of 1), 5 arrivals each way per generation, deme 1
        # founded at generation 1 by 5 immigrants from deme 0
        sizes = np.full((T + 1, 2), 50)
        sizes[0, 1] = 0
        arrivals = np.zeros((T + 1, 2, 4))
        arrivals[1:, 0, 2] = 5  # deme 0 receives from its east neighbour
        arrivals[1:, 1, 3] = 5  # deme 1 from its west neighbour
        arrivals[1, 0, 2] = 0
        neighbours = [[-1, -1, 1, -1], [-1, -1, -1, 0]]
        return _demography(sizes, arrivals, neighbours)

    def test_mass_is_conserved_and_everything_reaches_the_source(self):
        demo = self._two_demes()
        for a, b in ((0, 0), (1, 1), (0, 1)):
            law = mt.pair_law(demo, a, b, 0)
            self.assertAlmostEqual(law.pmf.sum() + law.finish_mass + law.unfinished, 1.0, places=12)
            self.assertLess(law.unfinished, 1e-12)
        # genes in different demes cannot coalesce in the first step
        self.assertEqual(mt.pair_law(demo, 0, 1, 0).pmf[1], 0.0)

    def test_two_lineages_take_immigrants_without_replacement(self):
        demo = self._two_demes()
        J = mt._two_lineages(demo, 10, 1)
        self.assertAlmostEqual(J[0, 0], 5 / 50 * 4 / 49, places=12)
        self.assertAlmostEqual(J[1, 1], (45 / 50) ** 2, places=12)
        self.assertAlmostEqual(J.sum(), 1.0, places=12)
        # a deme founded at generation 1: both lineages must take one of its 5 immigrants
        J = mt._two_lineages(demo, 1, 1)
        self.assertAlmostEqual(J[0, 0], 1.0, places=12)

    def test_distribution_function_ends_at_one(self):
        law = mt.pair_law(self._two_demes(), 0, 1, 0)
        c = law.cdf(np.array([0, 10, 41, 10**6]))
        self.assertEqual(c[0], 0.0)
        self.assertTrue(np.all(np.diff(c) >= 0))
        self.assertAlmostEqual(c[-1], 1.0, places=9)
        self.assertGreater(law.variance(), 0.0)


class FrontSpeedTest(unittest.TestCase):
    def test_minimum_of_the_dispersion_relation(self):
        r, m = 0.1, 0.1
        s = ft.front_speed(r, m, 10**6)
        for lam in (0.5 * s.decay, 0.9 * s.decay, 1.1 * s.decay, 2 * s.decay):
            self.assertGreater(ft.omega(lam, r, m) / lam, s.linear)
        self.assertLess(s.cutoff, s.linear)
        self.assertLess(ft.front_speed(r, m, 10**9).linear - ft.front_speed(r, m, 10**9).cutoff,
                        s.linear - s.cutoff)

    def test_continuum_limit_is_fisher_speed(self):
        r, m = 1e-4, 1e-2
        # diffusion m/2 per generation, growth ln(1 + r)
        fisher = 2 * math.sqrt(math.log1p(r) * m / 2)
        self.assertAlmostEqual(ft.front_speed(r, m, 10**6).linear / fisher, 1.0, delta=0.01)

    def test_measured_speed_of_a_front_moving_one_deme_every_four_generations(self):
        K = 100
        sizes = np.zeros((401, 200))
        for g in range(401):
            sizes[g, : g // 4 + 1] = K
        speed, _ = ft.measured_speed(sizes, K, 40, 190)
        self.assertAlmostEqual(speed, 0.25, places=3)


class FitTestsTest(unittest.TestCase):
    def test_chi_square_accepts_its_own_law_and_rejects_a_shifted_one(self):
        rng = np.random.default_rng(5)
        p = 0.01
        values = rng.geometric(p, 20000)
        pmf = np.zeros(3000)
        pmf[1:] = p * (1 - p) ** np.arange(2999)
        table = np.cumsum(pmf)

        def cdf(x):
            return table[np.clip(x, 0, table.size - 1)]

        edges = st.grouped_bins(pmf, 40)
        self.assertGreater(st.chi_square_test("c", "own", values, cdf, edges, 5).p_value, 1e-3)
        self.assertLess(st.chi_square_test("c", "shift", values + 3, cdf, edges, 5).p_value, 1e-6)

    def test_bins_have_near_equal_mass(self):
        pmf = np.full(1000, 1e-3)
        edges = st.grouped_bins(pmf, 40)
        self.assertEqual(edges.size, 39)
        self.assertTrue(np.all(np.diff(edges) == 25))
        self.assertEqual(st.grouped_bins(pmf, 40, offset=10)[0], edges[0] + 10)

    def test_z_test_and_bonferroni(self):
        r = st.z_test("c", "z", np.array([1.0, 3.0]), 2.0, 1, sd=1.0)
        self.assertEqual(r.statistic, 0.0)
        self.assertEqual(r.p_value, 1.0)
        far = st.z_test("c", "far", np.full(100, 1.0), 0.0, 1, sd=1.0)  # z = 10
        exact = st.deterministic("c", "d", 1.0, 1.2, 0.1)
        results = [r, far, exact]
        self.assertEqual(st.apply_bonferroni(results), 2)
        self.assertEqual([x.passed for x in results], [True, False, False])
        self.assertEqual(r.corrected_p, 1.0)


if __name__ == "__main__":
    unittest.main()

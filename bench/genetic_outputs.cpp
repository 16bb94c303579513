// Genetic outputs of one genealogy: the deme-by-deme pair statistics (every pair of n genes
// over L loci) and a locus tree in parenthesis notation, on a random genealogy of n genes in
// ten demes.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "genetics/coalescence_statistics.h"
#include "genetics/newick.h"
#include "genetics/tree.h"

namespace orvantis {
namespace {

// Random pairs of lineages coalesce until one is left; states 0..3 at random per gene and locus.
void randomGenealogy(TTree& tree, int n, int loci) {
  std::ostringstream log;
  TRandom random(log, log);
  int idum = 1;
  tree.setNumLoci(loci);
  if (!tree.createTips(n)) return;
  std::vector<TNodeRef> lineages;
  for (TNodeRef t = 0; t < n; ++t) {
    lineages.push_back(t);
    TNode& tip = tree.node(t);
    tip.demeNumber = t % 10;
    tip.data.resize(static_cast<std::size_t>(loci));
    for (int& s : tip.data) s = static_cast<int>(random.ran3(idum) * 4);
    tip.numSites = loci;
  }
  for (int step = 1; lineages.size() > 1; ++step) {
    const std::size_t a = static_cast<std::size_t>(random.ran3(idum) * lineages.size());
    std::size_t b = static_cast<std::size_t>(random.ran3(idum) * (lineages.size() - 1));
    if (b >= a) ++b;
    const TNodeRef p = tree.createNode();
    TNode& parent = tree.node(p);
    parent.isInternal = kCoalescenceNode;
    parent.leftDesc = lineages[a];
    parent.rightDesc = lineages[b];
    parent.time = step;
    tree.node(lineages[a]).ancestor = tree.node(lineages[b]).ancestor = p;
    lineages[a] = p;
    lineages.erase(lineages.begin() + static_cast<std::ptrdiff_t>(b));
  }
  tree.roots.assign(static_cast<std::size_t>(loci), lineages.front());
}

void BM_PairStatistics(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int loci = static_cast<int>(state.range(1));
  std::ostringstream log;
  TTree tree(log);
  randomGenealogy(tree, n, loci);
  std::vector<int> tipDeme;
  for (int t = 0; t < n; ++t) tipDeme.push_back(t % 10);
  TPairStatistics statistics;
  if (!statistics.create(10, log)) return;
  for (auto _ : state) {
    if (!statistics.addGenealogy(tree, tipDeme)) {
      state.SkipWithError("genealogy refused");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * n * (n - 1) / 2);
}
BENCHMARK(BM_PairStatistics)->Args({200, 510})->Args({1000, 100})->Unit(benchmark::kMillisecond);

void BM_Newick(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::ostringstream log;
  TTree tree(log);
  randomGenealogy(tree, n, 1);
  std::string text;
  for (auto _ : state) {
    text.clear();
    (void)appendNewick(text, tree, 0, TBranchLength::Generations);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * (2 * n - 1));
}
BENCHMARK(BM_Newick)->Arg(200)->Arg(10000);

}  // namespace
}  // namespace orvantis

BENCHMARK_MAIN();

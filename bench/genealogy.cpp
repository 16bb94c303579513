// Genealogy structures: building genealogies of n sampled genes one after the other in one
// store, the way the backward walk does (random pairs of a deme's lineages replaced by their
// parent, one location step per move), so that the reuse of nodes and lists is measured.

#include <benchmark/benchmark.h>

#include <sstream>

#include "foundation/random.h"
#include "genetics/tree.h"

namespace orvantis {
namespace {

void BM_GenealogyInReusedStore(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::ostringstream log;
  TRandom random(log, log);
  int idum = 1;
  TTree tree(log);
  tree.setNumLoci(1);
  if (!tree.createTips(n)) {
    state.SkipWithError("tips refused");
    return;
  }
  TISimpleChain<TNode> lineages;
  for (auto _ : state) {
    tree.resetToTips(1000);
    lineages.clear();
    for (TNodeRef tip = 0; tip < n; ++tip) lineages.append(tip);
    for (int step = 1; lineages.count() > 1; ++step) {
      // Every lineage moves once per step; two of them coalesce.
      for (const TNodeRef l : lineages)
        (void)tree.Store_Node_Migration(l, step & 255, 1000 - step, 0);
      const int a = static_cast<int>(random.ran3(idum) * lineages.count());
      int b = static_cast<int>(random.ran3(idum) * (lineages.count() - 1));
      if (b >= a) ++b;
      const TNodeRef parent = tree.createNode();
      if (!tree.create_LocationVector(parent)) return;
      TNodeRef first = kNoNode;
      TNodeRef second = kNoNode;
      if (!lineages.replacePair(a, b, parent, first, second, log)) return;
      TNode& p = tree.node(parent);
      p.isInternal = kCoalescenceNode;
      p.leftDesc = first;
      p.rightDesc = second;
      p.time = step;
      tree.node(first).ancestor = tree.node(second).ancestor = parent;
    }
    benchmark::DoNotOptimize(tree.numNodes());
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}
BENCHMARK(BM_GenealogyInReusedStore)->Arg(100)->Arg(1000);

void BM_CountDescendants(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::ostringstream log;
  TTree tree(log);
  tree.setNumLoci(1);
  if (!tree.createTips(n)) {
    state.SkipWithError("tips refused");
    return;
  }
  // A caterpillar: the deepest genealogy of n tips.
  TNodeRef below = 0;
  for (TNodeRef tip = 1; tip < n; ++tip) {
    const TNodeRef parent = tree.createNode();
    TNode& p = tree.node(parent);
    p.isInternal = kCoalescenceNode;
    p.leftDesc = below;
    p.rightDesc = tip;
    tree.node(below).ancestor = tree.node(tip).ancestor = parent;
    below = parent;
  }
  tree.roots.assign(1, below);
  for (auto _ : state) benchmark::DoNotOptimize(tree.countDescendants(true));
  state.SetItemsProcessed(state.iterations() * (2 * n - 1));
}
BENCHMARK(BM_CountDescendants)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace orvantis

BENCHMARK_MAIN();

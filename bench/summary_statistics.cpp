// Summary statistics of one simulation's data: ten samples of n/10 genes over L DNA sites and
// ten microsatellites, states drawn so that sites are polymorphic (a few haplotypes shared), as
// batch studies compute them once per genetic simulation.

#include "genetics/summary_statistics.h"

#include <benchmark/benchmark.h>

#include <sstream>

#include "coalescent/genetic_parameters.h"
#include "foundation/random.h"
#include "genetics/summary_table.h"

namespace orvantis {
namespace {

TGeneticDataSet randomData(int genes, int sites) {
  std::ostringstream log;
  TRandom random(log, log);
  int idum = 1;
  TGeneticDataSet data;
  data.locusTypes.assign(static_cast<std::size_t>(sites), DNA);
  data.locusTypes.insert(data.locusTypes.end(), 10, MICROSAT);
  for (int s = 0; s < 10; ++s) {
    TSampleStates& sample = data.samples.emplace_back();
    sample.name.append("S").append(std::to_string(s + 1));
    sample.numGenes = genes / 10;
    for (int l = 0; l < sites + 10; ++l) {
      for (int g = 0; g < sample.numGenes; ++g) {
        const double u = random.ran3(idum);
        // DNA: mostly the ancestral base; microsatellites: repeat numbers around 0.
        sample.states.push_back(l < sites ? (u < 0.9 ? 0 : static_cast<int>(u * 40) % 4)
                                          : static_cast<int>(u * 12) - 6);
      }
    }
  }
  return data;
}

void BM_SummaryStatistics(benchmark::State& state) {
  const TGeneticDataSet data =
      randomData(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    const TSummaryStatistics statistics = computeSummaryStatistics(data);
    benchmark::DoNotOptimize(summaryColumnValues(statistics).data());
  }
  state.counters["gene-loci/s"] = benchmark::Counter(
      static_cast<double>(state.range(0)) * static_cast<double>(state.range(1) + 10),
      benchmark::Counter::kIsIterationInvariantRate);
}
// 200 genes over 500 sites (the example study's markers), then larger data sets.
BENCHMARK(BM_SummaryStatistics)
    ->Args({200, 500})
    ->Args({1000, 500})
    ->Args({200, 10000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvantis

BENCHMARK_MAIN();

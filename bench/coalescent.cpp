// The backward walk over a stored demography: genealogies of 200 genes (10 samples of 20) over
// the 1000 generations of the example study (examples/expansion), whose world is built and whose
// demography is simulated once in the setup. Reported per benchmark: genealogies per second
// (items), lineage-generations per second (one lineage present in one generation step of the
// walk) and the heap allocations per genealogy once the run's arrays are in place (expected 0).
//
//   OneSource             the study's own walk: one source, one locus, continuous-time finish
//   OneSourceRecombining  10 linked loci at 1e-4 per interval: generation by generation below 0
//   BuildTree             the walk of several sources or two populations on the same world
//
// Run on one core, e.g.: taskset -c 0 build/release/bench/bench_coalescent

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "coalescent/deme_collection.h"
#include "example_study.h"
#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace {
std::atomic<long long> gAllocations{0};
}  // namespace

// Every heap allocation of the process is counted. The replacements take their memory from
// malloc and give it back to free, a pairing the compiler cannot see through once it inlines
// them into library code.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace orvantis {
namespace {

constexpr int kSamples = 10;
constexpr int kGenesPerSample = 20;

// The example study's world with its demography, and the files of its genetic run.
struct Study : TExampleStudy {
  std::ostream quiet{nullptr};  // the walks' log lines are not kept
  std::string sampleFile;
  bool ready = false;

  Study() : TExampleStudy("orvantis_bench_coalescent_") {
    if (!simulated()) return;
    TExtendedSettings& settings = world->settings();
    // Ten samples of 20 genes, spread over the cells holding at least 40 individuals at the end.
    const StateDB& db = world->database();
    const TGridHeader& grid = world->header();
    std::vector<const cell*> places;
    for (const cell& c : world->cells()) {
      if (db.get_N(c.index, 0, db.endTime()) >= 2 * kGenesPerSample) places.push_back(&c);
    }
    if (places.size() < kSamples) {
      std::cerr << "too few populated cells in the example study\n";
      return;
    }
    std::ostringstream samples;
    samples << kSamples << "\n";
    for (int s = 0; s < kSamples; ++s) {
      const cell& c = *places[places.size() * static_cast<std::size_t>(s) / kSamples];
      samples << "S" << s << " " << kGenesPerSample << " 0 "
              << grid.yllcorner + (grid.nrows - c.row - 0.5) * grid.cellsize << " "
              << grid.xllcorner + (c.column + 0.5) * grid.cellsize << "\n";
    }
    sampleFile = (dir / "samples.sam").string();
    std::ofstream(sampleFile) << samples.str();
    settings.setValue("SampleFile", sampleFile.c_str());
    settings.setValue("MaxNumGenerations", 1000000);
    settings.fillTables();
    ready = true;
  }

  // A collection with the samples read and the tips made, for a chromosome of `loci` loci at
  // `rate` per interval.
  std::unique_ptr<TDemeCollection> collection(int loci, double rate) {
    const std::string par = (dir / ("genetics_" + std::to_string(loci) + ".par")).string();
    std::ofstream(par) << "1\n#chromosome 1\n1\nMICROSAT " << loci << " " << rate
                       << " 0.0005 0 0\n";
    world->settings().setValue("GeneticFile", par.c_str());
    world->settings().fillTables();
    auto c = std::make_unique<TDemeCollection>(*world, quiet, window, context.random);
    c->parameters().setNumChromosomes(1);
    if (c->createDemesFromWorld() != 1 || c->readSampleFile() != 1 || c->readChromosome(0) != 1) {
      return nullptr;
    }
    c->createInitialDemeList();
    c->tree().setNumLoci(c->parameters().numLoci());
    c->tree().setNodeCounter(0);
    if (c->createlineages() != 1) return nullptr;
    return c;
  }
};

Study& study() {
  static Study s;
  return s;
}

enum class Walk { OneSource, BuildTree };

void runWalks(benchmark::State& state, Walk walk, int loci, double rate) {
  Study& s = study();
  std::unique_ptr<TDemeCollection> c = s.ready ? s.collection(loci, rate) : nullptr;
  if (!c) {
    state.SkipWithError("the example study could not be set up");
    return;
  }
  const auto genealogy = [&] {
    const int result =
        walk == Walk::OneSource ? c->buildTreeOneOriginOneLayerRecombination(1) : c->buildTree(1);
    const long long lineageGenerations = c->lineageGenerations();
    c->resetDemes();
    return std::pair{result, lineageGenerations};
  };
  // Warm-up: the node store, the lists and the scratch arrays reach their working sizes.
  for (int g = 0; g < 100; ++g) (void)genealogy();
  long long lineageGenerations = 0;
  long long finished = 0;
  const long long allocationsBefore = gAllocations.load();
  for (auto _ : state) {
    const auto [result, lg] = genealogy();
    finished += result;
    lineageGenerations += lg;
  }
  const long long allocations = gAllocations.load() - allocationsBefore;
  state.SetItemsProcessed(state.iterations());
  state.counters["lineage_gen/s"] =
      benchmark::Counter(static_cast<double>(lineageGenerations), benchmark::Counter::kIsRate);
  state.counters["lineage_gen/genealogy"] =
      static_cast<double>(lineageGenerations) / static_cast<double>(state.iterations());
  state.counters["finished"] =
      static_cast<double>(finished) / static_cast<double>(state.iterations());
  state.counters["allocs/genealogy"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_OneSource(benchmark::State& state) {
  runWalks(state, Walk::OneSource, 1, 0.0);
}
BENCHMARK(BM_OneSource)->Unit(benchmark::kMillisecond);

void BM_OneSourceRecombining(benchmark::State& state) {
  runWalks(state, Walk::OneSource, 10, 1e-4);
}
BENCHMARK(BM_OneSourceRecombining)->Unit(benchmark::kMillisecond);

void BM_BuildTree(benchmark::State& state) {
  runWalks(state, Walk::BuildTree, 1, 0.0);
}
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvantis

BENCHMARK_MAIN();

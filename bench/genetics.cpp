// Genetic simulations of the example study (examples/expansion): 200 genes (ten samples of 20,
// one of them ancient) and one chromosome of 500 DNA sites and 10 microsatellites, over the
// study's 1000 generations, whose world is built and whose demography is simulated once in the
// setup. Reported per benchmark in time per iteration:
//
//   Simulation/example   one whole simulation as the series runs it (genealogy, mutations, the
//                        project file, PAUP file, tree lines, genealogy file, statistics) and its
//                        merge into the series' files, with the study's settings (NexusFile 1,
//                        GenealogiesFile 1)
//   Simulation/lean      the same with NexusFile 0 and GenealogiesFile 0 (project file only)
//   Genealogy            the backward walk of one genealogy of the chromosome (and the reset)
//   Mutations            the mutations of the chromosome's 510 loci on a built genealogy
//   Outputs              what one simulation writes for a mutated genealogy with the study's
//                        settings: deme data strings, project file, PAUP file, both tree lines
//                        of every locus, genealogy file, pair statistics
//   Replicates/threads:N a whole series of 16 simulations with the study's settings as
//                        replicates on N threads (wall-clock time): setup, the workers' copies,
//                        the simulations and the merge in simulation order; the ratio of N = 1
//                        to N = 2 is the speedup on two cores
//
// The outputs go to a scratch directory. Run on one core, e.g.:
//   taskset -c 0 build/release/bench/bench_genetics --benchmark_filter=-Replicates
// and the replicates on two:
//   taskset -c 0,1 build/release/bench/bench_genetics --benchmark_filter=Replicates

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"
#include "example_study.h"
#include "foundation/run_context.h"
#include "foundation/window_services.h"
#include "genetics/locus_data.h"
#include "genetics/mutation.h"
#include "genetics/newick.h"
#include "genetics/paup_file.h"
#include "genetics/project_file.h"
#include "world/demography/simulate_world.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

// Enough simulations for any number of iterations the benchmarks run.
constexpr int kSeriesLength = 100000;

struct Study : TExampleStudy {
  bool ready = false;

  Study() : TExampleStudy("orvantis_bench_genetics_") {
    if (!simulated()) return;
    TExtendedSettings& settings = world->settings();
    // The study's samples, copied so that the outputs land in a scratch directory next to them.
    std::filesystem::copy_file(example / "samples.sam", dir / "samples.sam");
    settings.setValue("SampleFile", (dir / "samples.sam").string().c_str());
    settings.setValue("GeneticFile", (example / "genetics.par").string().c_str());
    settings.setValue("NumGeneticSimulations", kSeriesLength);
    settings.fillTables();
    ready = true;
  }

  void setOutputs(bool nexus, bool genealogies) {
    world->settings().setValue("NexusFile", nexus ? 1 : 0);
    world->settings().setValue("GenealogiesFile", genealogies ? 1 : 0);
    world->settings().fillTables();
  }
};

Study& study() {
  static Study s;
  return s;
}

// A series set up over the study, with its own collection (log lines not kept).
struct Series {
  std::ostringstream log;
  std::unique_ptr<TDemeCollection> collection;
  std::unique_ptr<TGeneticSeries> series;

  explicit Series(Study& s) {
    collection = std::make_unique<TDemeCollection>(*s.world, log, s.window, s.context.random);
    series = std::make_unique<TGeneticSeries>(*s.world, TGeneticRunInputs(), *collection);
    if (!series->setUp()) series.reset();
  }
  // Keeps the log from growing over the iterations.
  void forgetLog() { log.str(""); }
};

void BM_Simulation(benchmark::State& state) {
  Study& s = study();
  if (!s.ready) {
    state.SkipWithError("the example study could not be set up");
    return;
  }
  const bool example = state.range(0) == 1;
  s.setOutputs(example, example);
  Series run(s);
  if (!run.series) {
    state.SkipWithError("the series could not be set up");
    return;
  }
  int simulation = 0;
  for (auto _ : state) {
    ++simulation;
    if (!run.series->merge(simulateGenetics(run.series->plan(), *run.collection, simulation))) {
      state.SkipWithError("a simulation failed");
      break;
    }
    run.forgetLog();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["failed"] = run.series->report().failed;
  state.SetLabel(example ? "example" : "lean");
}
BENCHMARK(BM_Simulation)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_Genealogy(benchmark::State& state) {
  Study& s = study();
  if (!s.ready) {
    state.SkipWithError("the example study could not be set up");
    return;
  }
  s.setOutputs(true, true);
  Series run(s);
  if (!run.series) {
    state.SkipWithError("the series could not be set up");
    return;
  }
  TDemeCollection& c = *run.collection;
  for (auto _ : state) {
    benchmark::DoNotOptimize(c.buildTreeOneOriginOneLayerRecombination(1));
    c.resetDemes();
    run.forgetLog();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Genealogy)->Unit(benchmark::kMillisecond);

void BM_Mutations(benchmark::State& state) {
  Study& s = study();
  if (!s.ready) {
    state.SkipWithError("the example study could not be set up");
    return;
  }
  s.setOutputs(true, true);
  Series run(s);
  if (!run.series || run.collection->buildTreeOneOriginOneLayerRecombination(1) != 1) {
    state.SkipWithError("no genealogy to mutate");
    return;
  }
  TDemeCollection& c = *run.collection;
  const int loci = c.parameters().numLoci();
  long long mutations = 0;
  for (auto _ : state) mutations += mutateChromosome(c, loci, false);
  state.SetItemsProcessed(state.iterations());
  state.counters["mutations"] =
      static_cast<double>(mutations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Mutations)->Unit(benchmark::kMillisecond);

void BM_Outputs(benchmark::State& state) {
  Study& s = study();
  if (!s.ready) {
    state.SkipWithError("the example study could not be set up");
    return;
  }
  s.setOutputs(true, true);
  Series run(s);
  TDemeCollection& c = *run.collection;
  if (!run.series || c.buildTreeOneOriginOneLayerRecombination(1) != 1) {
    state.SkipWithError("no genealogy to write");
    return;
  }
  const TSeriesPlan& plan = run.series->plan();
  const int loci = c.parameters().numLoci();
  const TTree& tree = c.tree();
  std::string mutationTrees;
  const int mutations = mutateChromosome(c, loci, false, [&](int locus) {
    std::ostringstream line;
    (void)writeTreeLine(line, tree, 1, 1, locus, TBranchLength::Mutations);
    mutationTrees += line.str();
  });
  const std::string base = plan.names.baseName;
  for (auto _ : state) {
    c.clearGeneticData();
    storeDemeData(c);
    {
      std::ofstream project(projectFileName(base, 1), std::ios::binary | std::ios::trunc);
      writeProjectHeader(project, c, 1);
      writeChromosomeHeader(project, 1, c.parameters(), c.mutation());
      writeProfile(project, countProfileSamples(c), plan.dataType, c.genotypicData());
      writeSamples(project, c, c.genotypicData());
      writeStructure(project, c);
    }
    {
      std::ofstream paup(paupFileName(base, 1, 1), std::ios::binary | std::ios::trunc);
      writePaupOpening(paup,
                       {plan.numTaxa, loci, plan.numSampleDemes,
                        c.mutation().currentBlock().mutationRate, plan.alpha},
                       paupLogFileName(base, 1, 1), 1, plan.dataType);
      writePaupMatrix(paup, c, plan.dataType);
      writePaupTreesAndCommands(paup, tree, 1, 1, c.mutation().treeLength(),
                                c.mutation().sitesHit(), plan.alpha);
    }
    std::ostringstream trees;
    for (int locus = 0; locus < loci; ++locus) {
      (void)writeTreeLine(trees, tree, 1, 1, locus, TBranchLength::Mutations);
      (void)writeTreeLine(trees, tree, 1, 1, locus, TBranchLength::Generations);
    }
    benchmark::DoNotOptimize(trees.str().size());
    (void)tree.writeGenealogyFile(1, 1, base);
    TPairStatistics pairs;
    (void)pairs.create(plan.numSampleDemes, run.log);
    (void)pairs.addGenealogy(tree, plan.tipDeme);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["mutations"] = mutations;
}
BENCHMARK(BM_Outputs)->Unit(benchmark::kMillisecond);

constexpr int kReplicateSeries = 16;

void BM_Replicates(benchmark::State& state) {
  Study& s = study();
  if (!s.ready) {
    state.SkipWithError("the example study could not be set up");
    return;
  }
  s.setOutputs(true, true);
  TExtendedSettings& settings = s.world->settings();
  settings.setValue("NumGeneticSimulations", kReplicateSeries);
  settings.fillTables();
  TGeneticRunInputs inputs;
  inputs.replicates.threads = static_cast<int>(state.range(0));
  int failed = 0;
  for (auto _ : state) {
    std::ostringstream log;
    TDemeCollection collection(*s.world, log, s.window, s.context.random);
    const TGeneticRunReport report = SimulateGeneticData(*s.world, inputs, collection);
    if (report.status != TGeneticRunStatus::Completed) {
      state.SkipWithError(("the series did not complete: " + report.problem).c_str());
      break;
    }
    failed += report.failed;
  }
  settings.setValue("NumGeneticSimulations", kSeriesLength);
  settings.fillTables();
  state.SetItemsProcessed(state.iterations() * kReplicateSeries);
  state.counters["failed"] = failed;
}
BENCHMARK(BM_Replicates)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace orvantis

BENCHMARK_MAIN();

#pragma once
// The genetic simulations of a study ("Do simulations !"): over the stored demography, a series
// of NumGeneticSimulations simulations, each building the genealogy of every chromosome of the
// genetic parameters file for the samples of the sample file, dropping mutations on it and
// writing the data, then the summaries of the series.
//
// Two levels, so that simulations can later run side by side with the same files:
//   TGeneticSeries (driver_series.h), once: the checks, the output names and directory, the
//     files shared by all simulations, the samples, the loci, the tips, the accumulators; it
//     merges the simulations' results in simulation order and writes the summaries at the end;
//   simulateGenetics (below), per simulation s: the chromosomes of s on one collection, its own
//     files, and a TSimulationResult (driver_result.h) with what goes into the shared files.
// SimulateGeneticData puts them together. By default: one collection, the program's
// generator, the simulations in order, each result merged right after its simulation. With
// replicate threads (TReplicateOptions, driver_threads.h): every simulation draws from a
// generator of its own, seeded from the run's seed and its number (driver_seeds.h), on worker
// copies of the collection, and the results are merged in simulation order, so that every file
// is the same whatever the number of threads.
//
// Output names (output_names.h): B = <sample directory>GeneticsOutput/<settings>_<samples>;
//   B_<s>.arp             project file of simulation s
//   B_projects.txt        the list of project files
//   B_results.txt         final results (runs of one chromosome)
//   B_summary_stats.tsv   summary statistics of every simulation (on request)
//   B.bat, B_true_trees.trees, B_mut_trees.trees, B_sim<s>_chrom<c>.pau   (NexusFile 1)
//   B.coal                temporal coalescence file (TemporalCoalescenceFile and the option)
//   B_tree_sim<s>_chrom<c>.tri   genealogy files (GenealogiesFile 1, no recombination)
//   B_TotNumCoal.bmp, B_TotMRCADensity.bmp, B_NumCoal_sim<s>_chrom<c>.bmp, B_CoalTree_<s>.bmp
//   B_Proportion_<s>.prop  (two populations, PropFile 1)
//   bmp/genetic_g<g>.bmp  lineage snapshots (genetic bitmaps option; with replicate threads,
//                         those of simulation 1 only)
//   B_<s>.vcf             VCF file of simulation s (the vcf input, genetics/vcf.h)
//   B_manifest.json       the run manifest (driver_manifest.h)

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "coalescent/driver_result.h"
#include "coalescent/genetic_options.h"
#include "coalescent/output_names.h"

namespace orvantis {

class TDemeCollection;
class World;
struct TSeriesPlan;

// How the simulations of a series draw their random numbers and where they run.
struct TReplicateOptions {
  // Present: simulation s draws from a generator of its own, seeded from the run's seed and s
  // (simulationStreamKey), and the simulations run on this many threads (0: one per core, at
  // most kMaxReplicateThreads). Absent: the program's generator, one sequence over the
  // simulations in order, on the calling thread.
  std::optional<int> threads;
  // With threads: only simulations first..last (from 1) run, each with its own generator, to
  // replay them; 0, 0: every simulation.
  int first = 0;
  int last = 0;
};

inline constexpr int kMaxReplicateThreads = 1024;

// An input file of the run named by the caller (a saved demography), for the manifest.
struct TNamedInputFile {
  std::string role;  // e.g. "saved demography"
  std::string path;
};

// What the run manifest records besides what the series knows.
struct TRunRecordInputs {
  std::vector<std::string> commandLine;  // the command's arguments, program name first
  std::string startDirectory;            // where the command was started
  // The command that replays simulation S alone ("S" standing for its number); empty when the
  // caller has none.
  std::string replayCommand;
  std::vector<TNamedInputFile> inputFiles;
};

// What a series is given besides the world and its collection.
struct TGeneticRunInputs {
  TGeneticOptions options;
  // The live views' one-pixel mode (the desktop program's result viewer at zoom 1): the
  // coalescence tree bitmaps and occupation snapshots then draw each cell as one pixel.
  bool onePixelMaps = false;
  // Receives "create folder <O> ?" when the output directory is made (the command's standard
  // output); null: the log.
  std::ostream* console = nullptr;
  // Write the summary statistics of every simulation (B_summary_stats.tsv).
  bool summaryStatistics = false;
  TReplicateOptions replicates;
  // One VCF file per simulation (genetics/vcf.h).
  bool vcf = false;
  TRunRecordInputs record;
};

enum class TGeneticRunStatus {
  Completed,  // the series ran to its end (some genealogies may have failed: see `failed`)
  NotRun,     // stopped before the first simulation: a check, an input file, the user's Cancel
  Failed      // stopped during the simulations: stored demography unreadable, output unwritable
};

// One simulation as merged, for the manifest.
struct TSimulationRecord {
  int simulation = 0;
  std::uint64_t streamKey = 0;  // with replicate threads: the key of its generator
  bool finished = false;
  double seconds = 0.0;
};

struct TGeneticRunReport {
  // 0 when a source check failed, else 1 (also when nothing was simulated).
  int result = 1;
  TGeneticRunStatus status = TGeneticRunStatus::NotRun;
  std::string problem;  // why the series did not complete
  int simulations = 0;  // NumGeneticSimulations
  int completed = 0;    // simulations whose every genealogy was finished
  int failed = 0;       // simulations with a genealogy that could not be finished
  TOutputNames names;   // empty until the names are made
  double seconds = 0.0;
  // How the simulations ran: the program generator's seed, the threads (0: the calling thread
  // and the program's generator), the simulations run (first..last) and each one merged.
  int seed = 0;
  int threads = 0;
  int first = 0;
  int last = 0;
  std::vector<TSimulationRecord> records;
  std::string manifest;  // the manifest written, "" when none could be
};

// One simulation s (from 1) of a series whose setup succeeded, on `worker`: the series'
// collection, or a copy of it made after the setup. Writes the simulation's own files and
// returns what the series merges. The worker's demes start and end reset.
TSimulationResult simulateGenetics(const TSeriesPlan& plan, TDemeCollection& worker, int s);

// The whole series on the world's collection (world.demeCollection()) or another collection
// over the world. May write the settings NumIndeLoci and NumLinkedLoci of the world; writes
// nothing else of it. Progress goes to the collection's window, one step per simulation
// finished.
TGeneticRunReport SimulateGeneticData(World& world, const TGeneticRunInputs& inputs,
                                      TDemeCollection& collection);

}  // namespace orvantis

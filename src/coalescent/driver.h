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
// SimulateGeneticData puts them together: one collection, the program's generator, the
// simulations in order, each result merged right after its simulation.
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
//   bmp/genetic_g<g>.bmp  lineage snapshots (genetic bitmaps option)

#include <ostream>
#include <string>

#include "coalescent/driver_result.h"
#include "coalescent/genetic_options.h"
#include "coalescent/output_names.h"

namespace orvantis {

class TDemeCollection;
class World;
struct TSeriesPlan;

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
};

enum class TGeneticRunStatus {
  Completed,  // the series ran to its end (some genealogies may have failed: see `failed`)
  NotRun,     // stopped before the first simulation: a check, an input file, the user's Cancel
  Failed      // stopped during the simulations: stored demography unreadable, output unwritable
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
};

// One simulation s (from 1) of a series whose setup succeeded, on `worker`: the series'
// collection, or a copy of it made after the setup. Writes the simulation's own files and
// returns what the series merges. The worker's demes start and end reset.
TSimulationResult simulateGenetics(const TSeriesPlan& plan, TDemeCollection& worker, int s);

// The whole series on the world's collection (world.demeCollection()) or another collection
// over the world. May write the settings NumIndeLoci and NumLinkedLoci of the world; writes
// nothing else of it. Progress goes to the collection's window, one step per simulation.
TGeneticRunReport SimulateGeneticData(World& world, const TGeneticRunInputs& inputs,
                                      TDemeCollection& collection);

}  // namespace orvantis

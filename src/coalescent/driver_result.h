#pragma once
// What one genetic simulation leaves for its series.
//
// A simulation writes its own files itself (project file, PAUP command files, genealogy files,
// per-simulation bitmaps). Everything that goes into a file or a total shared by every
// simulation of the series is kept here instead, and the series merges the results strictly in
// simulation order, so the shared files are the same whether the simulations ran one after the
// other on one collection or side by side on several.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "genetics/coalescence_statistics.h"
#include "genetics/introgression.h"
#include "genetics/summary_file.h"

namespace orvantis {

// One chromosome that received its mutations: its tree length in mutation units and its number
// of mutations, for the mean tree lengths of the tree files and the final results.
struct TChromosomeLength {
  double treeLength = 0.0;
  long long mutations = 0;
};

struct TSimulationResult {
  int simulation = 0;  // from 1

  // Every genealogy of the simulation was finished. Otherwise the chromosomes after the one
  // whose genealogy failed were not simulated; the project file was still completed.
  bool finished = false;
  // The series cannot go on (the stored demography cannot be read, an output file cannot be
  // written): `problem` says why and the series stops after merging this result.
  bool fatal = false;
  std::string problem;

  // Text for the shared files, in the order each receives it.
  std::string projectList;    // the project file's name and a line end
  std::string batch;          // "paup <file>" lines (NexusFile)
  std::string trueTrees;      // tree lines in generations (NexusFile)
  std::string mutationTrees;  // tree lines in numbers of mutations (NexusFile, not SNP)
  std::string temporal;       // lines of the temporal coalescence file
  // Log text of a worker whose collection logs into a buffer of its own; empty when the
  // collection logs into the run's log directly.
  std::string log;
  // Message boxes a worker was asked to show (text, caption), shown by the series when it
  // merges the result.
  std::vector<std::pair<std::string, std::string>> messages;

  // How it ran: its seconds, and with replicate threads the key of its generator.
  double seconds = 0.0;
  std::uint64_t streamKey = 0;

  // Totals to add.
  std::vector<std::pair<int, int>> coalescences;  // (cell index, coalescences) of all genealogies
  std::vector<int> mrcaCells;                     // per chromosome; -1 when none was recorded
  std::vector<TChromosomeLength> lengths;         // per chromosome mutated, in order
  TPairStatistics pairs;                          // the genealogies without recombination
  TProportionTable proportions;                   // two populations: (k, 0, chromosome index)
  // The summary statistics of the simulation's data (when the series writes them).
  TSimulationSummary summary;
};

}  // namespace orvantis

#pragma once
// The series level of the genetic simulations (see driver.h): set up once, merge each
// simulation's result in simulation order, write the summaries at the end.
//
//   TGeneticSeries series(world, inputs, collection);
//   if (series.setUp()) {
//     for (int s = 1; s <= series.plan().numSimulations; ++s) {
//       if (!series.merge(simulateGenetics(series.plan(), collection, s))) break;
//     }
//   }
//   series.finish();
//   series.report();
//
// The shared files are opened by setUp and closed by finish (or the destructor), which also
// writes the run manifest. While a series is alive it has its walk observer installed on the
// collection. With replicate threads, simulations first..last of the plan run instead of all
// (driver_threads.h runs them).

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "coalescent/driver.h"
#include "coalescent/driver_manifest.h"
#include "coalescent/genetic_parameters.h"
#include "genetics/coalescence_maps.h"
#include "genetics/nexus_files.h"
#include "genetics/summary_file.h"

namespace orvantis {

class TGeneticFileWriters;
class TWalkObserver;

// What every simulation of a series shares, fixed by the setup.
struct TSeriesPlan {
  TOutputNames names;
  int numSimulations = 0;  // NumGeneticSimulations
  // The simulations the series runs, in order (all, unless replicates are replayed).
  int first = 1;
  int last = 0;
  int numChromosomes = 0;
  int numPopulations = 1;
  // One population and one source: the one-source walk; otherwise buildTree.
  bool oneSourceWalk = false;
  int dataType = 0;    // the run's data type for the outputs (STANDARD when mixed)
  double alpha = 0.0;  // gamma shape of the DNA mutation rates
  int numTaxa = 0;     // sampled genes
  int numSampleDemes = 0;
  std::vector<int> tipDeme;  // position of each tip's deme in the initial deme list
  TCellGrid grid;
  bool nexusFiles = false;          // NexusFile 1
  bool genealogyFiles = false;      // GenealogiesFile 1
  bool temporalFile = false;        // TemporalCoalescenceFile and the option
  bool spatialMaps = false;         // the coalescent spatial distribution option
  bool proportionFiles = false;     // two populations and PropFile 1
  long long totalLoci = 0;          // loci of every chromosome (countAllLoci)
  int firstChromosomeLoci = 0;      // NumLinkedLoci
  float lastBlockMutationRate = 0;  // of chromosome 1's last block (final results)
  bool summaryStatistics = false;   // the simulations compute their summary statistics
  bool vcf = false;                 // a VCF file per simulation
  std::vector<int> chromosomeLoci;  // loci of each chromosome (with VCF files)
  // Replicates on threads: every simulation reads its chromosomes itself and draws from its
  // own generator.
  bool replicates = false;
};

class TGeneticSeries {
 public:
  TGeneticSeries(World& world, const TGeneticRunInputs& inputs, TDemeCollection& collection);
  ~TGeneticSeries();
  TGeneticSeries(const TGeneticSeries&) = delete;
  TGeneticSeries& operator=(const TGeneticSeries&) = delete;

  // Everything before the first simulation. True when the simulations may start; otherwise
  // the report says why (status NotRun, result 0 after a source check).
  bool setUp();
  const TSeriesPlan& plan() const { return plan_; }

  // Adds a simulation's result (the next in order) to the shared files and totals. False when
  // the series must stop (the result was fatal, or a shared file could not be written).
  bool merge(const TSimulationResult& result);

  // After the last merge: the coalescence and MRCA maps, the proportion files, the closing of
  // the tree files and the final results (runs of one chromosome), the last log line. Only the
  // files are closed when the setup failed or the series stopped.
  void finish();

  const TGeneticRunReport& report() const { return report_; }
  // The threads the simulations run on (0: the calling thread), for the report.
  void noteThreads(int threads) { report_.threads = threads; }
  // Coalescences per cell index over the merged simulations.
  const std::vector<int>& coalescenceTotals() const { return coalescenceTotals_; }
  const TPairStatistics& pairStatistics() const { return pairs_; }
  const TTreeLengthSums& treeLengthSums() const { return sums_; }
  const TMrcaLocations& mrcaLocations() const { return mrca_; }
  // The writers of the genetic bitmaps and coalescence trees, null when neither is asked for.
  TWalkObserver* walkWriters() const;
  const TGeneticRunInputs& inputs() const { return inputs_; }

 private:
  bool notRun(const std::string& problem);
  bool checkDemography();
  bool checkSources();
  // The numbers of simulations and generations, the populations, the files the settings and
  // options ask for.
  bool readRunSettings();
  bool openSharedFiles();
  bool openFile(std::ofstream& file, const std::string& name);
  bool prepareRun();
  // The simulations to run and how (replicate threads, replay of some), from the inputs.
  bool readReplicateOptions();
  // Every chromosome once, for their numbers of loci and the per-chromosome values of the
  // summaries when the simulations run on workers.
  bool readChromosomeSummaries(const std::string& geneticFile);
  void writeSummaries();
  void closeFiles();
  void writeManifest();

  World& world_;
  TGeneticRunInputs inputs_;
  TDemeCollection& collection_;
  std::ostream& log_;
  TSeriesPlan plan_;
  TGeneticRunReport report_;
  std::chrono::steady_clock::time_point start_;
  bool ready_ = false;
  bool stopped_ = false;
  bool finished_ = false;
  int merged_ = 0;

  std::ofstream results_;
  std::ofstream projectList_;
  std::ofstream batch_;
  std::ofstream trueTrees_;
  std::ofstream mutationTrees_;
  std::ofstream temporal_;
  TSummaryStatsFile summaryStats_;

  TPairStatistics pairs_;
  TTreeLengthSums sums_;
  TMrcaLocations mrca_;
  TProportionTable proportions_;
  std::vector<int> coalescenceTotals_;
  std::unique_ptr<TGeneticFileWriters> writers_;
  // Every chromosome read once (replicates or VCF files).
  TGeneticParameters chromosomeSummaries_;
  // For the manifest: the settings as the series started, the input files with their digests,
  // whether the output directory exists.
  std::vector<std::pair<std::string, std::string>> settingsAtStart_;
  std::vector<TManifestInputFile> inputDigests_;
  bool outputDirectoryMade_ = false;
};

}  // namespace orvantis

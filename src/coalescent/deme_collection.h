#pragma once
// The object of one run of genetic simulations: the demes with their table and lists, the
// samples, the genealogy with its node counter, the genetic parameters of the current
// chromosome, the per-cell coalescence counters, and the reader of the stored demography.
//
// It reads the World (cells, settings, database) and never writes it; everything that a series
// of genealogies changes lives here, so several collections can run side by side over one
// World. Random draws come from the generator it is given, with its own seed variable; log lines
// go to the stream it is given; the user is reached through the window services it is given.
//
// A run: createDemesFromWorld, readSampleFile, countAllLoci and readChromosome(0),
// createInitialDemeList, createlineages; then per genealogy the backward walk (buildTree, or
// buildTreeOneOriginOneLayerRecombination with one population and one source), the outputs and
// resetDemes; clearGeneticData before every simulation but the first.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "coalescent/deme.h"
#include "coalescent/genetic_options.h"
#include "coalescent/genetic_parameters.h"
#include "coalescent/walk_observer.h"
#include "foundation/my_string.h"
#include "foundation/random.h"
#include "foundation/window_services.h"
#include "genetics/mutation_state.h"
#include "genetics/tree.h"
#include "world/database/generation_view.h"

namespace orvantis {

class TExtendedSettings;
class World;
class cell;
struct PopulationSource;

// A (cell index, population index) entry of the deme lists; (-1, -1) when unused.
struct TDemeSlot {
  int cellIndex = -1;
  int popIndex = -1;
};

// An accepted sample: its deme's number and its position in that deme's sample list.
struct TSampleRef {
  int demeNumber = -1;
  int position = -1;
};

// An accepted ancient sample (dated before EndTime).
struct TAncientSample {
  my_string name;
  int date = 0;
  int size = 0;
  int popIndex = 0;
  float y = 0.0f;
  float x = 0.0f;
  int lineageOffset = 0;  // first position of its lineages in its deme's ancient list
};

// Most genes the samples of a run may hold together.
inline constexpr int kMaxSampledGenes = 10000000;

// What a genealogy reads from the settings (MaxNumGenerations, TauValue, AncestralSize, whether
// lineage moves are recorded, AllowSourcePopulationOverflow), and the genetic parameters file
// the chromosomes are read from.
struct TWalkSettings {
  int maxGenerations = 0;
  int tauValue = 0;
  int ancestralSize = 0;
  bool recordMoves = false;     // GenealogiesFile, or PropFile with two populations
  bool gatherOverflow = false;  // AllowSourcePopulationOverflow present and 0
  std::string geneticFile;      // GeneticFile

  static TWalkSettings read(const TExtendedSettings& settings, int numPopulations);
};

class TDemeCollection {
 public:
  TDemeCollection(const World& world, std::ostream& log, TWindowServices& window, TRandom& random);
  // A worker's copy of `series`, a collection whose run is set up (samples read, tips created,
  // no genealogy open): the same demes, lists, samples, tips, genetic parameters, mutation state
  // and options, with its own genealogy store, counters and reader of the world's database. It
  // logs to `log`, reaches the user through `window`, draws from `random` with a seed variable
  // of its own, has no walk observer and reads no settings: it keeps the series' fixed settings
  // (read now when the series has none fixed).
  TDemeCollection(const TDemeCollection& series, std::ostream& log, TWindowServices& window,
                  TRandom& random);
  virtual ~TDemeCollection();
  TDemeCollection(const TDemeCollection&) = delete;
  TDemeCollection& operator=(const TDemeCollection&) = delete;

  // --- The steps of a run ---

  // Discards every deme and list of an earlier run and sizes the deme table, the lists and the
  // per-cell counters for rows x columns x populations slots, all empty. Takes a reader of the
  // world's database. 0 after logging when memory is refused.
  [[nodiscard]] int createDemesFromWorld();
  // Reads the sample file named by SampleFile: one deme per sampled (cell, population). 1 when
  // the simulations may go on with the accepted samples (possibly none), 0 when they must not
  // (file unreadable or damaged, odd size with genotypic data, the user's Cancel).
  [[nodiscard]] int readSampleFile();
  // The initial deme list := the active deme list.
  void createInitialDemeList();
  // Creates the tips of the genealogy, one per sampled gene, in the order of the active deme
  // list and of each deme's samples, and puts them in their demes' lists. 0 after logging when
  // there is no sampled gene or the genealogy would not fit in memory.
  [[nodiscard]] int createlineages();
  // After every genealogy: the active deme list back to the initial one, every deme reset, the
  // per-genealogy coalescence counters 0.
  void resetDemes();
  // Before every simulation but the first: the genetic data of every deme are emptied.
  void clearGeneticData();

  // The cell index of the cell holding the point; -1 after logging when there is none.
  int GetDemeFromCoordinates(float y, float x) const;

  // --- Demes ---

  // Adds an accepted sample: to the deme of (cell, population) when there is one, else to a
  // new deme appended to the active deme list. `lineageOffset` receives the position of an
  // ancient sample's lineages in the deme's ancient list. Null after logging when memory is
  // refused or the population is not one of the run.
  TDeme* addSample(const cell& place, const my_string& name, int size, int popIndex,
                   int sampleNumber, bool isAncient, int& lineageOffset);
  // A deme for a lineage migrating into (cell index, population), registered in the deme table
  // only, with the size of the population there at the walk's current generation. The existing
  // deme when there is one; null after logging when memory is refused or the slot is invalid.
  TDeme* createDemeForMigrant(int cellIndex, const cell* place, int popIndex);

  int numPopulations() const { return numPopulations_; }
  int numSlots() const { return numSlots_; }
  // Slot of (cell index, population) in the deme table, -1 outside it.
  int slotOf(int cellIndex, int popIndex) const {
    if (cellIndex < 0 || popIndex < 0 || popIndex >= numPopulations_) return -1;
    const long long slot = static_cast<long long>(cellIndex) * numPopulations_ + popIndex;
    return slot < numSlots_ ? static_cast<int>(slot) : -1;
  }
  TDeme* demeAt(int cellIndex, int popIndex) const {
    const int slot = slotOf(cellIndex, popIndex);
    if (slot < 0) return nullptr;
    const int id = demeTable_[static_cast<std::size_t>(slot)];
    return id < 0 ? nullptr : demes_[static_cast<std::size_t>(id)].get();
  }
  TDeme* demeAt(const TDemeSlot& slot) const { return demeAt(slot.cellIndex, slot.popIndex); }
  // Every deme in order of creation (the sample demes first).
  const std::vector<std::unique_ptr<TDeme>>& demes() const { return demes_; }

  // The deme lists: entries 0..count - 1 are used, the others (-1, -1).
  const std::vector<TDemeSlot>& activeDemes() const { return activeDemes_; }
  int numDemes() const { return numDemes_; }
  const std::vector<TDemeSlot>& newlyActiveDemes() const { return newlyActive_; }
  int numNewlyActive() const { return numNewlyActive_; }
  const std::vector<TDemeSlot>& initialDemes() const { return initialDemes_; }
  int numSampleDemes() const { return numSampleDemes_; }

  // --- Samples ---

  const std::vector<TSampleRef>& sampleList() const { return sampleList_; }
  const std::vector<TAncientSample>& ancientSamples() const { return ancientSamples_; }
  int numAncientSamples() const { return numAncientSamples_; }
  int ancientSamplesLeft() const { return ancientSamplesLeft_; }
  const std::vector<char>& ancientFlags() const { return ancientFlags_; }
  int genotypicData() const { return genotypicData_; }
  // Genes of all accepted samples.
  int totalSampledGenes() const { return totalSampledGenes_; }

  // --- Settings ---

  // From now on every genealogy uses the settings as they are now instead of reading them when
  // it starts (a series fixes them once set up; its workers never read the settings store).
  void fixSettings();
  // The settings the next genealogy uses.
  TWalkSettings walkSettings() const;

  // --- Genetic parameters of the current chromosome ---

  // The two readings of the file named by GeneticFile (see genetic_parameters.h);
  // readChromosome also refuses a chromosome whose loci would not fit in memory on the nodes
  // of the run's genealogy.
  int countAllLoci();
  [[nodiscard]] int readChromosome(int c);
  TGeneticParameters& parameters() { return parameters_; }
  const TGeneticParameters& parameters() const { return parameters_; }

  // --- The genealogy and the walk ---

  TTree& tree() { return tree_; }
  const TTree& tree() const { return tree_; }
  // What the mutation process and the project file keep between calls.
  TMutationState& mutation() { return mutation_; }
  const TMutationState& mutation() const { return mutation_; }
  // The generation d of the backward walk: queries read max(d, 0) (currentView) and
  // max(d - 1, 0) (previousView).
  void setWalkTime(int d);
  int walkTime() const { return walkTime_; }
  const TGenerationView& currentView() const { return currentView_; }
  const TGenerationView& previousView() const { return previousView_; }
  // Both views of the walk's generation could be read (a damaged saved demography gives
  // unreadable rows: the walk then stops with a log line instead of reading them).
  bool viewsReadable() const { return currentView_.valid() && previousView_.valid(); }
  // Null before createDemesFromWorld.
  TDemographyReader* reader() { return reader_ ? &*reader_ : nullptr; }

  // Coalescences per cell index: in the current genealogy and over all simulations.
  const std::vector<int>& coalescencesPerCell() const { return coalescencesThisGenealogy_; }
  const std::vector<int>& coalescencesPerCellCumulated() const { return coalescencesCumulated_; }
  long migrationEvents() const { return migrationEvents_; }
  int numCoalescences() const { return numCoalescences_; }

  // --- What the run is given ---

  const World& world() const { return world_; }
  std::ostream& log() const { return log_; }
  TWindowServices& window() const { return window_; }
  TRandom& random() const { return random_; }
  // Uniform in [0, 1) from the run's generator with the collection's seed variable.
  double ran3() { return random_.ran3(idum_); }
  // Poisson count of the given mean (single precision), likewise.
  float poisson_dev(float mean) { return random_.poisson_dev(mean, idum_); }
  // Output base name of the run's genetic files (set before the sample file is read).
  void setOutputBaseName(const std::string& name) { outputBaseName_ = name; }
  const std::string& outputBaseName() const { return outputBaseName_; }
  void setOptions(const TGeneticOptions& options) { options_ = options; }
  const TGeneticOptions& options() const { return options_; }

  // --- The backward walk: one genealogy ---
  //
  // Before a genealogy the demes hold their tips (createlineages, or resetDemes after the last
  // genealogy, finished or not), the tree has the chromosome's number of loci and the genetic
  // parameters of that chromosome are read. After it, whatever the result, the caller writes
  // what it needs and calls resetDemes. The walk reads the database one generation at a time
  // from EndTime down (setWalkTime once per step).

  // The walk with two populations or several sources: generation by generation from EndTime,
  // before the expansion the sources' history (resizing, bottleneck, migration among sources,
  // the merger at -TauValue), until one lineage is left, every locus has its root or
  // MaxNumGenerations is reached. 1 when the genealogy is finished, 0 after logging otherwise.
  [[nodiscard]] int buildTree(int simulationNumber);
  // The walk with one population and one source: generation by generation down to generation
  // 0; then, for a chromosome that does not recombine, the lineages left in the source coalesce
  // in one draw of a continuous-time coalescent; a recombining chromosome goes on generation by
  // generation in the source deme. 1 or 0 as buildTree.
  [[nodiscard]] int buildTreeOneOriginOneLayerRecombination(int simulationNumber);

  // Steps of the walk, public for the tests that drive a walk step by step.
  // Opens a genealogy at d = EndTime: counters 0, the tips back at their samples, the settings
  // of the walk read. 0 after logging when there is nothing to walk.
  [[nodiscard]] int beginGenealogy();
  // The incoming lineages of every active deme join it; demes left without lineage leave the
  // active deme list (the last entry takes their place).
  void updateActiveDemes();
  // Demes that received their first lineages in this step join the active deme list, numbered
  // by their cell index.
  void activateNewDemes();
  // The ancient samples dated d join their demes (or are refused when their deme is not larger
  // than the sample at d). 0 after logging when a sample's lineages cannot be found.
  [[nodiscard]] int addAncientSamples(int d, int E);
  // One step before the expansion (d < 1) with several sources.
  [[nodiscard]] int preExpansionStep(int d, int E);
  // End of the step at d = 1 with AllowSourcePopulationOverflow 0: lineages in cells a source
  // overflowed into go back to the source's cell, whose deme takes the source's whole initial
  // size. Population 0 only, or every population.
  [[nodiscard]] int gatherOverflowedSources(bool everyPopulation);
  // The source whose number the deme's cell holds for population 0; null when the cell is no
  // source (a deme of lineages left in an emptied cell: no resizing, no migration).
  const PopulationSource* sourceOf(const TDeme& deme) const;

  // State of the genealogy being walked.
  int totalLineages() const { return totalLineages_; }
  long long remainingLineageLoci() const { return remainingLineageLoci_; }
  int numRecombinations() const { return numRecombinations_; }
  int stepCounter() const { return stepCounter_; }
  // Lineages present in demes, summed over the generation steps of the walk so far.
  long long lineageGenerations() const { return lineageGenerations_; }

  // The writers of the walk's optional files (see walk_observer.h); null for none.
  void setWalkObserver(TWalkObserver* observer) { observer_ = observer; }
  TWalkObserver* walkObserver() const { return observer_; }

  // Consistency of the table, the lists and their counts; once the lineages exist, each lineage
  // (node without ancestor) in exactly one active or incoming list, or pending in an ancient
  // list, and the genealogy's own verify(). During a walk also: the lineages counted by the walk
  // (sampled - coalescences + recombinations) are those in the lists and the pending ancient
  // ones; with moves recorded, every lineage's last recorded place is its deme's. On failure
  // the first problem is in `problem`.
  bool verify(std::string* problem = nullptr) const;

 private:
  friend class TDeme;

  // Window and observer at a step: every step (buildTree) or only at refresh turns.
  void showWalkStep(int E, int d, bool everyStep);
  void showLabels(int E, int d);
  // Logs that the stored demography of generation d cannot be read; 0 (the genealogy fails).
  int refuseUnreadableGeneration(int d);
  // Steps 5 to 7 of a walk: final updates and the end rules. 1 when finished.
  int finishGenealogy(int simulationNumber, int E, bool recombining);
  // One generation step of the spatial walk (d >= 1, or any d with a single source in
  // buildTree): sizes, coalescence, recombination, migration, ancient samples, list updates.
  int spatialStep(int d, int E, bool recombining, bool readSizes);
  // The one-source loop's end below generation 0 for a chromosome that does not recombine.
  int continuousTimeFinish(TDeme& deme, int& E, int& d);
  // Applies the merger at -TauValue while the first deme is processed.
  int mergeAtTau(int d);
  void clearNewlyActive();
  [[nodiscard]] int appendNewlyActive(int cellIndex, int popIndex);
  // A parent of x and y in `deme` at step E, generation d, counted as a coalescence (one
  // lineage less). With `bookkeeping` the per-locus lineage counts and roots follow. kNoNode
  // after logging when memory is refused.
  TNodeRef createParent(const TDeme& deme, TNodeRef x, TNodeRef y, int E, int d, bool bookkeeping);
  void recordMove(TNodeRef node, int cellIndex, int time, int pop) {
    if (recordMoves_) (void)tree_.Store_Node_Migration(node, cellIndex, time, pop);
  }
  void countMigration() { ++migrationEvents_; }
  bool allRootsFound() const;
  int sourceCount() const;

  void applyWalkSettings(const TWalkSettings& settings);
  void discardDemes();
  // One sample line: 1 to go on, 0 to end the reading with 0, -1 to stop with 1.
  int readSampleLine(const std::string& line, int sampleNumber, int lineNumber,
                     const std::string& fileName, int endTime, bool& asked);
  bool askOnce(bool& asked);
  std::uint64_t genealogyBytes(long long genes, long long loci) const;

  const World& world_;
  std::ostream& log_;
  TWindowServices& window_;
  TRandom& random_;
  int idum_ = 1;
  std::string outputBaseName_;
  TGeneticOptions options_;

  int numPopulations_ = 1;
  int numSlots_ = 0;
  std::vector<int> demeTable_;  // slot -> index in demes_, -1 for none
  std::vector<std::unique_ptr<TDeme>> demes_;
  std::vector<TDemeSlot> activeDemes_;
  int numDemes_ = 0;
  std::vector<TDemeSlot> newlyActive_;
  int numNewlyActive_ = 0;
  std::vector<TDemeSlot> initialDemes_;
  int numSampleDemes_ = 0;

  std::vector<TSampleRef> sampleList_;
  std::vector<TAncientSample> ancientSamples_;
  int numAncientSamples_ = 0;
  int ancientSamplesLeft_ = 0;
  std::vector<char> ancientFlags_;
  int genotypicData_ = 0;
  int totalSampledGenes_ = 0;
  bool lineagesCreated_ = false;

  std::vector<int> coalescencesThisGenealogy_;
  std::vector<int> coalescencesCumulated_;
  long migrationEvents_ = 0;
  int numCoalescences_ = 0;

  // The genealogy being walked.
  bool walkOpen_ = false;
  int totalLineages_ = 0;
  long long remainingLineageLoci_ = 0;
  int numRecombinations_ = 0;
  int pendingAncientGenes_ = 0;
  int stepCounter_ = 0;
  long long lineageGenerations_ = 0;
  int maxGenerations_ = 0;
  int tauValue_ = 0;
  int ancestralSize_ = 0;
  bool recordMoves_ = false;
  bool gatherOverflow_ = false;
  bool singleDemeWarned_ = false;
  int refreshRate_ = kDefaultCoalescenceRefreshRate;
  TWalkObserver* observer_ = nullptr;
  // Scratch of the walk, reserved at the start of a genealogy and kept: the parents drawn in a
  // deme, the long-distance arrivals of a deme, the continuous-time event times, the ancient
  // samples by date with their cells, the overflow sizes per source.
  DescNodeVect descScratch_;
  std::vector<TLDDMigrant> lddScratch_;
  std::vector<double> eventTimes_;
  std::vector<int> ancientOrder_;
  std::vector<int> ancientCells_;
  int nextAncient_ = 0;
  std::vector<long long> overflowSizes_;
  int prefetchSink_ = 0;  // keeps the reads that warm the cache
  std::optional<TWalkSettings> fixedSettings_;

  TGeneticParameters parameters_;
  TTree tree_;
  TMutationState mutation_;
  std::optional<TDemographyReader> reader_;
  int walkTime_ = 0;
  TGenerationView currentView_;
  TGenerationView previousView_;
};

}  // namespace orvantis

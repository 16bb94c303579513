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
// createInitialDemeList, createlineages; then per genealogy the backward walk, the outputs and
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
#include "foundation/my_string.h"
#include "foundation/random.h"
#include "foundation/window_services.h"
#include "genetics/mutation_state.h"
#include "genetics/tree.h"
#include "world/database/generation_view.h"

namespace orvantis {

class World;
class cell;

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

class TDemeCollection {
 public:
  TDemeCollection(const World& world, std::ostream& log, TWindowServices& window, TRandom& random);
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

  // Consistency of the table, the lists and their counts; once the lineages exist, each lineage
  // (node without ancestor) in exactly one active or incoming list, or pending in an ancient
  // list, and the genealogy's own verify(). On failure the first problem is in `problem`.
  bool verify(std::string* problem = nullptr) const;

 private:
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

  TGeneticParameters parameters_;
  TTree tree_;
  TMutationState mutation_;
  std::optional<TDemographyReader> reader_;
  int walkTime_ = 0;
  TGenerationView currentView_;
  TGenerationView previousView_;
};

}  // namespace orvantis

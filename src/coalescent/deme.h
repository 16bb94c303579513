#pragma once
// One deme of the backward simulation: the lineages of one population in one cell.
//
// A deme is created by the first sample of its (cell, population), or for the first lineage
// that migrates into it, and lives in its collection's deme table until the next
// createDemesFromWorld. Its lists hold references to nodes of the collection's genealogy; the
// deme never owns nodes. Fields are public: the operations of the backward walk (migration,
// coalescence, recombination) work on them directly, as members of TDeme.

#include <vector>

#include "foundation/my_string.h"
#include "genetics/chain_list.h"
#include "genetics/locus_data.h"
#include "genetics/node.h"

namespace orvantis {

class TDemeCollection;
class TTree;
class cell;

// Result of a walk operation that counts events (coalescences, recombinations) when the
// genealogy cannot go on (logged): memory refused or a list in an impossible state.
inline constexpr int kWalkFailed = -1;

// One sample of a deme: its number of genes and its 0-based line among the sample lines.
struct TDemeSample {
  int size = 0;
  int sampleNumber = 0;
};

class TDeme {
 public:
  TDeme(TDemeCollection& collection, int cellIndex, const cell* cellRecord, int popIndex)
      : cellIndex(cellIndex),
        popIndex(popIndex),
        cellRecord(cellRecord),
        collection_(&collection) {}
  // A copy of `other` (sizes, samples, lists, data) belonging to `collection`: a deme of a
  // worker's copy of a collection.
  TDeme(const TDeme& other, TDemeCollection& collection) : TDeme(other) {
    collection_ = &collection;
  }
  virtual ~TDeme() = default;
  TDeme& operator=(const TDeme&) = delete;

  // Individuals of the deme's population in its cell at the generation being simulated.
  int size = 0;
  float inverseSize = 0.0f;  // 1 / size, 0 for an empty deme
  int sampleSize = 0;        // sampled genes, contemporary and ancient
  int numLineages = 0;       // entries of activeList
  int ancientPending = 0;    // ancient genes not yet added to the genealogy
  int ancientSampleSize = 0;
  int numIncoming = 0;  // entries of incomingList
  int cellIndex;
  int popIndex;
  int demeNumber = -1;
  const cell* cellRecord;  // the deme's cell of the World (its database entry is cellIndex)

  TISimpleChain<TNode> activeList;    // lineages present in the deme
  TISimpleChain<TNode> sampleNodes;   // the sample's nodes, in sample order
  TISimpleChain<TNode> incomingList;  // lineages that moved in during this generation
  TISimpleChain<TNode> ancientList;   // ancient samples' nodes, in sample order

  TLocusArray loci;  // genetic data of the current simulation, one entry per chromosome

  int extraSamples = 0;              // samples of the deme minus one
  std::vector<TDemeSample> samples;  // in order of reading
  std::vector<my_string> names;      // [0] the deme's label, [k + 1] the name of sample k
  std::vector<char> ancientFlags;    // per sample: 1 for an ancient sample

  // Before the expansion: the size gathered from the cells a source overflowed into (-1 when
  // none), which stands for the database's size at generation 0; and whether the source's
  // resizing holds, so that the size is not read from the database again.
  int gatheredSize = -1;
  bool resizedBeforeExpansion = false;

  // size and its inverse together.
  void setSize(int individuals) {
    size = individuals;
    inverseSize = individuals > 0 ? 1.0f / static_cast<float>(individuals) : 0.0f;
  }

  // --- One generation step of the backward walk (the collection's walk time is the step's d) ---

  // size := the population of the deme's population in its cell at generation max(d, 0); a
  // source's gathered size at generation 0 and below.
  void updateSize();
  // Coalescence of one step: all lineages draw their parents when n(n - 1)/2 / size >= 1
  // (single precision), else at most one pair coalesces. Number of coalescences, or kWalkFailed.
  int coalesce(int E, int d);
  // At most one pair with probability n(n - 1)/2 / size: 0 or 1, or kWalkFailed.
  int coalesce_lineages(int E, int d, TTree& genealogy);
  // Every lineage draws one of `size` parents; lineages with the same parent merge. Number of
  // merges, or kWalkFailed.
  int coalesce_curNumLineages(int E, int d, TTree& genealogy);
  // Breakpoints between linked loci: each lineage, products included, may split in two.
  // Number of recombination events, or kWalkFailed.
  int recombination_per_lineage(int E, TTree& genealogy);
  // Lineages follow the immigrants of the step's generation g = max(d, 0) back to their origin
  // (the other population, long-distance sources, north, south, east, west); lineages of a
  // population that was absent at g - 1 go to populated cells nearby. 0 after logging when the
  // stored demography is inconsistent or memory is refused.
  [[nodiscard]] int implementMigration(int p);
  // Before the expansion: each lineage moves with probability `migrationRate` to another deme
  // of the active deme list (this deme being entry `ownIndex`). 0 after logging on failure.
  [[nodiscard]] int implementMultiOriginMigration(int time, double migrationRate, int ownIndex);
  // Every lineage to the deme of population p in the given cell, recorded at `time`.
  [[nodiscard]] int moveAllLineages(int cellIndex, int time, int p);
  // Lineage j of the active list to the incoming list of the deme of (cell, p), created when
  // needed. 0 after logging when the cell is not a cell of the world or memory is refused.
  [[nodiscard]] int moveLineage(int j, int cellIndex, int p);
  // The incoming lineages join the active list, in order.
  void mergeIncoming();
  // The lineages of an ancient sample (positions lineageOffset.. of the ancient list) enter the
  // incoming list at step E, generation d.
  void addAncientLineages(int E, int d, int lineageOffset, int sampleSize);

  // Between two genealogies: the sample's lineages back in the active list (contemporary
  // samples) or the ancient list (ancient samples), each with resetLineage(); no incoming
  // lineage; inverseSize recomputed from size.
  void reset();

  TDemeCollection& collection() const { return *collection_; }

 private:
  TDeme(const TDeme&) = default;
  [[nodiscard]] int Move_Genes_If_NextSize_Equal_Zero(int p);
  // Replaces the lineages at positions a and b of the active list by their new parent.
  int coalescePair(int a, int b, int E, int d);
  // Whether two or more lineages can coalesce in this deme this generation; a deme of size 0
  // cannot, and says so in the log.
  bool canCoalesce();

  TDemeCollection* collection_;
};

}  // namespace orvantis

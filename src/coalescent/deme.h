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
class cell;

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
  virtual ~TDeme() = default;
  TDeme(const TDeme&) = delete;
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

  // size and its inverse together.
  void setSize(int individuals) {
    size = individuals;
    inverseSize = individuals > 0 ? 1.0f / static_cast<float>(individuals) : 0.0f;
  }

  // Between two genealogies: the sample's lineages back in the active list (contemporary
  // samples) or the ancient list (ancient samples), each with resetLineage(); no incoming
  // lineage; inverseSize recomputed from size.
  void reset();

  TDemeCollection& collection() const { return *collection_; }

 private:
  TDemeCollection* collection_;
};

}  // namespace orvantis

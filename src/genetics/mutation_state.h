#pragma once
// What the mutation process and the project file keep between calls during one run of genetic
// simulations: the counts of the last chromosome (sites hit, tree length), the SNP candidate
// caches, the gamma rates with their shape and number of categories, the parameters of the
// current block and the data type of the run. One instance belongs to each TDemeCollection; it
// is a plain value (copyable) so a worker's collection can start from a copy of the series'.

#include <vector>

#include "coalescent/genetic_parameters.h"
#include "genetics/mutation_models.h"
#include "genetics/mutation_rates.h"
#include "genetics/node.h"

namespace orvantis {

// Branches that may carry the mutation of an SNP locus: the nodes whose subtree holds at least
// a fraction `threshold` of the sample, with their branch lengths turned into probabilities.
struct TSnpCandidates {
  bool built = false;
  double threshold = 0.0;
  std::vector<TNodeRef> nodes;
  std::vector<double> probabilities;

  void clear() {
    built = false;
    threshold = 0.0;
    nodes.clear();
    probabilities.clear();
  }
};

// A node reached by a walk of the genealogy of one locus, with the index of the walk entry it
// was reached from (-1 for the root).
struct TLocusWalkEntry {
  TNodeRef node = kNoNode;
  int parent = -1;
};

class TMutationState {
 public:
  // --- Counts of the last chromosome (kept until the next mutateChromosome) ---

  // Mutations that hit each locus (the first numLoci() entries are this chromosome's).
  const std::vector<int>& siteHits() const { return siteHits_; }
  // Loci of the last chromosome hit by at least one mutation.
  int sitesHit() const;
  // Sum over branches of branch length x mutation rate, over every non-SNP locus.
  double treeLength() const { return treeLength_; }
  int numLoci() const { return numLoci_; }

  // --- Gamma rate heterogeneity of the DNA loci ---

  void setGammaParameters(double alpha, int categories) {
    gammaShape_ = alpha > 0.0 ? alpha : 0.0;
    gammaCategories_ = categories > 0 ? categories : 0;
  }
  double gammaShape() const { return gammaShape_; }
  int gammaCategories() const { return gammaCategories_; }
  // The relative rates of the DNA loci of the last chromosome, in locus order (none without
  // heterogeneity).
  const TGammaRates& gammaRates() const { return gammaRates_; }

  // --- The current block and the data type of the run (set by the project file's chromosome
  // headers) ---

  // Forgets the data type of an earlier run.
  void startRun() {
    runDataType_ = -1;
    mixedDataTypes_ = false;
  }
  void setCurrentBlock(const TBlockParameters& block) { currentBlock_ = block; }
  const TBlockParameters& currentBlock() const { return currentBlock_; }
  // The first block type seen in the run becomes its data type; any other marks it mixed.
  void noteBlockType(int type) {
    if (runDataType_ < 0) {
      runDataType_ = type;
    } else if (type != runDataType_) {
      mixedDataTypes_ = true;
    }
  }
  int runDataType() const { return runDataType_; }
  bool mixedDataTypes() const { return mixedDataTypes_; }
  // The data type the project file declares: STANDARD once the run is mixed.
  int fileDataType() const { return mixedDataTypes_ ? STANDARD : runDataType_; }

 private:
  friend class TChromosomeMutator;

  std::vector<int> siteHits_;
  double treeLength_ = 0.0;
  int numLoci_ = 0;

  double gammaShape_ = 0.0;
  int gammaCategories_ = 0;
  TGammaRates gammaRates_;

  TBlockParameters currentBlock_;
  int runDataType_ = -1;
  bool mixedDataTypes_ = false;

  // Working arrays of mutateChromosome, reused from call to call.
  TSnpCandidates snpCandidates_;  // for the block's minimum frequency
  TSnpCandidates snpFallback_;    // threshold 0, when no branch meets the minimum frequency
  std::vector<int> blockOfLocus_;
  std::vector<double> mutationRates_;         // per locus, gamma weights applied
  std::vector<TDnaMutationTable> dnaTables_;  // per block
  std::vector<TLocusWalkEntry> walk_;
  std::vector<int> walkCounts_;
  std::vector<int> walkStates_;
  struct Pending {
    TNodeRef node;
    TNodeRef parent;
  };
  std::vector<Pending> pending_;
  std::vector<TLocusWalkEntry> walkStack_;
};

}  // namespace orvantis

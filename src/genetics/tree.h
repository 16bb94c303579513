#pragma once
// The genealogy of one chromosome: its node store, per-locus roots and lineage counts, and the
// node counter of the run.
//
// Nodes are kept in rank order in one store: the n tips first (ranks 0..n - 1, in sample
// order), then every other node in order of creation, so a node's descendants always have
// lower ranks than the node. Dropping the nodes of a finished genealogy only lowers the live
// count; the TNode objects beyond it keep their arrays and are reused by the next genealogy.
// createNode() may move the store when it grows beyond what createTips() reserved (2n nodes):
// hold TNodeRef, not TNode&, across a createNode().

#include <ostream>
#include <string>
#include <vector>

#include "genetics/chain_list.h"
#include "genetics/node.h"

namespace orvantis {

class TDemeCollection;

using tree_chain = TISimpleChain<TNode>;

// A lineage with the parent index it drew, when all lineages of a deme pick their parents in
// one generation; sorted by ascending parent, equal parents by the lineage's position in the
// deme's active list, so that the order never depends on the sorting algorithm.
struct TDescNode {
  int parent = 0;
  TNodeRef node = kNoNode;
  int position = 0;  // in the deme's active list
};
using DescNodeVect = std::vector<TDescNode>;

class TTree {
 public:
  explicit TTree(std::ostream& log, TDemeCollection* collection = nullptr)
      : log_(&log), collection_(collection) {}
  // A copy of `other` (its nodes, roots and counts) that logs to `log` and belongs to
  // `collection`: the genealogy of a worker's copy of a collection.
  TTree(const TTree& other, std::ostream& log, TDemeCollection* collection) : TTree(other) {
    log_ = &log;
    collection_ = collection;
  }
  virtual ~TTree() = default;
  TTree& operator=(const TTree&) = delete;

  // --- Values of the run ---

  // The number of loci of the chromosome about to be simulated. Drops the nodes of the last
  // genealogy, resets the tips for that many loci (resetLineage, no ancestor) and sizes `roots`
  // (all null) and `lineagesLeft` (all sampleSize()).
  void setNumLoci(int numLoci);
  int numLoci() const { return numLoci_; }
  // With two populations nodes record the population of every location step.
  void setNumPopulations(int populations) { twoPopulations_ = populations == 2; }
  bool twoPopulations() const { return twoPopulations_; }
  // The node counter: creation increments it and gives the node the new value; dropping a node
  // decrements it while it is above 0. The driver sets it to 0 at the start of a run.
  int nodeCounter() const { return nodeCounter_; }
  void setNodeCounter(int value) { nodeCounter_ = value; }

  // --- Nodes ---

  int sampleSize() const { return sampleSize_; }
  int numNodes() const { return liveNodes_; }
  TNode& node(TNodeRef ref) { return nodes_[static_cast<std::size_t>(ref)]; }
  const TNode& node(TNodeRef ref) const { return nodes_[static_cast<std::size_t>(ref)]; }
  // The node at `rank` by the chain list's rule: a rank outside the live nodes gives the first
  // node, or kNoNode when there is none.
  TNodeRef nodeAt(int rank) const {
    if (liveNodes_ == 0) return kNoNode;
    return rank < 0 || rank >= liveNodes_ ? 0 : rank;
  }
  bool isLive(TNodeRef ref) const { return ref >= 0 && ref < liveNodes_; }

  // Discards every node and creates n tips (tips' listRank 0..n - 1, location arrays created),
  // with room for 2n nodes. 0 after logging when memory is refused.
  [[nodiscard]] int createTips(int n);
  // A new node at the next rank, reset for numLoci() loci, with its nodeNo and listRank; the
  // caller sets isInternal and links it. kNoNode after logging when memory is refused.
  [[nodiscard]] TNodeRef createNode();
  // Drops every node of rank `count` and above (the node counter goes down once per node).
  void dropNodesFrom(int count);

  // Start of a genealogy: drops every node after the tips; each tip loses its ancestor and its
  // location history and records one step (sampleCell, generation, population). The first form
  // records each tip's own sample population, the second the population given.
  void resetToTips(int generation);
  void resetToTips(int generation, int population);

  // Fills the descendant counts from `roots`: for every locus i from roots[i] into entry i with
  // perLocus, else only from roots[0] into entry 0. Returns the count below roots[0] (0 without
  // a root). A count follows both descendants whatever the inTree flags.
  int countDescendants(bool perLocus);
  // lastLocus of every tip.
  void setLastLocus(int value);

  // True from the moment the tips are fresh (createTips, setNumLoci, resetToTips) until
  // closeGenealogy(): the tips then have no stale ancestor, so every node without an ancestor is
  // a lineage of the genealogy being built or its root.
  bool genealogyOpen() const { return open_; }
  // After a genealogy, once the demes have taken their tips back.
  void closeGenealogy() { open_ = false; }

  // Per locus: the MRCA (null until found) and the lineages still carrying it.
  std::vector<TNodeRef> roots;
  std::vector<int> lineagesLeft;

  // Writes the genealogy file `baseName`_tree_sim`simulation`_chrom`chromosome`.tri; 1, or 0
  // after logging when the file cannot be written.
  [[nodiscard]] int writeGenealogyFile(int simulation, int chromosome,
                                       const std::string& baseName) const;
  static std::string genealogyFileName(int simulation, int chromosome, const std::string& baseName);

  // Structure of the live nodes: ranks and numbers in order, descendants below their parent and
  // pointing back to it, the per-locus invariants of coalescence and recombination nodes, roots
  // among the live nodes, and for every locus without a root, lineagesLeft equal to the number
  // of parentless nodes carrying it. On failure the first problem is described in `problem`.
  bool verify(std::string* problem = nullptr) const;

  TDemeCollection* collection() const { return collection_; }
  std::ostream& log() const { return *log_; }

  // Shortcuts with the tree's values: location arrays, a location step, a lineage reset.
  [[nodiscard]] int create_LocationVector(TNodeRef ref) {
    return node(ref).create_LocationVector(twoPopulations_, *log_);
  }
  [[nodiscard]] int Store_Node_Migration(TNodeRef ref, int cell, int generation, int population) {
    return node(ref).Store_Node_Migration(cell, generation, population, *log_);
  }
  void resetLineage(TNodeRef ref) { node(ref).resetLineage(numLoci_, *log_); }

 private:
  bool carriesLocus(TNodeRef d, std::size_t locusIndex) const;
  TTree(const TTree&) = default;
  int countBelow(TNodeRef root, int locus);

  std::ostream* log_;
  TDemeCollection* collection_;
  std::vector<TNode> nodes_;  // live nodes first, then reusable ones
  int liveNodes_ = 0;
  int sampleSize_ = 0;
  int numLoci_ = 0;
  int nodeCounter_ = 0;
  bool twoPopulations_ = false;
  bool open_ = false;
  // Scratch of countDescendants, kept between calls.
  std::vector<char> reached_;
  std::vector<TNodeRef> stack_;
};

}  // namespace orvantis

#pragma once
// One node of a genealogy: a sampled gene (tip), a coalescence or one half of a recombination.
//
// Nodes live in the genealogy's store (tree.h) and refer to each other by their rank in it
// (TNodeRef), never by address: the store reuses its nodes from one genealogy to the next and
// may move them when it grows. Every array of a node keeps its capacity when the node is reset,
// so a genealogy that reuses the nodes of the previous one allocates nothing.

#include <ostream>
#include <vector>

namespace orvantis {

// Rank of a node in its genealogy's node list; kNoNode for "none".
using TNodeRef = int;
inline constexpr TNodeRef kNoNode = -1;

// What created a node (TNode::isInternal).
inline constexpr int kTipNode = 0;
inline constexpr int kCoalescenceNode = 1;
inline constexpr int kRecombinationNode = 2;

// Initial capacity of the location history of a node.
inline constexpr int kLocationCapacity = 100;

class TNode {
 public:
  using Ref = TNodeRef;
  static constexpr Ref kNull = kNoNode;

  // Cell index and population of the deme of a sampled gene (tips only).
  int sampleCell = 0;
  int samplePop = 0;
  // Population of the lineage; -1 until set.
  int pop = -1;
  // Number of the deme where the tip was sampled or where the node became the MRCA of a locus.
  int demeNumber = -1;
  // Age in backward steps: 0 for contemporary tips, else the step in which the node was made.
  int time = 0;
  int numSites = 0;      // entries of `data`; 0 while it is absent
  int numMutations = 0;  // on the branch above, at the locus being mutated
  int nodeNo = 0;        // number from the genealogy's node counter (1 for the first node)
  TNodeRef leftDesc = kNoNode;
  TNodeRef rightDesc = kNoNode;
  std::vector<int> numDesc;  // tips below, per locus; see hasNumDesc()
  TNodeRef ancestor = kNoNode;
  std::vector<int> data;  // allelic state per locus, numSites entries
  // Location history, one entry per recorded step (see hasLocations()); locPop only with two
  // populations.
  std::vector<int> locCell;
  std::vector<int> locTime;
  std::vector<int> locPop;
  int listRank = -1;
  int isInternal = kTipNode;
  std::vector<char> inTree;  // 1 where the lineage carries ancestral material, per locus
  int firstLocus = 0;
  int lastLocus = -1;
  TNodeRef recAncestorLeft = kNoNode;
  TNodeRef recAncestorRight = kNoNode;
  int leftTips = 0;  // scratch of the last descendant count
  int rightTips = 0;

  // The constructor's resets, keeping every array's capacity: no references, counts 0, pop and
  // demeNumber -1, numLoci entries of 1 in inTree, firstLocus 0, lastLocus numLoci - 1, no data,
  // no descendant counts, no location arrays. nodeNo, listRank and isInternal are the creator's.
  void reset(int numLoci);

  // Creates the location arrays afresh (empty, room for 100 steps); locPop only with two
  // populations. 0 after logging when memory is refused (the node then has no location arrays).
  [[nodiscard]] int create_LocationVector(bool twoPopulations, std::ostream& log);
  bool hasLocations() const { return hasLocations_; }
  bool hasLocPop() const { return hasLocPop_; }
  int numLocationSteps() const { return static_cast<int>(locCell.size()); }
  // Appends one step (pop only when the node keeps populations). 0 after logging when the node
  // has no location arrays or memory is refused.
  [[nodiscard]] int Store_Node_Migration(int cell, int generation, int population,
                                         std::ostream& log);
  // Empties the location arrays, keeping them.
  void clearLocations();

  // Between two genealogies, for every sampled node: no data, inTree all 1, descendant counts
  // all 0, no mutation, no recombination ancestors, firstLocus 0, lastLocus numLoci - 1.
  void resetLineage(int numLoci, std::ostream& log);
  // Descendant counts of numLoci entries, all 0. False after logging when memory is refused
  // (the counts are then absent).
  bool reset_numDesc(int numLoci, std::ostream& log);
  bool hasNumDesc() const { return hasNumDesc_; }
  // Drops the allelic states (numSites 0).
  void clearData() {
    data.clear();
    numSites = 0;
  }

  bool carries(int locus) const { return inTree[static_cast<std::size_t>(locus)] != 0; }
  bool isTip() const { return leftDesc == kNoNode && rightDesc == kNoNode; }

 private:
  void dropLocations();

  bool hasLocations_ = false;
  bool hasLocPop_ = false;
  bool hasNumDesc_ = false;
};

}  // namespace orvantis

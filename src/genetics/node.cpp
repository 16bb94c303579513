#include "genetics/node.h"

#include <new>

namespace orvantis {

void TNode::reset(int numLoci) {
  sampleCell = 0;
  samplePop = 0;
  pop = -1;
  demeNumber = -1;
  time = 0;
  numSites = 0;
  numMutations = 0;
  leftDesc = kNoNode;
  rightDesc = kNoNode;
  ancestor = kNoNode;
  recAncestorLeft = kNoNode;
  recAncestorRight = kNoNode;
  leftTips = 0;
  rightTips = 0;
  data.clear();
  numDesc.clear();
  hasNumDesc_ = false;
  dropLocations();
  inTree.assign(static_cast<std::size_t>(numLoci > 0 ? numLoci : 0), 1);
  firstLocus = 0;
  lastLocus = numLoci - 1;
}

void TNode::dropLocations() {
  locCell.clear();
  locTime.clear();
  locPop.clear();
  hasLocations_ = false;
  hasLocPop_ = false;
}

int TNode::create_LocationVector(bool twoPopulations, std::ostream& log) {
  dropLocations();
  try {
    locCell.reserve(kLocationCapacity);
    locTime.reserve(kLocationCapacity);
    if (twoPopulations) locPop.reserve(kLocationCapacity);
  } catch (const std::bad_alloc&) {
    const int arrays = twoPopulations ? 3 : 2;
    for (int i = 0; i < arrays; ++i) {
      log << "\nTNode::create_LocationVector(): unable to allocate memory\n" << std::endl;
    }
    return 0;
  }
  hasLocations_ = true;
  hasLocPop_ = twoPopulations;
  return 1;
}

int TNode::Store_Node_Migration(int cell, int generation, int population, std::ostream& log) {
  if (!hasLocations_) {
    log << "TNode::Store_Node_Migration: Impossible to add migration into the DB :" << nodeNo
        << " at time " << generation << std::endl;
    return 0;
  }
  try {
    locCell.push_back(cell);
    locTime.push_back(generation);
    if (hasLocPop_) locPop.push_back(population);
  } catch (const std::bad_alloc&) {
    // Keep the three arrays of equal length.
    const std::size_t steps = locCell.size() < locTime.size() ? locCell.size() : locTime.size();
    locCell.resize(steps);
    locTime.resize(steps);
    if (hasLocPop_ && locPop.size() > steps) locPop.resize(steps);
    log << "TNode::Store_Node_Migration: Impossible to add migration into the DB :" << nodeNo
        << " at time " << generation << std::endl;
    return 0;
  }
  return 1;
}

void TNode::clearLocations() {
  locCell.clear();
  locTime.clear();
  locPop.clear();
}

bool TNode::reset_numDesc(int numLoci, std::ostream& log) {
  try {
    numDesc.assign(static_cast<std::size_t>(numLoci > 0 ? numLoci : 0), 0);
  } catch (const std::bad_alloc&) {
    numDesc.clear();
    hasNumDesc_ = false;
    log << "\nTNode::reset_numDesc: unable to allocate memory\n" << std::flush;
    return false;
  }
  hasNumDesc_ = true;
  return true;
}

void TNode::resetLineage(int numLoci, std::ostream& log) {
  clearData();
  inTree.assign(static_cast<std::size_t>(numLoci > 0 ? numLoci : 0), 1);
  (void)reset_numDesc(numLoci, log);
  numMutations = 0;
  recAncestorLeft = kNoNode;
  recAncestorRight = kNoNode;
  firstLocus = 0;
  lastLocus = numLoci - 1;
}

}  // namespace orvantis

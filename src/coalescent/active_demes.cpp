// The demes that hold lineages: lineages that moved or were sampled during a step join their
// demes at its end, demes left empty leave the active deme list, and demes reached for the first
// time join it.

#include <algorithm>
#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"

namespace orvantis {

void TDemeCollection::updateActiveDemes() {
  int i = 0;
  while (i < numDemes_) {
    TDeme& deme = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
    deme.mergeIncoming();
    if (deme.numLineages == 0) {
      const std::size_t last = static_cast<std::size_t>(numDemes_ - 1);
      activeDemes_[static_cast<std::size_t>(i)] = activeDemes_[last];
      activeDemes_[last] = TDemeSlot();
      --numDemes_;
      continue;  // the moved entry is examined next
    }
    ++i;
  }
}

void TDemeCollection::activateNewDemes() {
  for (int k = 0; k < numNewlyActive_; ++k) {
    TDemeSlot& entry = newlyActive_[static_cast<std::size_t>(k)];
    TDeme* deme = demeAt(entry);
    if (deme != nullptr && deme->numIncoming > 0 && numDemes_ < numSlots_) {
      deme->mergeIncoming();
      activeDemes_[static_cast<std::size_t>(numDemes_++)] = entry;
      deme->demeNumber = deme->cellIndex;
    }
    entry = TDemeSlot();
  }
  numNewlyActive_ = 0;
}

void TDemeCollection::clearNewlyActive() {
  std::fill(newlyActive_.begin(), newlyActive_.begin() + numNewlyActive_, TDemeSlot());
  numNewlyActive_ = 0;
}

int TDemeCollection::appendNewlyActive(int cellIndex, int popIndex) {
  if (numNewlyActive_ >= numSlots_) {
    log_ << "ERROR: {TDemeCollection::appendNewlyActive()} [more newly active demes than the "
         << numSlots_ << " demes of the world]" << std::endl;
    return 0;
  }
  newlyActive_[static_cast<std::size_t>(numNewlyActive_++)] = TDemeSlot{cellIndex, popIndex};
  return 1;
}

void TDeme::addAncientLineages(int E, int d, int lineageOffset, int sampleSize) {
  TDemeCollection& c = *collection_;
  if (numLineages == 0 && numIncoming == 0 && !c.appendNewlyActive(cellIndex, popIndex)) return;
  TTree& genealogy = c.tree();
  for (int k = lineageOffset; k < lineageOffset + sampleSize; ++k) {
    const TNodeRef node = ancientList[k];
    TNode& tip = genealogy.node(node);
    tip.time = E;
    if (!tip.locTime.empty()) tip.locTime.front() = d;
    incomingList.append(node);
    ++numIncoming;
  }
  ancientPending -= sampleSize;
  c.pendingAncientGenes_ -= sampleSize;
}

int TDemeCollection::addAncientSamples(int d, int E) {
  const int count = static_cast<int>(ancientOrder_.size());
  // The schedule is sorted by date, latest first; dates above d were passed without a step.
  while (nextAncient_ < count &&
         ancientSamples_[static_cast<std::size_t>(
                             ancientOrder_[static_cast<std::size_t>(nextAncient_)])]
                 .date > d) {
    ++nextAncient_;
  }
  for (; nextAncient_ < count; ++nextAncient_) {
    const int index = ancientOrder_[static_cast<std::size_t>(nextAncient_)];
    const TAncientSample& sample = ancientSamples_[static_cast<std::size_t>(index)];
    if (sample.date != d) break;
    --ancientSamplesLeft_;
    const int cellIndex = ancientCells_[static_cast<std::size_t>(index)];
    TDeme* deme = demeAt(cellIndex, sample.popIndex);
    if (deme == nullptr || sample.lineageOffset < 0 ||
        sample.lineageOffset + sample.size > deme->ancientList.count()) {
      log_ << "ERROR: {TDemeCollection::addAncientSamples()} [the lineages of the ancient sample "
           << sample.name << " are not in a deme]" << std::endl;
      return 0;
    }
    const int available = currentView_.get_N(cellIndex, sample.popIndex);
    if (sample.size < available) {
      deme->addAncientLineages(E, d, sample.lineageOffset, sample.size);
    } else {
      log_ << "ERROR: Ancient sample " << sample.name
           << " not added because not enough people in this deme! (sample size = " << sample.size
           << ") (deme size = " << available << ")" << std::endl;
    }
  }
  return 1;
}

}  // namespace orvantis

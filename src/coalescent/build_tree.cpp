// One genealogy, walked backwards from EndTime one generation at a time: its start, the
// generation step shared by both loops, the loop of buildTree and the end rules.

#include <algorithm>
#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"

namespace orvantis {

int TDemeCollection::sourceCount() const {
  return world_.sources().count();
}

bool TDemeCollection::allRootsFound() const {
  return std::none_of(tree_.roots.begin(), tree_.roots.end(),
                      [](TNodeRef root) { return root == kNoNode; });
}

int TDemeCollection::beginGenealogy() {
  walkOpen_ = false;
  int total = 0;
  for (int i = 0; i < numDemes_; ++i) {
    if (const TDeme* d = demeAt(activeDemes_[static_cast<std::size_t>(i)])) total += d->sampleSize;
  }
  if (total == 0) {
    log_ << "ERROR:{TDemeCollection::buildTree}:[Not enough lineages to perform coalescence!]"
         << std::endl;
    return 0;
  }
  if (!reader_ || !lineagesCreated_ || tree_.sampleSize() != total) {
    log_ << "ERROR: {TDemeCollection::beginGenealogy()} [the lineages of the samples have not "
            "been created over the stored demography]"
         << std::endl;
    return 0;
  }
  // The demes must hold their own tips only, as createlineages or resetDemes left them.
  int held = 0;
  for (const std::unique_ptr<TDeme>& deme : demes_) {
    held += deme->numLineages + deme->ancientPending;
    bool ownTips = deme->numIncoming == 0 && deme->incomingList.empty();
    for (const TNodeRef node : deme->activeList) {
      ownTips = ownTips && node < total && tree_.node(node).sampleCell == deme->cellIndex &&
                tree_.node(node).samplePop == deme->popIndex;
    }
    if (!ownTips) held = -1;
    if (held < 0) break;
  }
  if (held != total) {
    log_ << "ERROR: {TDemeCollection::beginGenealogy()} [the demes still hold the lineages of the "
            "last genealogy: resetDemes must follow every genealogy]"
         << std::endl;
    return 0;
  }
  const int loci = tree_.numLoci();
  if (loci < 1 ||
      (loci > 1 && parameters_.recRates().size() + 1 < static_cast<std::size_t>(loci))) {
    log_ << "ERROR: {TDemeCollection::beginGenealogy()} [the genealogy has " << loci
         << " loci but the genetic parameters give " << parameters_.numLoci() << "]" << std::endl;
    return 0;
  }

  if (fixedSettings_) {
    applyWalkSettings(*fixedSettings_);
  } else {
    applyWalkSettings(TWalkSettings::read(world_.settings(), numPopulations_));
  }

  const int endTime = reader_->database().endTime();
  setWalkTime(endTime);
  if (!viewsReadable()) return refuseUnreadableGeneration(endTime);
  migrationEvents_ = 0;
  numCoalescences_ = 0;
  numRecombinations_ = 0;
  lineageGenerations_ = 0;
  stepCounter_ = 1;
  singleDemeWarned_ = false;
  tree_.resetToTips(endTime);
  for (TNodeRef tip = 0; tip < total; ++tip) tree_.node(tip).time = 0;
  totalLineages_ = total;
  remainingLineageLoci_ = static_cast<long long>(loci) * total;
  if (total == 1) std::fill(tree_.roots.begin(), tree_.roots.end(), TNodeRef{0});
  ancientSamplesLeft_ = numAncientSamples_;
  pendingAncientGenes_ = 0;
  for (const std::unique_ptr<TDeme>& deme : demes_) {
    pendingAncientGenes_ += deme->ancientPending;
    deme->gatheredSize = -1;
    deme->resizedBeforeExpansion = false;
  }

  // Scratch arrays: they only grow, so a run allocates them once.
  const std::size_t genes = static_cast<std::size_t>(total);
  if (descScratch_.capacity() < genes) descScratch_.reserve(genes);
  if (eventTimes_.capacity() < genes) eventTimes_.reserve(genes);
  const std::size_t perSource =
      static_cast<std::size_t>(sourceCount() + 1) * static_cast<std::size_t>(numPopulations_);
  if (overflowSizes_.capacity() < perSource) overflowSizes_.reserve(perSource);
  // The ancient samples by date, latest first (table order among equal dates), with their cells.
  const std::size_t ancient = ancientSamples_.size();
  ancientOrder_.resize(ancient);
  ancientCells_.resize(ancient);
  for (std::size_t i = 0; i < ancient; ++i) {
    ancientOrder_[i] = static_cast<int>(i);
    ancientCells_[i] = GetDemeFromCoordinates(ancientSamples_[i].y, ancientSamples_[i].x);
  }
  std::sort(ancientOrder_.begin(), ancientOrder_.end(), [this](int a, int b) {
    const int da = ancientSamples_[static_cast<std::size_t>(a)].date;
    const int db = ancientSamples_[static_cast<std::size_t>(b)].date;
    return da > db || (da == db && a < b);
  });
  nextAncient_ = 0;

  refreshRate_ = std::max(1, window_.coalescenceRefreshRate(options_.refreshRate));
  walkOpen_ = true;
  if (options_.geneticBitmaps) {
    window_.drawLineageMap(*this, endTime);
    if (observer_ != nullptr) observer_->atStep(*this, endTime);
  }
  return 1;
}

int TDemeCollection::refuseUnreadableGeneration(int d) {
  log_ << "ERROR: {TDemeCollection::buildTree} [the stored demography of generation "
       << (d > 0 ? d : 0) << " cannot be read]" << std::endl;
  return 0;
}

void TDemeCollection::showLabels(int E, int d) {
  TCoalescentLabels labels;
  labels.coalescenceTime = E;
  labels.frictionTime = d > 0 ? d : 0;
  labels.remainingLineages = totalLineages_;
  labels.activeDemes = numDemes_;
  labels.coalescenceEvents = numCoalescences_;
  labels.migrationEvents = migrationEvents_;
  window_.showCoalescentLabels(labels);
}

void TDemeCollection::showWalkStep(int E, int d, bool everyStep) {
  const bool refreshTurn = E % refreshRate_ == 0;
  const bool windowTurn = everyStep || refreshTurn;
  if (windowTurn) showLabels(E, d);
  if (refreshTurn) {
    refreshRate_ = std::max(1, window_.coalescenceRefreshRate(options_.refreshRate));
    window_.redrawCoalescenceDisplay(*this);
  }
  if (options_.geneticBitmaps) {
    if (windowTurn) window_.drawLineageMap(*this, d);
    // The snapshot files are due at given generations, whatever the window's refresh rate.
    if (observer_ != nullptr) observer_->atStep(*this, d);
  }
  if (windowTurn) window_.processPendingEvents();
}

int TDemeCollection::spatialStep(int d, int E, bool recombining, bool readSizes) {
  // The demes' records of generation g - 1 lie one database row further, far from those of g:
  // reading them for every active deme first lets the processor fetch them together instead of
  // waiting for each deme's in turn.
  int touched = 0;
  for (int i = 0; i < numDemes_; ++i) {
    const TDemeSlot& slot = activeDemes_[static_cast<std::size_t>(i)];
    touched += previousView_.get_N(slot.cellIndex, slot.popIndex);
  }
  prefetchSink_ = touched;
  for (int i = 0; i < numDemes_; ++i) {
    TDeme& deme = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
    if (readSizes) deme.updateSize();
    if (deme.coalesce(E, d) == kWalkFailed) return 0;
    if (recombining && deme.recombination_per_lineage(E, tree_) == kWalkFailed) return 0;
    if (!deme.implementMigration(deme.popIndex)) return 0;
  }
  if (!addAncientSamples(d, E)) return 0;
  updateActiveDemes();
  activateNewDemes();
  remainingLineageLoci_ = 0;
  for (const int left : tree_.lineagesLeft) remainingLineageLoci_ += left;
  return 1;
}

int TDemeCollection::buildTree(int simulationNumber) {
  if (!beginGenealogy()) return 0;
  const bool severalSources = sourceCount() > 1;
  const int loci = tree_.numLoci();
  int d = walkTime_;
  int E = 1;
  while (E < maxGenerations_ && totalLineages_ > 1 && remainingLineageLoci_ > loci) {
    stepCounter_ = E;
    setWalkTime(d);
    if (!viewsReadable()) return refuseUnreadableGeneration(d);
    lineageGenerations_ += totalLineages_ - pendingAncientGenes_;
    showWalkStep(E, d, true);
    if (d < 1 && severalSources) {
      if (!preExpansionStep(d, E)) return 0;
    } else if (!spatialStep(d, E, true, d >= 0)) {
      return 0;
    }
    clearNewlyActive();
    if (d == 1 && gatherOverflow_ && !gatherOverflowedSources(false)) return 0;
    --d;
    ++E;
  }
  setWalkTime(d);
  if (!viewsReadable()) return refuseUnreadableGeneration(d);
  return finishGenealogy(simulationNumber, E, parameters_.totalRecRate() != 0.0);
}

int TDemeCollection::finishGenealogy(int simulationNumber, int E, bool recombining) {
  if (options_.geneticBitmaps) {
    window_.drawLineageMap(*this, 0);
    if (observer_ != nullptr) observer_->atStep(*this, 0);
  }
  stepCounter_ = E - 1;
  updateActiveDemes();
  activateNewDemes();
  showLabels(stepCounter_, walkTime_);
  if (totalLineages_ > 1) {
    if (!recombining) {
      log_ << "num_lineages = " << totalLineages_ << std::endl;
      return 0;
    }
    if (!allRootsFound()) {
      const auto missing = std::count(tree_.roots.begin(), tree_.roots.end(), kNoNode);
      log_ << "ERROR:{TDemeCollection::buildTree}:[MaxNumGenerations (" << maxGenerations_
           << ") reached before every locus found its most recent common ancestor: " << missing
           << " of " << tree_.numLoci() << " loci without root, num_lineages = " << totalLineages_
           << "]" << std::endl;
      return 0;
    }
    return 1;
  }
  if (options_.coalescentTrees && !recombining) {
    window_.drawGenealogy(*this, simulationNumber);
    if (observer_ != nullptr) observer_->atGenealogyEnd(*this, simulationNumber);
  }
  window_.redrawCoalescenceDisplay(*this);
  window_.showCoalescentPage();
  return 1;
}

}  // namespace orvantis

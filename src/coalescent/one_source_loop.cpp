// The walk of the most common study, one population spreading from one source: generation by
// generation down to generation 0, then either one continuous-time draw for the lineages left in
// the source (a chromosome that does not recombine) or the source's own history generation by
// generation (a recombining one).

#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

// Below this sum of rates a chromosome is walked as not recombining.
constexpr double kRecombinationSwitch = 1e-10;

}  // namespace

int TDemeCollection::buildTreeOneOriginOneLayerRecombination(int simulationNumber) {
  if (!beginGenealogy()) return 0;
  if (sourceCount() > 1) {
    log_ << "****ERROR: Error in code : buildTreeOneOriginOneLayerRecombination funciton used with "
            "multiple origins!"
         << std::endl;
  }
  const int loci = tree_.numLoci();
  double rateSum = 0.0;
  for (int k = 0; k + 1 < loci; ++k) rateSum += parameters_.recRates()[static_cast<std::size_t>(k)];
  const bool recombining = rateSum >= kRecombinationSwitch;
  const PopulationSource* source = sourceCount() > 0 ? &world_.sources()[0] : nullptr;

  int d = walkTime_;
  int E = 1;
  // The spatial walk down to generation 1; ancient samples join at their dates, dated 1
  // included.
  while (E < maxGenerations_ && totalLineages_ > 1 && remainingLineageLoci_ > loci && d > 0) {
    stepCounter_ = E;
    setWalkTime(d);
    if (!viewsReadable()) return refuseUnreadableGeneration(d);
    lineageGenerations_ += totalLineages_ - pendingAncientGenes_;
    showWalkStep(E, d, false);
    if (!spatialStep(d, E, recombining, true)) return 0;
    if (d == 1 && gatherOverflow_ && !gatherOverflowedSources(true)) return 0;
    --d;
    ++E;
  }

  setWalkTime(d);
  if (!viewsReadable()) return refuseUnreadableGeneration(d);
  if (d == 0 && recombining && source != nullptr && source->sizeBeforeExpansion >= 1) {
    for (int i = 0; i < numDemes_; ++i) {
      TDeme& deme = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
      log_ << "\tAt generation " << d << " resizing of Source " << source->name << " to "
           << source->sizeBeforeExpansion << '\n';
      deme.setSize(source->sizeBeforeExpansion);
      deme.resizedBeforeExpansion = true;
    }
  }

  if (!recombining && totalLineages_ > 1) {
    // Only a walk that reached generation 0 finishes in continuous time; one stopped earlier by
    // MaxNumGenerations ends unfinished.
    if (d == 0 && numDemes_ > 0) {
      TDeme& deme = *demeAt(activeDemes_[0]);
      deme.updateSize();
      log_ << "\tEntering continuous time function (saving time)!" << std::endl;
      (void)continuousTimeFinish(deme, E, d);
    }
  } else {
    // Below generation 0 the lineages stay in their demes; the source keeps the sizes of its
    // history (before the expansion, from the bottleneck on) once they are set.
    while (E < maxGenerations_ && totalLineages_ > 1 && remainingLineageLoci_ > loci) {
      stepCounter_ = E;
      setWalkTime(d);
      if (!viewsReadable()) return refuseUnreadableGeneration(d);
      lineageGenerations_ += totalLineages_ - pendingAncientGenes_;
      showWalkStep(E, d, false);
      for (int i = 0; i < numDemes_; ++i) {
        TDeme& deme = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
        if (!deme.resizedBeforeExpansion) deme.updateSize();
        if (source != nullptr && -d == source->bottleneckDuration &&
            source->sizeBeforeBottleneck >= 1) {
          log_ << "\tAt generation " << d << " resizing of Source " << source->name << " to "
               << source->sizeBeforeBottleneck << '\n';
          deme.setSize(source->sizeBeforeBottleneck);
          deme.resizedBeforeExpansion = true;
        }
        if (deme.coalesce(E, d) == kWalkFailed) return 0;
        if (recombining && deme.recombination_per_lineage(E, tree_) == kWalkFailed) return 0;
      }
      remainingLineageLoci_ = 0;
      for (const int left : tree_.lineagesLeft) remainingLineageLoci_ += left;
      --d;
      ++E;
    }
  }
  setWalkTime(d);
  if (!viewsReadable()) return refuseUnreadableGeneration(d);
  return finishGenealogy(simulationNumber, E, recombining);
}

}  // namespace orvantis

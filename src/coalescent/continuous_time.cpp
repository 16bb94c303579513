// The end of a one-source genealogy that does not recombine: the lineages left in the source at
// generation 0 coalesce in one draw of the standard coalescent, scaled by the source's size
// before the expansion and stretched by its bottleneck, instead of one step per generation.

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

// Redraws of the second position of a coalescing pair before the finish gives up.
constexpr int kMaxPairRedraws = 50;
// Latest event time, in generations before generation 0, that node times can hold.
constexpr double kMaxEventGenerations = 1.0e9;

}  // namespace

int TDemeCollection::continuousTimeFinish(TDeme& deme, int& E, int& d) {
  const int n = totalLineages_;
  if (numDemes_ != 1 || deme.numLineages != n) {
    int holding = 0;
    int held = 0;
    for (int i = 0; i < numDemes_; ++i) {
      const TDeme& other = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
      holding += other.numLineages > 0 ? 1 : 0;
      held += other.numLineages;
    }
    log_ << "ERROR: {TDemeCollection::buildTreeOneOriginOneLayerRecombination()} [" << n
         << " lineages left to coalesce: " << held << " in " << holding << " demes"
         << (held < n ? ", the others never joined the genealogy" : "")
         << "; the continuous-time finish needs them all in the source deme]" << std::endl;
    return 0;
  }

  const PopulationSource* source = sourceCount() > 0 ? &world_.sources()[0] : nullptr;
  long long N0 = deme.size;
  if (source != nullptr && source->sizeBeforeExpansion >= 1) {
    N0 = source->sizeBeforeExpansion;
    log_ << "\tAt generation " << d << " resizing of Source " << source->name << " to " << N0
         << '\n';
  }
  // The bottleneck, as the generation-by-generation walk applies it: a source size of at least
  // 1 from R generations before generation 0 on (R = 0: from generation 0 on).
  const int R = source != nullptr ? source->bottleneckDuration : 0;
  const bool bottleneck = source != nullptr && source->sizeBeforeBottleneck >= 1 && R >= 0;
  bool stretch = false;
  double ratio = 1.0;
  if (bottleneck && R == 0) {
    N0 = source->sizeBeforeBottleneck;
    log_ << "\tAt generation " << -R << " resizing of Source " << source->name << " to " << N0
         << '\n';
  } else if (bottleneck && N0 != 0) {
    ratio = static_cast<double>(source->sizeBeforeBottleneck / N0);
    stretch = true;
    log_ << "\tAt generation " << -R << " resizing of Source " << source->name << " to "
         << source->sizeBeforeBottleneck << '\n';
  }

  // Times of the n - 1 events in units of N0 generations, then their lineages.
  eventTimes_.clear();
  double t = 0.0;
  for (int k = n; k >= 2; --k) {
    const double u = ran3();
    t += -2.0 * std::log(1.0 - u) / (static_cast<double>(k) * static_cast<double>(k - 1));
    eventTimes_.push_back(t);
  }
  TNodeRef last = kNoNode;
  long long lastT = 0;
  for (const double time : eventTimes_) {
    const double generations = static_cast<double>(N0) * time;
    if (!(generations < kMaxEventGenerations)) {
      log_ << "ERROR: {TDemeCollection::buildTreeOneOriginOneLayerRecombination()} [a coalescence "
              "of the source of size "
           << N0 << " falls beyond " << kMaxEventGenerations << " generations]" << std::endl;
      return 0;
    }
    long long T = static_cast<long long>(generations);
    if (stretch && T > R) T = static_cast<long long>(static_cast<double>(T - R) * ratio + R);
    if (T + E > std::numeric_limits<int>::max() / 2) {
      log_ << "ERROR: {TDemeCollection::buildTreeOneOriginOneLayerRecombination()} [a coalescence "
              "falls "
           << T << " generations before generation 0, beyond the times nodes can hold]"
           << std::endl;
      return 0;
    }
    const int k = deme.numLineages;
    int a = 0;
    int b = 1;
    if (k > 2) {
      a = static_cast<int>(ran3() * k);
      b = static_cast<int>(ran3() * k);
      for (int redraws = 0; b == a; ++redraws) {
        if (redraws == kMaxPairRedraws) return 0;
        b = static_cast<int>(ran3() * k);
      }
    }
    const int first = a < b ? a : b;
    const int second = a < b ? b : a;
    const TNodeRef parent = createParent(deme, deme.activeList[first], deme.activeList[second],
                                         static_cast<int>(T + E), static_cast<int>(d - T), false);
    if (parent == kNoNode) return 0;
    TNodeRef x = kNoNode;
    TNodeRef y = kNoNode;
    if (!deme.activeList.replacePair(first, second, parent, x, y, log_)) return 0;
    --deme.numLineages;
    last = parent;
    lastT = T;
  }
  if (last != kNoNode) {
    std::fill(tree_.roots.begin(), tree_.roots.end(), last);
    std::fill(tree_.lineagesLeft.begin(), tree_.lineagesLeft.end(), 1);
    remainingLineageLoci_ = tree_.numLoci();
    tree_.node(last).demeNumber = deme.demeNumber;
  }
  d -= static_cast<int>(lastT);
  E += static_cast<int>(lastT);
  return 1;
}

}  // namespace orvantis

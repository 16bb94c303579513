// Before the expansion: the source demes' history (resizing at generation 0, the bottleneck,
// migration among sources, the merger into one ancestral deme at -TauValue), and the gathering
// of a source's lineages from the cells its initial population overflowed into.

#include <algorithm>
#include <limits>
#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"

namespace orvantis {

const PopulationSource* TDemeCollection::sourceOf(const TDeme& deme) const {
  if (deme.cellIndex < 0 || deme.cellIndex >= world_.numberOfCells()) return nullptr;
  const int number = world_.cells()[static_cast<std::size_t>(deme.cellIndex)].sourceNumber[0];
  const PopulationVector& sources = world_.sources();
  return number >= 1 && number <= sources.count() ? &sources[number - 1] : nullptr;
}

int TDemeCollection::preExpansionStep(int d, int E) {
  for (int i = 0; i < numDemes_; ++i) {
    TDeme& deme = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
    const PopulationSource* source = sourceOf(deme);
    if (d == 0) {
      if (source == nullptr || source->sizeBeforeExpansion < 1) {
        deme.updateSize();
      } else {
        log_ << "\tAt generation " << d << " resizing of Source " << source->name << " to "
             << source->sizeBeforeExpansion << '\n';
        deme.setSize(source->sizeBeforeExpansion);
      }
    }
    if (source != nullptr && -d == source->bottleneckDuration && source->sizeBeforeBottleneck > 0) {
      log_ << "\tAt generation " << d << " resizing of Source " << source->name << " to "
           << source->sizeBeforeBottleneck << '\n';
      deme.setSize(source->sizeBeforeBottleneck);
    }
    if (deme.coalesce(E, d) == kWalkFailed) return 0;
    if (deme.recombination_per_lineage(E, tree_) == kWalkFailed) return 0;

    if (d > -tauValue_) {
      const double rate = source != nullptr ? source->migrationBeforeExpansion : 0.0;
      if (rate != 0.0) {
        if (numDemes_ < 2) {
          if (!singleDemeWarned_) {
            log_ << "WARNING: Only one population left -> multi origins migrations skipped!"
                 << std::endl;
            singleDemeWarned_ = true;
          }
        } else {
          if (!deme.implementMultiOriginMigration(d, rate, i)) return 0;
          deme.mergeIncoming();
        }
      }
    }
    if (d == -tauValue_) {
      if (!mergeAtTau(d)) return 0;
      break;
    }
  }
  // Lineages that moved into a deme processed earlier in the step, or into a deme that has no
  // migration of its own, join it now: none is left behind in an incoming list.
  for (int i = 0; i < numDemes_; ++i)
    demeAt(activeDemes_[static_cast<std::size_t>(i)])->mergeIncoming();
  return 1;
}

int TDemeCollection::mergeAtTau(int d) {
  TDeme& first = *demeAt(activeDemes_[0]);
  for (int i = 1; i < numDemes_; ++i) {
    TDeme& other = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
    if (!other.moveAllLineages(first.cellIndex, d, first.popIndex)) return 0;
  }
  const int ancestral =
      ancestralSize_ > 0 ? ancestralSize_ : reader_->get_N(first.cellIndex, first.popIndex, 0);
  log_ << "\tAt generation " << d
       << " (tau) all remaining demes are merged in one single deme of size " << ancestral << '\n';
  first.setSize(ancestral);
  updateActiveDemes();
  return 1;
}

int TDemeCollection::gatherOverflowedSources(bool everyPopulation) {
  const std::vector<cell>& cells = world_.cells();
  const int sources = sourceCount();
  const int populations = everyPopulation ? numPopulations_ : 1;
  const TGenerationView start = reader_->row(0);
  // Individuals at generation 0 of the cells each source overflowed into.
  overflowSizes_.assign(
      static_cast<std::size_t>(sources + 1) * static_cast<std::size_t>(populations), 0);
  const auto slot = [populations](int source, int p) {
    return static_cast<std::size_t>(source) * static_cast<std::size_t>(populations) +
           static_cast<std::size_t>(p);
  };
  for (const cell& c : cells) {
    for (int p = 0; p < populations; ++p) {
      const int s = c.overflowSourceNumber[p];
      if (s >= 1 && s <= sources) overflowSizes_[slot(s, p)] += start.get_N(c.index, p);
    }
  }
  for (const cell& c : cells) {
    for (int p = 0; p < populations; ++p) {
      const int s = c.sourceNumber[p];
      if (s < 1 || s > sources) continue;
      for (int i = 0; i < numDemes_; ++i) {
        const TDemeSlot entry = activeDemes_[static_cast<std::size_t>(i)];
        if (entry.popIndex != p || entry.cellIndex == c.index) continue;
        if (cells[static_cast<std::size_t>(entry.cellIndex)].overflowSourceNumber[p] != s) continue;
        if (!demeAt(entry)->moveAllLineages(c.index, 1, p)) return 0;
      }
      TDeme* source = demeAt(c.index, p);
      if (source == nullptr) continue;
      const long long gathered = start.get_N(c.index, p) + overflowSizes_[slot(s, p)];
      const int size =
          static_cast<int>(std::min<long long>(gathered, std::numeric_limits<int>::max()));
      source->setSize(size);
      source->gatheredSize = size;
      const TDemeSlot own{c.index, p};
      const bool listed = std::any_of(
          activeDemes_.begin(), activeDemes_.begin() + numDemes_, [&](const TDemeSlot& e) {
            return e.cellIndex == own.cellIndex && e.popIndex == own.popIndex;
          });
      if (source->numLineages == 0 && !listed && numDemes_ < numSlots_) {
        activeDemes_[static_cast<std::size_t>(numDemes_++)] = own;
        source->demeNumber = source->cellIndex;
      }
    }
  }
  int i = 0;
  while (i < numDemes_) {
    TDeme& deme = *demeAt(activeDemes_[static_cast<std::size_t>(i)]);
    deme.mergeIncoming();
    const bool sourceCell =
        cells[static_cast<std::size_t>(deme.cellIndex)].sourceNumber[deme.popIndex] != 0;
    if (deme.numLineages == 0 && !sourceCell) {
      const std::size_t last = static_cast<std::size_t>(numDemes_ - 1);
      activeDemes_[static_cast<std::size_t>(i)] = activeDemes_[last];
      activeDemes_[last] = TDemeSlot();
      --numDemes_;
      continue;
    }
    ++i;
  }
  // The destinations of the moves above are in the active deme list now.
  clearNewlyActive();
  return 1;
}

}  // namespace orvantis

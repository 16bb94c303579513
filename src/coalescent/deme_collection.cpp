#include "coalescent/deme_collection.h"

#include <algorithm>
#include <new>
#include <sstream>

#include "world/database/memory_budget.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {
constexpr int kMigrantListCapacity = 8;
}  // namespace

TDemeCollection::TDemeCollection(const World& world, std::ostream& log, TWindowServices& window,
                                 TRandom& random)
    : world_(world), log_(log), window_(window), random_(random), tree_(log, this) {}

TDemeCollection::TDemeCollection(const TDemeCollection& series, std::ostream& log,
                                 TWindowServices& window, TRandom& random)
    : world_(series.world_),
      log_(log),
      window_(window),
      random_(random),
      outputBaseName_(series.outputBaseName_),
      options_(series.options_),
      numPopulations_(series.numPopulations_),
      numSlots_(series.numSlots_),
      demeTable_(series.demeTable_),
      activeDemes_(series.activeDemes_),
      numDemes_(series.numDemes_),
      newlyActive_(series.newlyActive_),
      numNewlyActive_(series.numNewlyActive_),
      initialDemes_(series.initialDemes_),
      numSampleDemes_(series.numSampleDemes_),
      sampleList_(series.sampleList_),
      ancientSamples_(series.ancientSamples_),
      numAncientSamples_(series.numAncientSamples_),
      ancientSamplesLeft_(series.ancientSamplesLeft_),
      ancientFlags_(series.ancientFlags_),
      genotypicData_(series.genotypicData_),
      totalSampledGenes_(series.totalSampledGenes_),
      lineagesCreated_(series.lineagesCreated_),
      coalescencesThisGenealogy_(series.coalescencesThisGenealogy_),
      coalescencesCumulated_(series.coalescencesCumulated_.size(), 0),
      refreshRate_(series.refreshRate_),
      fixedSettings_(series.walkSettings()),
      parameters_(series.parameters_),
      tree_(series.tree_, log, this),
      mutation_(series.mutation_),
      walkTime_(series.walkTime_) {
  demes_.reserve(series.demes_.size());
  for (const std::unique_ptr<TDeme>& deme : series.demes_) {
    demes_.push_back(std::make_unique<TDeme>(*deme, *this));
  }
  if (series.reader_) {
    reader_.emplace(series.reader_->database());
    setWalkTime(walkTime_);
  }
}

TDemeCollection::~TDemeCollection() = default;

TWalkSettings TWalkSettings::read(const TExtendedSettings& settings, int numPopulations) {
  TWalkSettings s;
  s.maxGenerations = settings.intParameter(IntParam::MaxNumGenerations);
  s.tauValue = settings.intParameter(IntParam::TauValue);
  s.ancestralSize = settings.intParameter(IntParam::AncestralSize);
  s.recordMoves = settings.intParameter(IntParam::GenealogiesFile) != 0 ||
                  (numPopulations == 2 && settings.intParameter(IntParam::PropFile) != 0);
  s.gatherOverflow = settings.hasKey(my_string("AllowSourcePopulationOverflow")) &&
                     settings.rawReal(RealParam::AllowSourcePopulationOverflow) == 0.0;
  s.geneticFile = settings.fileParameter(FileParam::GeneticFile).str();
  return s;
}

void TDemeCollection::fixSettings() {
  fixedSettings_ = TWalkSettings::read(world_.settings(), numPopulations_);
}

TWalkSettings TDemeCollection::walkSettings() const {
  return fixedSettings_ ? *fixedSettings_ : TWalkSettings::read(world_.settings(), numPopulations_);
}

void TDemeCollection::applyWalkSettings(const TWalkSettings& settings) {
  maxGenerations_ = settings.maxGenerations;
  tauValue_ = settings.tauValue;
  ancestralSize_ = settings.ancestralSize;
  recordMoves_ = settings.recordMoves;
  gatherOverflow_ = settings.gatherOverflow;
}

void TDemeCollection::discardDemes() {
  demes_.clear();
  std::fill(demeTable_.begin(), demeTable_.end(), -1);
  std::fill(activeDemes_.begin(), activeDemes_.end(), TDemeSlot());
  std::fill(newlyActive_.begin(), newlyActive_.end(), TDemeSlot());
  std::fill(initialDemes_.begin(), initialDemes_.end(), TDemeSlot());
  numDemes_ = 0;
  numNewlyActive_ = 0;
  numSampleDemes_ = 0;
  sampleList_.clear();
  ancientSamples_.clear();
  ancientFlags_.clear();
  numAncientSamples_ = 0;
  ancientSamplesLeft_ = 0;
  totalSampledGenes_ = 0;
  lineagesCreated_ = false;
}

int TDemeCollection::createDemesFromWorld() {
  reader_.reset();
  currentView_ = TGenerationView();
  previousView_ = TGenerationView();
  numPopulations_ = world_.numberOfPopulations();
  const long long slots = static_cast<long long>(world_.nrows()) * world_.ncols() * numPopulations_;
  numSlots_ = 0;
  discardDemes();
  if (slots > INT32_MAX) {
    log_ << "TDemeCollection::createDemesFromWorld(): not enough memory" << std::endl;
    return 0;
  }
  try {
    const std::size_t n = static_cast<std::size_t>(slots);
    demeTable_.assign(n, -1);
    activeDemes_.assign(n, TDemeSlot());
    newlyActive_.assign(n, TDemeSlot());
    initialDemes_.assign(n, TDemeSlot());
    coalescencesThisGenealogy_.assign(n, 0);
    coalescencesCumulated_.assign(n, 0);
  } catch (const std::bad_alloc&) {
    demeTable_.clear();
    activeDemes_.clear();
    newlyActive_.clear();
    initialDemes_.clear();
    coalescencesThisGenealogy_.clear();
    coalescencesCumulated_.clear();
    log_ << "TDemeCollection::createDemesFromWorld(): not enough memory" << std::endl;
    return 0;
  }
  numSlots_ = static_cast<int>(slots);
  migrationEvents_ = 0;
  numCoalescences_ = 0;
  tree_.setNumPopulations(numPopulations_);
  const StateDB& db = world_.database();
  if (db.isAllocated()) {
    reader_.emplace(db);
    setWalkTime(db.endTime());
  }
  return 1;
}

void TDemeCollection::setWalkTime(int d) {
  walkTime_ = d;
  if (!reader_) return;
  const int last = reader_->database().endTime();
  const auto clamp = [last](int t) { return t < 0 ? 0 : (t > last ? last : t); };
  currentView_ = reader_->row(clamp(d));
  previousView_ = reader_->row(clamp(d - 1));
}

void TDemeCollection::createInitialDemeList() {
  std::copy(activeDemes_.begin(), activeDemes_.begin() + numDemes_, initialDemes_.begin());
  numSampleDemes_ = numDemes_;
}

std::uint64_t TDemeCollection::genealogyBytes(long long genes, long long loci) const {
  // A genealogy without recombination has 2n - 1 nodes; each holds its location arrays and,
  // per locus, its ancestral material, a descendant count and an allelic state.
  const std::uint64_t locationArrays = numPopulations_ == 2 ? 3 : 2;
  const std::uint64_t perNode = sizeof(TNode) + locationArrays * kLocationCapacity * sizeof(int) +
                                static_cast<std::uint64_t>(loci) * (1 + 2 * sizeof(int));
  std::uint64_t bytes = 0;
  if (!multiplyBytes(perNode, 2 * static_cast<std::uint64_t>(genes), bytes)) return UINT64_MAX;
  return bytes;
}

int TDemeCollection::createlineages() {
  long long total = 0;
  for (int i = 0; i < numDemes_; ++i) {
    if (const TDeme* d = demeAt(activeDemes_[static_cast<std::size_t>(i)])) total += d->sampleSize;
  }
  if (total == 0) {
    log_ << "TDemeCollection::createlineages() : Tree is empty " << std::endl;
    return 0;
  }
  const std::uint64_t bytes = genealogyBytes(total, tree_.numLoci());
  if (total > kMaxSampledGenes || bytes > availableMemoryBytes()) {
    log_ << "TDemeCollection::createlineages() : not enough memory for the genealogy of " << total
         << " genes and " << tree_.numLoci() << " loci" << std::endl;
    return 0;
  }
  tree_.setNumPopulations(numPopulations_);
  if (!tree_.createTips(static_cast<int>(total))) return 0;
  TNodeRef next = 0;
  for (int i = 0; i < numDemes_; ++i) {
    TDeme* d = demeAt(activeDemes_[static_cast<std::size_t>(i)]);
    if (d == nullptr) continue;
    d->sampleNodes.clear();
    d->activeList.clear();
    d->ancientList.clear();
    d->incomingList.clear();
    d->numIncoming = 0;
    d->sampleNodes.reserve(d->sampleSize);
    d->activeList.reserve(d->sampleSize);
    for (std::size_t s = 0; s < d->samples.size(); ++s) {
      const bool ancient = d->ancientFlags[s] != 0;
      for (int k = 0; k < d->samples[s].size; ++k) {
        TNode& tip = tree_.node(next);
        tip.sampleCell = d->cellIndex;
        tip.samplePop = d->popIndex;
        tip.pop = d->popIndex;
        tip.demeNumber = d->demeNumber;
        d->sampleNodes.append(next);
        (ancient ? d->ancientList : d->activeList).append(next);
        ++next;
      }
    }
  }
  lineagesCreated_ = true;
  return 1;
}

void TDemeCollection::resetDemes() {
  for (int i = numSampleDemes_; i < numDemes_; ++i) {
    activeDemes_[static_cast<std::size_t>(i)] = TDemeSlot();
  }
  std::copy(initialDemes_.begin(), initialDemes_.begin() + numSampleDemes_, activeDemes_.begin());
  numDemes_ = numSampleDemes_;
  std::fill(newlyActive_.begin(), newlyActive_.begin() + numNewlyActive_, TDemeSlot());
  numNewlyActive_ = 0;
  for (const std::unique_ptr<TDeme>& d : demes_) d->reset();
  // A sample deme that emptied and was reached again during the walk took its cell index as its
  // number; the next genealogy starts from the samples' numbering.
  for (int i = 0; i < numSampleDemes_; ++i) {
    if (TDeme* d = demeAt(initialDemes_[static_cast<std::size_t>(i)])) d->demeNumber = i;
  }
  std::fill(coalescencesThisGenealogy_.begin(), coalescencesThisGenealogy_.end(), 0);
  ancientSamplesLeft_ = numAncientSamples_;
  walkOpen_ = false;
  tree_.closeGenealogy();
}

void TDemeCollection::clearGeneticData() {
  for (const std::unique_ptr<TDeme>& d : demes_) d->loci.clear();
}

TDeme* TDemeCollection::createDemeForMigrant(int cellIndex, const cell* place, int popIndex) {
  const int slot = slotOf(cellIndex, popIndex);
  if (slot < 0) {
    log_ << " ERROR: {TDemeCollection::createDemeForMigrant()} [no deme slot for cell " << cellIndex
         << ", population " << popIndex << "]" << std::endl;
    return nullptr;
  }
  if (TDeme* existing = demeAt(cellIndex, popIndex)) return existing;
  try {
    demes_.push_back(std::make_unique<TDeme>(*this, cellIndex, place, popIndex));
  } catch (const std::bad_alloc&) {
    log_ << "TDemeCollection::createDemeForMigrant() : not enough memory" << std::endl;
    return nullptr;
  }
  TDeme* d = demes_.back().get();
  // Room for a few lineages at once, so that a deme reached again later rarely grows its lists.
  d->activeList.reserve(kMigrantListCapacity);
  d->incomingList.reserve(kMigrantListCapacity);
  d->setSize(currentView_.valid() ? currentView_.get_N(cellIndex, popIndex) : 0);
  demeTable_[static_cast<std::size_t>(slot)] = static_cast<int>(demes_.size()) - 1;
  return d;
}

int TDemeCollection::countAllLoci() {
  return parameters_.countAllLoci(walkSettings().geneticFile, log_);
}

int TDemeCollection::readChromosome(int c) {
  const std::string file = walkSettings().geneticFile;
  if (!parameters_.readChromosome(file, c, log_)) return 0;
  const long long genes = totalSampledGenes_ > 0 ? totalSampledGenes_ : 1;
  if (genealogyBytes(genes, parameters_.numLoci()) > availableMemoryBytes()) {
    log_ << " ERROR: {TDemeCollection::readChromosome()} [chromosome " << c + 1 << " of '" << file
         << "' has " << parameters_.numLoci() << " loci: the genealogy of " << genes
         << " genes would not fit in memory]" << std::endl;
    parameters_.clearChromosome();
    return 0;
  }
  return 1;
}

bool TDemeCollection::verify(std::string* problem) const {
  std::ostringstream why;
  const auto fail = [&]() {
    if (problem != nullptr) *problem = why.str();
    return false;
  };
  const std::size_t slots = static_cast<std::size_t>(numSlots_);
  if (demeTable_.size() != slots || activeDemes_.size() != slots || newlyActive_.size() != slots ||
      initialDemes_.size() != slots) {
    why << "tables and lists not sized for " << numSlots_ << " slots";
    return fail();
  }
  // The table and the demes agree.
  std::size_t registered = 0;
  for (std::size_t s = 0; s < slots; ++s) {
    const int id = demeTable_[s];
    if (id < 0) continue;
    ++registered;
    if (static_cast<std::size_t>(id) >= demes_.size()) {
      why << "slot " << s << " refers to deme " << id;
      return fail();
    }
    const TDeme& d = *demes_[static_cast<std::size_t>(id)];
    if (slotOf(d.cellIndex, d.popIndex) != static_cast<int>(s)) {
      why << "deme of cell " << d.cellIndex << ", population " << d.popIndex << " in slot " << s;
      return fail();
    }
  }
  if (registered != demes_.size()) {
    why << demes_.size() << " demes but " << registered << " in the table";
    return fail();
  }
  // The lists: counts within the slots, used entries naming distinct demes, the rest empty.
  const auto checkList = [&](const std::vector<TDemeSlot>& list, int count, const char* name) {
    if (count < 0 || count > numSlots_) {
      why << name << " count " << count;
      return false;
    }
    std::vector<char> seen(slots, 0);
    for (int i = 0; i < numSlots_; ++i) {
      const TDemeSlot& e = list[static_cast<std::size_t>(i)];
      if (i >= count) {
        if (e.cellIndex != -1 || e.popIndex != -1) {
          why << name << " entry " << i << " beyond its count " << count << " is used";
          return false;
        }
        continue;
      }
      const int slot = slotOf(e.cellIndex, e.popIndex);
      if (slot < 0 || demeTable_[static_cast<std::size_t>(slot)] < 0) {
        why << name << " entry " << i << " (" << e.cellIndex << ", " << e.popIndex
            << ") has no deme";
        return false;
      }
      if (seen[static_cast<std::size_t>(slot)]++) {
        why << name << " holds (" << e.cellIndex << ", " << e.popIndex << ") twice";
        return false;
      }
    }
    return true;
  };
  if (!checkList(activeDemes_, numDemes_, "active deme list") ||
      !checkList(newlyActive_, numNewlyActive_, "newly active list") ||
      !checkList(initialDemes_, numSampleDemes_, "initial deme list")) {
    return fail();
  }
  // The samples and the demes' own counts.
  int sampled = 0;
  for (const std::unique_ptr<TDeme>& dp : demes_) {
    const TDeme& d = *dp;
    why << "deme (" << d.cellIndex << ", " << d.popIndex << "): ";
    int sizes = 0;
    int ancientSizes = 0;
    for (std::size_t s = 0; s < d.samples.size(); ++s) {
      sizes += d.samples[s].size;
      if (d.ancientFlags[s]) ancientSizes += d.samples[s].size;
    }
    if (d.ancientFlags.size() != d.samples.size() ||
        (!d.samples.empty() && (d.names.size() != d.samples.size() + 1 ||
                                d.extraSamples != static_cast<int>(d.samples.size()) - 1))) {
      why << "sample records of different lengths";
      return fail();
    }
    if (sizes != d.sampleSize || ancientSizes != d.ancientSampleSize) {
      why << "sample sizes " << sizes << " and " << ancientSizes << " but sampleSize "
          << d.sampleSize << " and ancientSampleSize " << d.ancientSampleSize;
      return fail();
    }
    if (d.ancientPending < 0 || d.ancientPending > d.ancientSampleSize) {
      why << "ancientPending " << d.ancientPending;
      return fail();
    }
    if (lineagesCreated_) {
      if (d.numLineages != d.activeList.count() || d.numIncoming != d.incomingList.count()) {
        why << "numLineages " << d.numLineages << " for " << d.activeList.count()
            << " lineages, numIncoming " << d.numIncoming << " for " << d.incomingList.count();
        return fail();
      }
      if (d.sampleNodes.count() != d.sampleSize || d.ancientList.count() != d.ancientSampleSize) {
        why << d.sampleNodes.count() << " sample nodes and " << d.ancientList.count()
            << " ancient nodes";
        return fail();
      }
    }
    sampled += d.sampleSize;
    why.str("");
  }
  if (sampled != totalSampledGenes_) {
    why << "the demes hold " << sampled << " sampled genes, the samples " << totalSampledGenes_;
    return fail();
  }
  if (static_cast<int>(sampleList_.size()) != static_cast<int>(ancientFlags_.size()) ||
      numAncientSamples_ != static_cast<int>(ancientSamples_.size())) {
    why << "sample list, ancient flags and ancient table of different lengths";
    return fail();
  }
  // Every lineage in exactly one active or incoming list, or pending in an ancient list.
  if (lineagesCreated_ && tree_.genealogyOpen()) {
    const std::size_t nodes = static_cast<std::size_t>(tree_.numNodes());
    std::vector<int> listed(nodes, 0);
    int pending = 0;
    for (const std::unique_ptr<TDeme>& dp : demes_) {
      for (const TISimpleChain<TNode>* list : {&dp->activeList, &dp->incomingList}) {
        for (const TNodeRef ref : *list) {
          if (!tree_.isLive(ref)) {
            why << "deme (" << dp->cellIndex << ", " << dp->popIndex << ") lists node " << ref
                << " that does not exist";
            return fail();
          }
          if (tree_.node(ref).ancestor != kNoNode) {
            why << "node " << ref << " is listed but has coalesced";
            return fail();
          }
          ++listed[static_cast<std::size_t>(ref)];
        }
      }
      pending += dp->ancientPending;
    }
    int listedLineages = 0;
    int waiting = 0;
    for (std::size_t r = 0; r < nodes; ++r) {
      listedLineages += listed[r];
      if (listed[r] > 1) {
        why << "node " << r << " is in " << listed[r] << " lists";
        return fail();
      }
      if (listed[r] == 0 && tree_.node(static_cast<TNodeRef>(r)).ancestor == kNoNode) {
        if (static_cast<int>(r) >= tree_.sampleSize()) {
          why << "lineage " << r << " is in no deme";
          return fail();
        }
        ++waiting;
      }
    }
    if (waiting != pending) {
      why << waiting << " tips wait outside the demes but " << pending
          << " ancient lineages are pending";
      return fail();
    }
    if (walkOpen_) {
      // The walk's own counts: every lineage it counts is in a list or pending.
      const int expected = tree_.sampleSize() - numCoalescences_ + numRecombinations_;
      if (totalLineages_ != expected || listedLineages + pending != totalLineages_ ||
          pending != pendingAncientGenes_) {
        why << "the walk counts " << totalLineages_ << " lineages (" << tree_.sampleSize()
            << " sampled - " << numCoalescences_ << " coalescences + " << numRecombinations_
            << " recombinations = " << expected << "), the lists hold " << listedLineages << " and "
            << pending << " are pending";
        return fail();
      }
      long long loci = 0;
      for (const int left : tree_.lineagesLeft) loci += left;
      if (loci != remainingLineageLoci_) {
        why << "remainingLineageLoci " << remainingLineageLoci_ << " but the loci count " << loci;
        return fail();
      }
      // With moves recorded, a lineage's last recorded place is the deme that holds it.
      if (recordMoves_) {
        for (const std::unique_ptr<TDeme>& dp : demes_) {
          for (const TISimpleChain<TNode>* list : {&dp->activeList, &dp->incomingList}) {
            for (const TNodeRef ref : *list) {
              const TNode& n = tree_.node(ref);
              if (n.numLocationSteps() == 0) continue;  // a recombination half, not moved yet
              const bool samePop = !n.hasLocPop() || n.locPop.back() == dp->popIndex;
              if (n.locCell.back() != dp->cellIndex || !samePop) {
                why << "lineage " << ref << " was last recorded in cell " << n.locCell.back()
                    << " but is held by the deme of cell " << dp->cellIndex << ", population "
                    << dp->popIndex;
                return fail();
              }
            }
          }
        }
      }
    }
  }
  std::string treeProblem;
  if (!tree_.verify(&treeProblem)) {
    why << "genealogy: " << treeProblem;
    return fail();
  }
  return true;
}

}  // namespace orvantis

#pragma once
// Worlds with a stored demography written by hand for the tests of the backward walk, and an
// observer that checks the collection after every generation step: its own consistency, and
// that every lineage that changed cell went to a cell that sent migrants into its former cell
// in the stored demography.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "coalescent/deme_collection.h"
#include "coalescent/walk_observer.h"
#include "support/sampled_world.h"
#include "support/text_assertions.h"
#include "world/landscape/world.h"

namespace orvantis::testing {

// Where a lineage is: cell index and population.
struct TPlace {
  int cell = -1;
  int pop = -1;
  bool operator==(const TPlace&) const = default;
};

class WalkChecker : public TWalkObserver {
 public:
  explicit WalkChecker(const World& world) : world_(world) {}

  // Moves made during steps at these generations and below are not held to the immigrants:
  // before the expansion, and the gathering at generation 1.
  int freeMovesFrom = 0;

  void atStep(const TDemeCollection& c, int d) override {
    ++steps;
    std::string problem;
    if (!c.verify(&problem)) failures.push_back("d = " + std::to_string(d) + ": " + problem);
    const TTree& tree = c.tree();
    now_.assign(static_cast<std::size_t>(tree.numNodes()), TPlace());
    if (recording) records.push_back(Step{d, c.numDemes(), {}});
    for (int i = 0; i < c.numDemes(); ++i) {
      const TDeme& deme = *c.demeAt(c.activeDemes()[static_cast<std::size_t>(i)]);
      if (recording) {
        records.back().demes[deme.cellIndex] = {deme.size, deme.numLineages + deme.numIncoming};
      }
      for (const auto* list : {&deme.activeList, &deme.incomingList}) {
        for (const TNodeRef ref : *list) {
          now_[static_cast<std::size_t>(ref)] = TPlace{deme.cellIndex, deme.popIndex};
        }
      }
    }
    if (started_ && d != previousD_) {
      const int g = previousD_ > 0 ? previousD_ : 0;
      for (std::size_t r = 0; r < now_.size(); ++r) {
        if (now_[r].cell < 0) continue;
        const TPlace from = originOf(tree, static_cast<TNodeRef>(r));
        if (from.cell < 0) continue;
        ++lineageSteps[from.cell];
        if (from == now_[r]) continue;
        ++moves[{from.cell, now_[r].cell}];
        if (previousD_ > freeMovesFrom && !legalMove(from, now_[r], g)) {
          failures.push_back("d = " + std::to_string(previousD_) + ": a lineage moved from cell " +
                             std::to_string(from.cell) + " to cell " +
                             std::to_string(now_[r].cell) + ", which sent it no migrant");
        }
      }
    }
    before_ = now_;
    previousD_ = d;
    started_ = true;
  }

  // The active demes at the start of every step (size and lineages by cell), when recording.
  struct Deme {
    int size = -1;
    int lineages = 0;
  };
  struct Step {
    int d = 0;
    int numDemes = 0;
    std::map<int, Deme> demes;  // by cell index
  };
  bool recording = false;
  std::vector<Step> records;

  // The first record made at the start of step d (the walk's own step, before the record of
  // the end made with d = 0); null when there is none.
  const Step* at(int d) const {
    for (const Step& step : records) {
      if (step.d == d) return &step;
    }
    return nullptr;
  }
  // The size of the deme of `cell` at the start of step d, -1 when it was not active.
  int sizeAt(int d, int cell) const {
    const Step* step = at(d);
    if (step == nullptr) return -1;
    const auto it = step->demes.find(cell);
    return it == step->demes.end() ? -1 : it->second.size;
  }

  int steps = 0;
  std::vector<std::string> failures;
  std::map<int, long long> lineageSteps;           // lineages present per cell, summed over steps
  std::map<std::pair<int, int>, long long> moves;  // (from cell, to cell) -> lineages

 private:
  // The place at the last step of a lineage, or of the lineage it descends from when it was
  // created since (coalescences and recombinations happen before the moves of a step).
  TPlace originOf(const TTree& tree, TNodeRef ref) const {
    for (;;) {
      if (static_cast<std::size_t>(ref) < before_.size() &&
          before_[static_cast<std::size_t>(ref)].cell >= 0) {
        return before_[static_cast<std::size_t>(ref)];
      }
      const TNode& n = tree.node(ref);
      if (n.leftDesc == kNoNode) return TPlace();  // a tip that joined in this step
      ref = n.leftDesc;
    }
  }

  bool legalMove(const TPlace& from, const TPlace& to, int g) const {
    const StateDB& db = world_.database();
    if (to.pop != from.pop) {
      return to.cell == from.cell && db.get_migrBetweenDemes(from.cell, to.pop, from.pop, g) > 0;
    }
    for (const FromSide side : {FromSide::North, FromSide::South, FromSide::East, FromSide::West}) {
      if (db.neighbour(from.cell, side) == to.cell &&
          db.get_migrFromNeighbour(from.cell, from.pop, side, g) > 0) {
        return true;
      }
    }
    if (db.layout().endTime >= 0) {
      for (const TLDDMigrant& m : db.get_LDDMigrants(from.cell, from.pop, g)) {
        if (m.sourceCell == to.cell && m.count > 0) return true;
      }
    }
    // A population absent at g - 1 sends its lineages to populated cells nearby.
    return g >= 1 && db.get_N(from.cell, from.pop, g - 1) == 0 &&
           db.get_N(to.cell, to.pop, g - 1) > 0;
  }

  const World& world_;
  std::vector<TPlace> before_;
  std::vector<TPlace> now_;
  int previousD_ = 0;
  bool started_ = false;
};

class WalkTest : public SampledWorldTest {
 protected:
  WalkTest() {
    keys["MaxNumGenerations"] = "100000";
    keys["GenealogiesFile"] = "1";  // moves recorded in the nodes, checked by verify()
  }

  // Arrivals into (row, col) of `population` from its neighbour on `side`, generations from..to
  // (to -1: EndTime).
  void setArrivals(int row, int col, FromSide side, int n, int population = 0, int from = 0,
                   int to = -1) {
    StateDB& db = world->database();
    const int last = to < 0 ? db.endTime() : to;
    for (int t = from; t <= last; ++t) {
      db.generationRow(t).setArrival(cellIndex(row, col), population, side, n);
    }
  }

  // A population source on (row, col) with the history fields of the sources file.
  void addSource(const std::string& name, int row, int col, int sizeBeforeExpansion = 0,
                 int bottleneckDuration = 0, int sizeBeforeBottleneck = 0,
                 float migrationBeforeExpansion = 0.0f, int layer = 0) {
    PopulationSource source;
    source.name = my_string(name.c_str());
    source.size = 10;
    source.sizeBeforeExpansion = sizeBeforeExpansion;
    source.bottleneckDuration = bottleneckDuration;
    source.sizeBeforeBottleneck = sizeBeforeBottleneck;
    source.migrationBeforeExpansion = migrationBeforeExpansion;
    source.layer = layer;
    source.cellIndex = cellIndex(row, col);
    world->sources().add(source);
    world->cells()[static_cast<std::size_t>(cellIndex(row, col))].sourceNumber[layer] =
        world->sources().count();
    world->setNumberOfSources(world->sources().count());
  }

  // A collection with the samples read and the tips of a genealogy of `loci` loci (rates from
  // the genetic parameters file when one was written).
  std::unique_ptr<TDemeCollection> prepare(const std::vector<std::string>& samples, int loci = 1) {
    writeSamples(samples);
    auto c = readCollection();
    c->createInitialDemeList();
    if (!parametersText.empty()) {
      writeParameters(parametersText);
      c->parameters().setNumChromosomes(1);
      EXPECT_EQ(c->readChromosome(0), 1) << log.str();
      loci = c->parameters().numLoci();
    }
    c->tree().setNumLoci(loci);
    EXPECT_EQ(c->createlineages(), 1) << log.str();
    TGeneticOptions options;
    options.geneticBitmaps = true;  // the observer sees every step
    c->setOptions(options);
    checker = std::make_unique<WalkChecker>(*world);
    c->setWalkObserver(checker.get());
    return c;
  }

  // Records the demes at every step of the walks (besides checking them).
  WalkChecker& recordSteps() {
    checker->recording = true;
    return *checker;
  }

  void expectCleanWalk() {
    ASSERT_TRUE(checker);
    EXPECT_GT(checker->steps, 0);
    for (const std::string& f : checker->failures) ADD_FAILURE() << f;
    checker->failures.clear();
  }

  // The parents of all non-tip nodes, by time: event times of a genealogy without recombination.
  static std::vector<int> internalTimes(const TTree& tree) {
    std::vector<int> times;
    for (TNodeRef r = tree.sampleSize(); r < tree.numNodes(); ++r) {
      if (tree.node(r).isInternal == kCoalescenceNode) times.push_back(tree.node(r).time);
    }
    return times;
  }

  std::string parametersText;
  std::unique_ptr<WalkChecker> checker;
  std::string problem;
};

}  // namespace orvantis::testing

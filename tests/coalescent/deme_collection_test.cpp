#include "coalescent/deme_collection.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sampled_world.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

// Two rows of three cells, 30 individuals everywhere, EndTime 10.
class DemeCollectionTest : public testing::SampledWorldTest {
 protected:
  void SetUp() override {
    buildWorld({"1 1 1", "1 1 1"});
    for (int r = 0; r < 2; ++r) {
      for (int c = 0; c < 3; ++c) setSize(r, c, 30);
    }
  }

  // Reads the samples and makes the tips of a one-locus genealogy.
  std::unique_ptr<TDemeCollection> withLineages(const std::vector<std::string>& samples) {
    writeSamples(samples);
    auto collection = readCollection();
    collection->createInitialDemeList();
    collection->tree().setNumLoci(1);
    EXPECT_EQ(collection->createlineages(), 1) << log.str();
    collection->tree().resetToTips(10);
    return collection;
  }

  // Coalesces the first two lineages of a deme, as the backward walk does.
  static void coalesceFirstTwo(TDemeCollection& collection, TDeme& deme) {
    TTree& tree = collection.tree();
    const TNodeRef parent = tree.createNode();
    ASSERT_NE(parent, kNoNode);
    TNodeRef first = kNoNode, second = kNoNode;
    ASSERT_TRUE(deme.activeList.replacePair(0, 1, parent, first, second, collection.log()));
    TNode& p = tree.node(parent);
    p.isInternal = kCoalescenceNode;
    p.leftDesc = first;
    p.rightDesc = second;
    tree.node(first).ancestor = tree.node(second).ancestor = parent;
    --tree.lineagesLeft[0];
    --deme.numLineages;
  }

  std::string problem;
};

TEST_F(DemeCollectionTest, LineagesGoToTheirDemesAndComeBackAfterAGenealogy) {
  auto collection = withLineages(
      {sampleAt("a", 3, 0, 0, 0), sampleAt("b", 2, 0, 1, 2, "4"), sampleAt("c", 1, 0, 1, 2)});
  const TTree& tree = collection->tree();
  ASSERT_EQ(tree.sampleSize(), 6);
  TDeme& a = *collection->demeAt(cellIndex(0, 0), 0);
  TDeme& bc = *collection->demeAt(cellIndex(1, 2), 0);
  EXPECT_EQ(a.activeList.count(), 3);
  EXPECT_EQ(bc.ancientList.count(), 2);  // tips 3 and 4, waiting for generation 4
  EXPECT_EQ(bc.activeList.at(0), 5);
  EXPECT_TRUE(collection->verify(&problem)) << problem;

  coalesceFirstTwo(*collection, a);
  EXPECT_TRUE(collection->verify(&problem)) << problem;
  // A lineage moved into a deme created for it (of the cell's size at generation 7).
  collection->setWalkTime(7);
  setSize(0, 1, 12, 0, 7, 7);
  TDeme* migrant = collection->createDemeForMigrant(cellIndex(0, 1), world->cellAt(0, 1), 0);
  ASSERT_NE(migrant, nullptr);
  EXPECT_EQ(migrant->size, 12);
  migrant->incomingList.append(a.activeList.remove(1));
  ++migrant->numIncoming;
  --a.numLineages;
  EXPECT_TRUE(collection->verify(&problem)) << problem;
  // A lineage in two lists is caught.
  a.activeList.append(migrant->incomingList[0]);
  ++a.numLineages;
  EXPECT_FALSE(collection->verify(&problem));
  EXPECT_CONTAINS(problem, "is in 2 lists");

  collection->resetDemes();
  EXPECT_EQ(a.numLineages, 3);
  EXPECT_EQ(migrant->numIncoming + migrant->numLineages, 0);
  EXPECT_EQ(collection->demeAt(cellIndex(0, 1), 0), migrant);  // stays until the next run
  EXPECT_EQ(collection->numDemes(), 2);
  collection->tree().resetToTips(10);
  EXPECT_EQ(collection->tree().numNodes(), 6);
  EXPECT_TRUE(collection->verify(&problem)) << problem;
}

TEST_F(DemeCollectionTest, TwoCollectionsOverOneWorldAreIndependent) {
  auto first = withLineages({sampleAt("a", 4, 0, 0, 0)});
  writeSamples({sampleAt("x", 2, 0, 1, 1), sampleAt("y", 2, 0, 0, 2)});
  auto second = readCollection();
  second->createInitialDemeList();
  second->tree().setNumLoci(3);
  ASSERT_EQ(second->createlineages(), 1);
  coalesceFirstTwo(*first, *first->demeAt(cellIndex(0, 0), 0));
  EXPECT_EQ(first->numDemes(), 1);
  EXPECT_EQ(second->numDemes(), 2);
  EXPECT_EQ(first->tree().numNodes(), 5);
  EXPECT_EQ(second->tree().numNodes(), 4);
  EXPECT_EQ(second->demeAt(cellIndex(0, 0), 0), nullptr);
  EXPECT_TRUE(first->verify(&problem)) << problem;
  EXPECT_TRUE(second->verify(&problem)) << problem;
  // The world's own collection is a third one, discarded when the world is built again.
  TDemeCollection& own = world->demeCollection();
  ASSERT_EQ(own.createDemesFromWorld(), 1);
  EXPECT_EQ(own.numSlots(), 6);
  buildWorld({"1 1", "1 1"});
  EXPECT_EQ(world->demeCollection().numSlots(), 0);
}

TEST_F(DemeCollectionTest, GeneticDataAndRunLimits) {
  auto collection = withLineages({sampleAt("a", 2, 0, 0, 0)});
  // No sampled gene at all.
  writeSamples(std::vector<std::string>{});
  EXPECT_EQ(readCollection()->createlineages(), 0);
  // A chromosome whose loci would not fit on the nodes of ten million genes.
  setSize(1, 1, kMaxSampledGenes);
  writeSamples({sampleAt("all", kMaxSampledGenes, 0, 1, 1)});
  auto huge = readCollection();
  writeParameters("1\n#chromosome\n1\nRFLP 1000000 0 0.001\n");
  huge->parameters().setNumChromosomes(1);
  EXPECT_EQ(huge->readChromosome(0), 0);
  EXPECT_CONTAINS(log.str(), "would not fit in memory");
  EXPECT_EQ(huge->parameters().numLoci(), 0);
}

}  // namespace
}  // namespace orvantis

#include "genetics/chain_list.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "genetics/node.h"
#include "support/text_assertions.h"

namespace orvantis {
namespace {

TISimpleChain<TNode> chainOf(const std::vector<TNodeRef>& refs, bool owns = false) {
  TISimpleChain<TNode> chain(owns);
  for (const TNodeRef r : refs) chain.append(r);
  return chain;
}

std::vector<TNodeRef> contents(const TISimpleChain<TNode>& chain) {
  return std::vector<TNodeRef>(chain.begin(), chain.end());
}

TEST(ChainList, RanksCursorAndRemoval) {
  const TISimpleChain<TNode> three = chainOf({7, 8, 9});
  EXPECT_EQ(three.at(5), 7);  // rank 5 of 3 entries: the first node
  EXPECT_EQ(three.at(-1), 7);
  EXPECT_EQ(three.at(2), 9);
  EXPECT_EQ(TISimpleChain<TNode>().at(0), kNoNode);
  TISimpleChain<TNode> chain = chainOf({1, 2, 3, 4});
  chain.rewind();
  EXPECT_EQ(chain.current(), 1);
  EXPECT_EQ(chain.next(), 2);
  // Removing the node under the cursor: next() gives the node that followed it.
  EXPECT_EQ(chain.remove(1), 2);
  EXPECT_EQ(chain.next(), 3);
  EXPECT_EQ(chain.next(), 4);
  EXPECT_EQ(chain.next(), kNoNode);  // on the tail: no move
  EXPECT_EQ(chain.current(), 4);
  EXPECT_EQ(chain.remove(7), kNoNode);
  EXPECT_EQ(contents(chain), (std::vector<TNodeRef>{1, 3, 4}));
  // An owning list hands back nothing.
  TISimpleChain<TNode> owning = chainOf({5, 6}, true);
  EXPECT_EQ(owning.remove(0), kNoNode);
  EXPECT_EQ(contents(owning), (std::vector<TNodeRef>{6}));
}

TEST(ChainList, ReplacePairPutsTheParentAtTheLowerRank) {
  struct Case {
    int i, j;
    bool owns;
    std::vector<TNodeRef> after;
    TNodeRef first, second;
  };
  const Case cases[] = {
      {3, 1, false, {10, 99, 12}, 11, 13},  // ranks in any order; the tail moves back
      {0, 2, false, {99, 11, 13}, 10, 12},
      {0, 1, true, {99, 12, 13}, 10, kNoNode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.i << "," << c.j);
    TISimpleChain<TNode> chain = chainOf({10, 11, 12, 13}, c.owns);
    std::ostringstream log;
    TNodeRef first = kNoNode, second = kNoNode;
    ASSERT_TRUE(chain.replacePair(c.i, c.j, 99, first, second, log));
    EXPECT_EQ(contents(chain), c.after);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(second, c.second);
    EXPECT_EQ(log.str(), "");
  }
}

TEST(ChainList, ReplacePairBeyondTheCountFailsWithoutWaiting) {
  for (const auto& [i, j] : {std::pair{1, 3}, std::pair{5, 0}, std::pair{1, 1}, std::pair{-1, 0}}) {
    TISimpleChain<TNode> chain = chainOf({10, 11, 12});
    std::ostringstream log;
    TNodeRef first = 0, second = 0;
    EXPECT_FALSE(chain.replacePair(i, j, 99, first, second, log));
    EXPECT_EQ(contents(chain), (std::vector<TNodeRef>{10, 11, 12}));
    EXPECT_EQ(first, kNoNode);
    EXPECT_CONTAINS(log.str(), "rank higher than the size of the chain list");
  }
}

}  // namespace
}  // namespace orvantis

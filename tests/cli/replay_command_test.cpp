// The command line that replays a run, as the run manifest records it.

#include "cli/replay_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvantis {
namespace {

TEST(ReplayCommand, TheSeedAndReplicateOptionsAreReplaced) {
  const struct {
    std::vector<std::string> arguments;
    bool replicates;
    std::string expected;
  } cases[] = {
      // The seed of the run in place of a clock seed or any seed given.
      {{"orvantis", "--quiet", "s.txt"}, false, "orvantis --seed 42 --quiet s.txt"},
      {{"orvantis", "--seed", "7", "s.txt"}, false, "orvantis --seed 42 s.txt"},
      {{"orvantis", "--seed=7", "--vcf", "s.txt"}, false, "orvantis --seed 42 --vcf s.txt"},
      // The subcommand stays first; one simulation on one thread in place of the run's.
      {{"/bin/orvantis", "genetics", "--threads", "8", "--simulations", "2-5", "--demography",
        "d.demo", "s.txt"},
       true,
       "/bin/orvantis genetics --seed 42 --threads 1 --simulations S --demography d.demo s.txt"},
      {{"orvantis", "--threads=0", "s.txt"},
       true,
       "orvantis --seed 42 --threads 1 --simulations S s.txt"},
      // Without replicates --threads is kept as it was given.
      {{"orvantis", "--threads", "2", "s.txt"}, false, "orvantis --seed 42 --threads 2 s.txt"},
      // Words a shell would split or expand are quoted.
      {{"orvantis", "--set", "SampleFile=my samples.sam", "it's.txt", "$HOME"},
       false,
       "orvantis --seed 42 --set 'SampleFile=my samples.sam' 'it'\\''s.txt' '$HOME'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(replayCommand(c.arguments, 42, c.replicates), c.expected) << c.expected;
  }
  EXPECT_EQ(replayCommand({}, 42, true), "");
}

}  // namespace
}  // namespace orvantis

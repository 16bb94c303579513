#pragma once
// The command line that replays the genetic simulations of a run, for its manifest.

#include <string>
#include <vector>

namespace orvantis {

// `arguments` (program name first) with "--seed SEED" in place of any seed option; with
// replicates, also "--threads 1 --simulations S" in place of their own, "S" standing for the
// number of the simulation to replay. Words a shell would split or expand are single-quoted.
std::string replayCommand(const std::vector<std::string>& arguments, int seed, bool replicates);

}  // namespace orvantis

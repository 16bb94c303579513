#pragma once
// "orvantis priors PRIORS --n N --seed S [-o FILE]": draws N rows of settings values from the
// priors file and writes them as a table for "orvantis batch" (standard output, or FILE written
// whole or not at all).

#include <ostream>

namespace orvantis {

// Runs the subcommand (argv[0] is "priors"); returns the exit status: 0 on success, 1 for a bad
// or unreadable priors file or an unwritable output, 2 for a usage error.
int runPriorsCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace orvantis

#pragma once
// "orvantis batch TABLE [SETTINGS_FILE] [--jobs N] [--resume] [--runs DIR] [--seed M] [--quiet]
// [-- STUDY_OPTIONS...]": one whole study (world, demography, genetic simulations) per row of
// the table, the row's values as --set values over the settings file, in a folder of its own
// under DIR (default "runs"), several rows at once; at the end DIR/batch_summary.tsv.

#include <ostream>

namespace orvantis {

// Runs the subcommand (argv[0] is "batch"). Exit status: 0 when every row is complete, 1 when a
// row failed or the table, the settings or the runs folder cannot be used (then no study
// starts), 2 for a usage error, 130 when interrupted by a signal.
int runBatchCommand(int argc, const char* const* argv, const char* programArgv0, std::ostream& out,
                    std::ostream& err);

}  // namespace orvantis

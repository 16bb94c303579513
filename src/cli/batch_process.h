#pragma once
// The study of a batch row runs as a child process: the orvantis command itself, started in the
// row's folder with its output captured in a file. A child dies with the batch (a killed batch
// leaves no study running on its own), so that --resume never meets a study still writing.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvantis {

// Starts `program` with `arguments` (argv[1]...) in `folder`: standard input from /dev/null,
// standard output and error into `outputFile`. The process id, or -1 with the reason in `error`.
pid_t startStudyProcess(const std::string& program, const std::vector<std::string>& arguments,
                        const std::filesystem::path& folder,
                        const std::filesystem::path& outputFile, std::string& error);

// The resident memory of a running process; 0 when it cannot be read.
std::uint64_t residentBytes(pid_t pid);

// A wait status in words: "exit status 1", "killed by signal 9 (Killed)".
std::string describeWaitStatus(int status);

// The path of the running program (to start the studies with the same build).
std::string currentProgramPath(const char* argv0);

// Processors this process may run on.
int availableProcessors();

}  // namespace orvantis

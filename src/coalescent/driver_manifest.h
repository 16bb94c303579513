#pragma once
// The run manifest of a series of genetic simulations, B_manifest.json beside its outputs: what
// ran (program, command line, seed, the settings as the series started, the SHA-256 of every
// input file), how (threads, the generator of each simulation with replicate threads), what
// came of it (simulations finished and failed, durations) and the command that replays one
// simulation. A small JSON object, keys in a fixed order:
//
//   program, command (array), startDirectory, settingsDirectory, seed, randomNumbers
//   ("one sequence" or "one stream per simulation"), threads, simulations {total, first, last,
//   finished, failed}, status ("completed", "failed", "not run"), problem, seconds, outputs
//   {directory, runName}, settings {key: value, ...}, inputs [{role, file, sha256}, ...],
//   perSimulation [{simulation, stream, finished, seconds}, ...], replay {command, note}.
//
// "stream" is the 64-bit key of the simulation's generator in hexadecimal (driver_seeds.h),
// present with replicate threads only.

#include <string>
#include <utility>
#include <vector>

#include "coalescent/driver.h"

namespace orvantis {

class TExtendedSettings;

// One input file with the SHA-256 of its content ("" when it cannot be read).
struct TManifestInputFile {
  std::string role;  // the settings key that names it, or what the caller calls it
  std::string file;  // as named
  std::string sha256;
};

// The SHA-256 in lower-case hexadecimal of a file's content; "" when it cannot be read.
std::string fileSha256(const std::string& path);

// The settings file, every file the settings name (the sample and genetic parameters files,
// the world's maps, tables and series, and the tables listed by the index files of the
// conversion tables) and the caller's files, each with its digest; relative names are read
// from the current directory, as the run reads them, except the settings file's, read from
// `startDirectory` when one is given (where the command that named it started).
std::vector<TManifestInputFile> digestRunInputs(const TExtendedSettings& settings,
                                                const std::vector<TNamedInputFile>& extra,
                                                const std::string& startDirectory);

struct TRunManifest {
  TRunRecordInputs record;
  std::string settingsDirectory;
  std::vector<std::pair<std::string, std::string>> settings;  // key, value
  std::vector<TManifestInputFile> inputs;
  TGeneticRunReport report;
  bool replicates = false;  // one generator per simulation
  int threadsAsked = 0;     // with replicates: the number asked for (0: one per core)
};

// B, "_manifest.json".
std::string manifestFileName(const std::string& baseName);

// The manifest as JSON text.
std::string manifestText(const TRunManifest& manifest);

// A JSON string literal of `text`: quotes, backslashes and control characters escaped; text
// that is not UTF-8 is read as Latin-1.
std::string jsonString(const std::string& text);

}  // namespace orvantis

#pragma once
// Names of the files of a run of genetic simulations.
//
// From the settings file's name and the setting SampleFile:
//   S  the settings file's name without its directory, cut before its first ".txt" (empty when
//      it holds no ".txt")
//   D  the directory of SampleFile cut before its first ".sam" (up to and including the last
//      separator; empty when there is none), N its name part (SampleFile holding no ".sam"
//      gives an empty D and N)
//   O  D + "GeneticsOutput/"   the output directory
//   R  S + "_" + N             the run name
//   B  O + R                   the output base name, which every file of the run extends
// Settings files written on other systems may separate directories with '\': both separators
// are accepted, and every name is made with '/'.

#include <ostream>
#include <string>

namespace orvantis {

class TWindowServices;

inline constexpr const char* kGeneticsOutputFolder = "GeneticsOutput";

// S: the settings file's name without its directory, cut before ".txt".
std::string settingsRunName(const std::string& settingsPath);
// D and N of a sample file name.
std::string sampleDirectory(const std::string& sampleFile);
std::string sampleRunName(const std::string& sampleFile);
// O, R and B.
std::string outputDirectory(const std::string& sampleFile);
std::string runName(const std::string& settingsPath, const std::string& sampleFile);
std::string outputBaseName(const std::string& settingsPath, const std::string& sampleFile);

struct TOutputNames {
  std::string settingsName;     // S
  std::string sampleName;       // N
  std::string sampleDirectory;  // D, with '/' separators
  std::string outputDirectory;  // O
  std::string runName;          // R
  std::string baseName;         // B
};

TOutputNames makeOutputNames(const std::string& settingsPath, const std::string& sampleFile);

// Files shared by the simulations of a run whose names the run leaves to this program:
// B_results.txt (the final results, runs of one chromosome) and B_projects.txt (the name of
// every project file, one per line).
std::string resultsFileName(const std::string& baseName);
std::string projectListFileName(const std::string& baseName);
// R_<s>.arp: a project file's name as the list of project files gives it (without directory).
std::string projectListEntry(const std::string& runName, int simulation);

// Makes sure the output directory O exists. When it has to be created, "create folder " + O +
// " ?" is written to `console` (the command's standard output), or to the log without one. 1,
// or 0 after logging and showing the reason when it cannot be created.
[[nodiscard]] int makeOutputDirectory(const std::string& outputDirectory, std::ostream& log,
                                      std::ostream* console, TWindowServices& window);

}  // namespace orvantis

#include "coalescent/output_names.h"

#include <filesystem>
#include <system_error>

#include "foundation/paths.h"
#include "foundation/window_services.h"

namespace orvantis {

namespace {

// The text before the first occurrence of `suffix`, or "" when there is none.
std::string cutBefore(const std::string& text, const char* suffix) {
  const std::size_t at = text.find(suffix);
  return at == std::string::npos ? std::string() : text.substr(0, at);
}

std::size_t afterLastSeparator(const std::string& path) {
  const std::size_t last = path.find_last_of("/\\");
  return last == std::string::npos ? 0 : last + 1;
}

}  // namespace

std::string settingsRunName(const std::string& settingsPath) {
  return cutBefore(settingsPath.substr(afterLastSeparator(settingsPath)), ".txt");
}

std::string sampleDirectory(const std::string& sampleFile) {
  const std::string base = cutBefore(sampleFile, ".sam");
  return nativePath(base.substr(0, afterLastSeparator(base)));
}

std::string sampleRunName(const std::string& sampleFile) {
  const std::string base = cutBefore(sampleFile, ".sam");
  return base.substr(afterLastSeparator(base));
}

std::string outputDirectory(const std::string& sampleFile) {
  return sampleDirectory(sampleFile) + kGeneticsOutputFolder + "/";
}

std::string runName(const std::string& settingsPath, const std::string& sampleFile) {
  return settingsRunName(settingsPath) + "_" + sampleRunName(sampleFile);
}

std::string outputBaseName(const std::string& settingsPath, const std::string& sampleFile) {
  return outputDirectory(sampleFile) + runName(settingsPath, sampleFile);
}

TOutputNames makeOutputNames(const std::string& settingsPath, const std::string& sampleFile) {
  TOutputNames names;
  names.settingsName = settingsRunName(settingsPath);
  names.sampleName = sampleRunName(sampleFile);
  names.sampleDirectory = sampleDirectory(sampleFile);
  names.outputDirectory = outputDirectory(sampleFile);
  names.runName = runName(settingsPath, sampleFile);
  names.baseName = outputBaseName(settingsPath, sampleFile);
  return names;
}

std::string resultsFileName(const std::string& baseName) {
  return baseName + "_results.txt";
}

std::string projectListFileName(const std::string& baseName) {
  return baseName + "_projects.txt";
}

std::string projectListEntry(const std::string& runName, int simulation) {
  return runName + "_" + std::to_string(simulation) + ".arp";
}

int makeOutputDirectory(const std::string& outputDirectory, std::ostream& log,
                        std::ostream* console, TWindowServices& window) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path directory(outputDirectory);
  if (fs::is_directory(directory, error)) return 1;
  const std::string notice = "create folder " + outputDirectory + " ?";
  if (console != nullptr) {
    *console << notice << std::endl;
  } else {
    log << notice << std::endl;
  }
  error.clear();
  fs::create_directories(directory, error);
  if (!error && fs::is_directory(directory, error)) return 1;
  const std::string reason = error ? error.message() : "a file of that name is in the way";
  log << "ERROR: {SimulateGeneticData()} [cannot create the output directory '" << outputDirectory
      << "': " << reason << "]" << std::endl;
  window.messageBox("Cannot create the output directory " + outputDirectory + " (" + reason + ")",
                    "ERROR: folder");
  return 0;
}

}  // namespace orvantis

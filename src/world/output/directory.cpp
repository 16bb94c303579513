#include "world/output/directory.h"

#include <system_error>

namespace orvantis {

bool ensureOutputDirectory(TWindowServices& window, const std::filesystem::path& root,
                           const std::string& name, const std::string& failureText) {
  const std::filesystem::path directory = root.empty() ? std::filesystem::path(name) : root / name;
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) return true;
  std::filesystem::create_directory(directory, error);
  if (!error && std::filesystem::is_directory(directory, error)) return true;
  window.messageBox(failureText, kFolderErrorCaption);
  return false;
}

std::string outputPath(const std::filesystem::path& root, const std::string& relativeName) {
  if (root.empty()) return relativeName;
  return (root / relativeName).string();
}

}  // namespace orvantis

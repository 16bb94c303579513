#include "cli/batch_mirror.h"

#include <system_error>

#include "foundation/log.h"

namespace orvantis {

namespace fs = std::filesystem;

namespace {

bool isOutputFolderName(const std::string& name) {
  return name == "bmp" || name == "ascii" || name == "GeneticsOutput";
}

}  // namespace

bool relativeFolderOf(const std::string& path, std::string& folder) {
  std::string text = path;
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  const fs::path p(text);
  if (p.is_absolute() || text.empty()) return false;
  const fs::path normal = p.lexically_normal();
  const fs::path parent = normal.parent_path();
  for (const fs::path& part : parent) {
    if (part == "..") return false;
  }
  if (!normal.empty() && *normal.begin() == "..") return false;
  folder = parent.generic_string();
  if (folder == ".") folder.clear();
  return true;
}

bool TStudyMirror::scan(const fs::path& studyFolder, const fs::path& runsFolder,
                        std::string& error) {
  study_ = fs::absolute(studyFolder).lexically_normal();
  folders_.clear();
  files_.clear();
  folderSet_.clear();
  std::error_code code;
  const fs::path runs = fs::weakly_canonical(runsFolder, code);
  std::vector<std::string> pending{""};
  while (!pending.empty()) {
    const std::string relative = pending.back();
    pending.pop_back();
    const fs::path folder = relative.empty() ? study_ : study_ / relative;
    fs::directory_iterator it(folder, code);
    if (code) {
      error = folder.string() + ": cannot be read (" + code.message() + ")";
      return false;
    }
    for (; it != fs::directory_iterator(); it.increment(code)) {
      if (code) {
        error = folder.string() + ": cannot be read (" + code.message() + ")";
        return false;
      }
      const fs::path& entry = it->path();
      const std::string name = entry.filename().string();
      const std::string child = relative.empty() ? name : relative + "/" + name;
      if (name.empty() || name[0] == '.' || name == kLogFileName) continue;
      const bool realFolder = it->is_directory(code) && !it->is_symlink(code);
      if (realFolder) {
        std::error_code ignored;
        if (isOutputFolderName(name) || fs::exists(entry / kBatchFolderMarker, ignored) ||
            fs::equivalent(entry, runs, ignored)) {
          continue;
        }
        folders_.push_back(child);
        folderSet_.insert(child);
        pending.push_back(child);
      } else {
        // Files, and links to folders elsewhere (inputs read through the link).
        files_.push_back(child);
      }
      if (folders_.size() + files_.size() > kMaxEntries) {
        error = study_.string() + ": holds more than " + std::to_string(kMaxEntries) +
                " files and folders; keep a study's inputs in a folder of their own";
        return false;
      }
    }
  }
  return true;
}

bool TStudyMirror::create(const fs::path& rowFolder, const std::set<std::string>& skip,
                          std::string& error) const {
  std::error_code code;
  for (const std::string& folder : folders_) {
    fs::create_directory(rowFolder / folder, code);
    if (code) {
      error = (rowFolder / folder).string() + ": cannot be created (" + code.message() + ")";
      return false;
    }
  }
  for (const std::string& file : files_) {
    if (skip.count(file) != 0) continue;
    fs::create_symlink(study_ / file, rowFolder / file, code);
    if (code) {
      error = (rowFolder / file).string() + ": cannot be created (" + code.message() + ")";
      return false;
    }
  }
  return true;
}

bool TStudyMirror::isMirroredFolder(const std::string& relative) const {
  return relative.empty() || folderSet_.count(relative) != 0;
}

}  // namespace orvantis

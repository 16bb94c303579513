#pragma once
// The folder of a batch row: a mirror of the study folder, so that the study runs there as in its
// own folder while every output lands in the row's folder. The mirror has the study folder's
// directories as real directories and a symbolic link to each of its files; the outputs of a run
// are new files in those directories. Left out of the mirror: the output folders of earlier runs
// (bmp, ascii, GeneticsOutput), the log, hidden entries, the runs folder of this batch and any
// folder holding a batch (it holds a ".orvantis-batch" file).

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace orvantis {

// Marks a folder as the runs folder of a batch, so that no mirror walks into it.
inline constexpr const char* kBatchFolderMarker = ".orvantis-batch";

class TStudyMirror {
 public:
  // Most entries a study folder may hold: a mirror is made for every row.
  static constexpr std::size_t kMaxEntries = 100000;

  // Walks the study folder once. False with the reason in `error` when it cannot be read or
  // holds more than kMaxEntries entries.
  bool scan(const std::filesystem::path& studyFolder, const std::filesystem::path& runsFolder,
            std::string& error);

  // Makes the mirror in `rowFolder` (existing and empty), without the files whose paths
  // (relative to the study folder) are in `skip`. False with the reason in `error`.
  bool create(const std::filesystem::path& rowFolder, const std::set<std::string>& skip,
              std::string& error) const;

  // True when `relative` (a folder relative to the study folder, "" for the folder itself) is a
  // directory of the mirror, so that files written there stay in the row's folder.
  bool isMirroredFolder(const std::string& relative) const;

  const std::filesystem::path& studyFolder() const { return study_; }

 private:
  std::filesystem::path study_;
  std::vector<std::string> folders_;  // relative, parents first
  std::vector<std::string> files_;    // relative
  std::set<std::string> folderSet_;
};

// The folder of a relative path as the mirror knows it: "a/b/c.sam" gives "a/b"; "" for a file
// of the study folder itself. False when the path is absolute or leaves the study folder.
bool relativeFolderOf(const std::string& path, std::string& folder);

}  // namespace orvantis

#pragma once
// The output folders "ascii" and "bmp": created on first use, a failure shown to the user.

#include <filesystem>
#include <string>

#include "foundation/window_services.h"

namespace orvantis {

inline constexpr const char* kFolderErrorCaption = "ERROR: folder";

// Makes sure root / name is a directory, creating it if needed. On failure shows failureText
// with the caption "ERROR: folder" and returns false.
bool ensureOutputDirectory(TWindowServices& window, const std::filesystem::path& root,
                           const std::string& name, const std::string& failureText);

// root / relativeName as a string; relativeName alone when root is empty.
std::string outputPath(const std::filesystem::path& root, const std::string& relativeName);

}  // namespace orvantis

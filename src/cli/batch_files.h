#pragma once
// Files that appear whole or not at all: written under a temporary name in the same folder and
// renamed over the final name, so that a reader (or a killed run) never sees half a file.

#include <string>

namespace orvantis {

// Writes `content` to `path` atomically. False with the reason in `error` (the temporary file is
// removed and `path` is left as it was).
bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error);

// The whole content of a file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& content);

}  // namespace orvantis

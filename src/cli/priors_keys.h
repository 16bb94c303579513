#pragma once
// The settings keys that a priors file or a batch table may set, and of which kind: the keys of
// the settings' integer, real and file tables, and the few keys read by name (the LDD shape
// parameter and the output switches).

#include <string>
#include <string_view>

namespace orvantis {

enum class TKeyKind { Unknown, Integer, Real, File };

TKeyKind settingsKeyKind(std::string_view key);

// A known key that differs from `key` only in letter case, "" when there is none (for the
// message "did you mean ...").
std::string similarSettingsKey(std::string_view key);

}  // namespace orvantis

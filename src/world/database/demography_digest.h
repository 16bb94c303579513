#pragma once
// What a demography depends on, for a saved demography to be reused only with settings that
// describe the same world: the demographic part of the settings (grid, model, rates, times;
// not the genetic or output keys) and the content of every input file the world and the
// demography read (maps, sources, tables, climate and sea-level series). The manifest holds one
// "name = value" line per item, file contents as their SHA-256; its digest is the SHA-256 of
// the manifest. File contents count, not their names or places, so a study may move.

#include <string>
#include <string_view>
#include <vector>

#include "settings/dynamic_tables.h"
#include "settings/settings.h"
#include "world/database/sha256.h"

namespace orvantis {

// The manifest of settings whose tables' index files were read into `tables` (a built world's);
// it includes the window's Static/Dynamic vegetation choice, which the settings store keeps.
std::string demographyManifest(const TExtendedSettings& settings, const TDynamicTables& tables);
// The same for settings loaded and filled but not built: reads the tables' index files itself
// (without changing `settings`); throws TException as building would when one cannot be read.
std::string demographyManifest(const TExtendedSettings& settings);

inline TSha256Digest manifestDigest(std::string_view manifest) {
  return TSha256::of(manifest);
}

// The items of two manifests that differ, described for a user, e.g. "EndTime: 1000 in the
// saved demography, 2000 in these settings"; at most `limit` of them.
std::vector<std::string> manifestDifferences(std::string_view saved, std::string_view current,
                                             std::size_t limit = 6);

}  // namespace orvantis

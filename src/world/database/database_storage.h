#pragma once
// Where the demographic database keeps its rows: plain in memory (every query one array index),
// compressed in memory (a few times to a few dozen times smaller, rows decoded a block at a
// time), or chosen when the database is allocated: compressed only when the plain rows would not
// fit in the memory available.

#include <string_view>

namespace orvantis {

enum class TDatabaseStorage { Memory, Compressed, Auto };

// "memory", "compressed" or "auto".
const char* storageName(TDatabaseStorage storage);
// False (storage unchanged) for any other text.
bool parseStorage(std::string_view text, TDatabaseStorage& storage);

}  // namespace orvantis

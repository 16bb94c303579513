#pragma once
// Line numbers for the messages of the input-file readers, which read with stream extraction
// and so do not count lines themselves.

#include <ios>

#include "foundation/my_string.h"

namespace orvantis {

// The 1-based line of a file that holds the given byte position; 0 for an unknown position.
int lineOfPosition(const my_string& file, std::streamoff position);

}  // namespace orvantis

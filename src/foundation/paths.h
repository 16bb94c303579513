#pragma once
// File names in settings files written on other systems use '\' as separator; this system
// accepts both '\' and '/' and opens files with '/'.

#include <string>

#include "foundation/my_string.h"

namespace orvantis {

// The path with every '\' turned into '/'.
std::string nativePath(const my_string& path);
std::string nativePath(const std::string& path);

}  // namespace orvantis

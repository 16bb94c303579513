#include "foundation/paths.h"

#include <algorithm>

namespace orvantis {

std::string nativePath(const std::string& path) {
  std::string result = path;
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

std::string nativePath(const my_string& path) {
  return nativePath(path.str());
}

}  // namespace orvantis

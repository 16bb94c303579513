#include "settings/text_position.h"

#include <fstream>

#include "foundation/paths.h"

namespace orvantis {

int lineOfPosition(const my_string& file, std::streamoff position) {
  if (position < 0) return 0;
  std::ifstream in(nativePath(file), std::ios::binary);
  if (!in) return 0;
  int line = 1;
  char c = 0;
  for (std::streamoff i = 0; i < position && in.get(c); ++i) {
    if (c == '\n') ++line;
  }
  return line;
}

}  // namespace orvantis

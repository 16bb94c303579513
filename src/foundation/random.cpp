#include "foundation/random.h"

namespace orvantis {

TRandom::TRandom(std::ostream& log) : log_(log) {}

}  // namespace orvantis

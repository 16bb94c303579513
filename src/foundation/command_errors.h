#pragma once
// How a user command (a window button or the command line) reports a failure that reached it.

#include <iosfwd>

#include "foundation/exception.h"
#include "foundation/window_services.h"

namespace orvantis {

inline constexpr const char* kLoadingPrefix = "Problem when loading project file:";
inline constexpr const char* kSimulatingPrefix = "Problem when simulating world:";

// Writes "\nERROR:" and the message to the log and to standard output, then shows the box
// "<prefix><message>" without a caption of its own.
void reportCommandException(std::ostream& log, std::ostream& out, TWindowServices& window,
                            const char* prefix, const TException& e);

// Any other exception: the fixed box only, nothing logged.
void reportLoadingFailure(TWindowServices& window);
void reportSimulatingFailure(TWindowServices& window);

}  // namespace orvantis

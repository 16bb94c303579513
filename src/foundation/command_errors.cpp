#include "foundation/command_errors.h"

#include <ostream>
#include <string>

namespace orvantis {

void reportCommandException(std::ostream& log, std::ostream& out, TWindowServices& window,
                            const char* prefix, const TException& e) {
  log << "\nERROR:" << e.message() << std::endl;
  out << "\nERROR:" << e.message() << std::endl;
  window.messageBox(std::string(prefix) + e.message().c_str(), "");
}

void reportLoadingFailure(TWindowServices& window) {
  window.messageBox("Problem when loading project file.", "ERROR: loading project file");
}

void reportSimulatingFailure(TWindowServices& window) {
  window.messageBox("Problem when simulating world.", "ERROR: simulating world");
}

}  // namespace orvantis

#pragma once
// The failure thrown by the readers of the settings file, maps and tables; only the commands
// (window or command line) catch it.

#include "foundation/my_string.h"

namespace orvantis {

class TException {
 public:
  TException(const my_string& message, int code = 2) : message_(message), code_(code) {}
  const my_string& message() const { return message_; }
  const char* what() const { return message_.c_str(); }
  int code() const { return code_; }

 private:
  my_string message_;
  int code_;
};

}  // namespace orvantis

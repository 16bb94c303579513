#pragma once
// The state a run shares across subsystems: the log, the window's services, the random
// generator with its caches, and the counters. A World owns one (through its creator), so tests
// can build several worlds side by side.

#include <ostream>

#include "foundation/random.h"
#include "foundation/window_services.h"

namespace orvantis {

struct TRunContext {
  TRunContext(std::ostream& logStream, TWindowServices& windowServices)
      : log(logStream), window(windowServices), random(logStream) {}
  TRunContext(const TRunContext&) = delete;
  TRunContext& operator=(const TRunContext&) = delete;

  std::ostream& log;
  TWindowServices& window;
  TRandom random;

  // No-data value of the last grid header read; every input map is expected to share it.
  int noDataValue = -9999;
  // Generation counter (time index of the demographic database) and date in years.
  int generation = 0;
  double date = 0.0;
};

}  // namespace orvantis

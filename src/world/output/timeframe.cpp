#include "world/output/timeframe.h"

namespace orvantis {

TTimeframe outputGenerations(int step, int endTime) {
  TTimeframe frame;
  if (step < 1) {
    frame.status = TTimeframeStatus::NoStep;
    return frame;
  }
  if (step >= endTime) {
    frame.status = TTimeframeStatus::ExceedsEndTime;
    return frame;
  }
  for (long long t = 0; t < endTime; t += step) frame.generations.push_back(static_cast<int>(t));
  frame.generations.push_back(endTime);
  return frame;
}

}  // namespace orvantis

#pragma once
// Which generations a list of maps covers: 0, s, 2s, ... below EndTime, then EndTime itself.

#include <vector>

namespace orvantis {

enum class TTimeframeStatus {
  Ok,
  NoStep,          // the step is below 1: nothing is drawn
  ExceedsEndTime,  // the step reaches EndTime: logged, nothing is drawn
};

struct TTimeframe {
  TTimeframeStatus status = TTimeframeStatus::Ok;
  std::vector<int> generations;  // empty unless the status is Ok
};

TTimeframe outputGenerations(int step, int endTime);

}  // namespace orvantis

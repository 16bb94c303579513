#pragma once
// Marks the world as being worked on by the core for the lifetime of the object: while the core
// lets the window process its events, the viewers and charts leave the world alone.

namespace orvantis {

class TWorldInUse {
 public:
  explicit TWorldInUse(bool& flag) : flag_(flag) { flag_ = true; }
  ~TWorldInUse() { flag_ = false; }
  TWorldInUse(const TWorldInUse&) = delete;
  TWorldInUse& operator=(const TWorldInUse&) = delete;

 private:
  bool& flag_;
};

}  // namespace orvantis

#pragma once
// Time series of the demographic database and of the environmental records.
//
// TimeStoFull is a read-only view of one integer per generation (0..EndTime). The database keeps
// all of its series in one generation-major block, so a series is a strided walk through it; the
// view reads 16- or 32-bit storage and always returns an int. Writes go through StateDB, which
// clamps values that do not fit the 16-bit width and reports them.
//
// TimeStoInt<T> stores a value only when it differs from the last stored one and answers with a
// step function: a time between two stored times gives the earlier value.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "foundation/arrays.h"

namespace orvantis {

class StateDB;
// Value of record slot `slot` of a cell at generation t (state_db.h), for series whose rows are
// kept compressed.
int storedValue(const StateDB& db, int t, int cellIndex, int slot);

class TimeStoFull {
 public:
  TimeStoFull() = default;
  // `base` points at generation 0; entry t lies t·stride elements further.
  TimeStoFull(const void* base, std::ptrdiff_t stride, int count, bool shortInt)
      : base_(base), stride_(stride), count_(count), short_(shortInt) {}
  // A series of a compressed database: each entry is a query of the database.
  TimeStoFull(const StateDB& db, int cellIndex, int slot, int count, bool shortInt)
      : db_(&db), cell_(cellIndex), slot_(slot), count_(count), short_(shortInt) {}

  int operator[](int t) const { return get(t); }
  int get(int t) const {
    assert(t >= 0 && t < count_);
    if (base_ == nullptr) return storedValue(*db_, t, cell_, slot_);
    const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(t) * stride_;
    return short_ ? static_cast<const std::int16_t*>(base_)[i]
                  : static_cast<const std::int32_t*>(base_)[i];
  }
  // Number of entries: EndTime + 1 (0 for a view of an unallocated database).
  int count() const { return count_; }
  bool isShort() const { return short_; }

 private:
  const void* base_ = nullptr;
  std::ptrdiff_t stride_ = 0;
  const StateDB* db_ = nullptr;
  int cell_ = 0;
  int slot_ = 0;
  int count_ = 0;
  bool short_ = false;
};

template <class T>
class TimeStoInt {
 public:
  TimeStoInt() : values_(9, 200), times_(9, 200) {}
  virtual ~TimeStoInt() = default;

  // Stores (value, time) when it is the first pair or the value differs from the last stored one;
  // the smallest and largest values follow every accepted pair. Times must not decrease: the
  // step lookup relies on their order, so a pair earlier than the previous one is refused
  // (false) and changes nothing. False also when the arrays cannot grow.
  bool addValue(const T& value, int time) {
    if (seen_ && time < lastTime_) return false;
    if (count_ == 0 || value != values_[count_ - 1]) {
      if (!put(values_, value) || !put(times_, time)) return false;
      ++count_;
    }
    if (!seen_) {
      min_ = max_ = value;
    } else {
      min_ = std::min(min_, value);
      max_ = std::max(max_, value);
    }
    seen_ = true;
    lastTime_ = time;
    return true;
  }

  // The step function at time t (see the class comment). Before the first or after the last
  // stored time, or with fewer than two pairs, the last stored value; T() for an empty series.
  T valueAt(int t) const {
    const int n = count_;
    if (n == 0) return T();
    int k = -1;
    if (hintValid_ && contains(hint_, t)) {
      k = hint_;
    } else if (hintValid_ && contains(hint_ + 1, t)) {
      k = hint_ + 1;
    } else if (n >= 2) {
      // Times are sorted, so the first interval holding t ends at the first time >= t.
      const int* first = times_.begin() + 1;
      const int found = 1 + static_cast<int>(std::lower_bound(first, first + (n - 1), t) - first);
      if (found < n && contains(found, t)) k = found;
    }
    if (k < 0) return values_[n - 1];
    hint_ = k;
    hintValid_ = true;
    if (times_[k] != times_[k - 1] && times_[k] != t) return values_[k - 1];
    return values_[k];
  }

  void clear() {
    count_ = 0;
    values_.Flush();
    times_.Flush();
    seen_ = false;
    hintValid_ = false;
    min_ = max_ = T();
  }

  int count() const { return count_; }
  const T& value(int k) const { return values_[k]; }
  int time(int k) const { return times_[k]; }
  const T& minValue() const { return min_; }
  const T& maxValue() const { return max_; }

 private:
  bool contains(int k, int t) const {
    return k >= 1 && k < count_ && times_[k - 1] <= t && t <= times_[k];
  }
  // Writes entry count_ of an array. After a failed growth of the other array this one may
  // already hold that entry, which is then overwritten, so both stay aligned on count_.
  template <class X>
  bool put(MY_TArrayAsVector<X>& array, const X& item) {
    if (array.count() > count_) {
      array[count_] = item;
      return true;
    }
    return array.Add(item) != 0;
  }

  MY_TArrayAsVector<T> values_;
  MY_TArrayAsVector<int> times_;
  int count_ = 0;  // pairs stored in both arrays
  T min_ = T();
  T max_ = T();
  bool seen_ = false;
  int lastTime_ = 0;
  mutable int hint_ = 0;
  mutable bool hintValid_ = false;
};

}  // namespace orvantis

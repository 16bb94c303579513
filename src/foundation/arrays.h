#pragma once
// Growable arrays of values and of owned pointers with unchecked indexing.
// Add() grows by a fixed delta; a failed growth keeps the old storage and stores nothing.

#include <cassert>
#include <new>
#include <utility>

#include "foundation/my_string.h"

namespace orvantis {

template <class T>
class MY_TArrayAsVector {
 public:
  // Upper bound n gives n + 1 slots; a negative bound (a count of 0 minus 1, say) gives none.
  MY_TArrayAsVector(int upper = 0, int delta = 10)
      : capacity_(upper < 0 ? 0 : upper + 1), delta_(delta) {
    data_ = new T[static_cast<std::size_t>(capacity_)]();
  }
  MY_TArrayAsVector(const MY_TArrayAsVector& other)
      : capacity_(other.capacity_), count_(other.count_), delta_(other.delta_) {
    data_ = new T[static_cast<std::size_t>(capacity_)]();
    for (int i = 0; i < count_; ++i) data_[i] = other.data_[i];
  }
  MY_TArrayAsVector& operator=(const MY_TArrayAsVector& other) {
    if (this != &other) {
      MY_TArrayAsVector copy(other);
      swap(copy);
    }
    return *this;
  }
  ~MY_TArrayAsVector() { delete[] data_; }

  // Stores the item behind the last one and returns the new count; 0 when no room could be made.
  int Add(const T& item) {
    if (count_ == capacity_ && !grow()) return 0;
    data_[count_] = item;
    return ++count_;
  }

  // Makes room for at least `slots` items in one step, so filling an array of known size does
  // not copy it over and over; false (nothing changed) when the storage cannot be had.
  bool Reserve(int slots) {
    if (slots <= capacity_) return true;
    return resize(slots);
  }

  T& operator[](int i) {
    assert(i >= 0 && i < capacity_);
    return data_[i];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < capacity_);
    return data_[i];
  }

  int GetItemsInContainer() const { return count_; }
  int count() const { return count_; }
  int capacity() const { return capacity_; }
  int lowerBound() const { return 0; }
  int delta() const { return delta_; }
  void Flush() { count_ = 0; }

  T* begin() { return data_; }
  T* end() { return data_ + count_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + count_; }

 private:
  bool grow() {
    if (delta_ <= 0) return false;
    return resize(capacity_ + delta_);
  }
  bool resize(int slots) {
    T* bigger = new (std::nothrow) T[static_cast<std::size_t>(slots)]();
    if (bigger == nullptr) return false;
    for (int i = 0; i < count_; ++i) bigger[i] = std::move(data_[i]);
    delete[] data_;
    data_ = bigger;
    capacity_ = slots;
    return true;
  }
  void swap(MY_TArrayAsVector& other) {
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    std::swap(count_, other.count_);
    std::swap(delta_, other.delta_);
  }

  T* data_ = nullptr;
  int capacity_ = 0;
  int count_ = 0;
  int delta_ = 10;
};

// Array of pointers that, while it owns them, destroys the items it holds.
template <class T>
class MY_TIArrayAsVector {
 public:
  MY_TIArrayAsVector(int upper = 0, int delta = 10) : items_(upper, delta) {}
  MY_TIArrayAsVector(const MY_TIArrayAsVector&) = delete;
  MY_TIArrayAsVector& operator=(const MY_TIArrayAsVector&) = delete;
  ~MY_TIArrayAsVector() {
    if (owns_) destroyItems();
  }

  int Add(T* item) { return items_.Add(item); }
  bool Reserve(int slots) { return items_.Reserve(slots); }
  T*& operator[](int i) { return items_[i]; }
  T* operator[](int i) const { return items_[i]; }
  int GetItemsInContainer() const { return items_.count(); }
  int count() const { return items_.count(); }
  int capacity() const { return items_.capacity(); }
  void OwnsElements(bool owns) { owns_ = owns; }
  bool ownsElements() const { return owns_; }
  // Removes every item, destroying them when owned.
  void Flush() {
    if (owns_) destroyItems();
    items_.Flush();
  }

 private:
  void destroyItems() {
    for (int i = 0; i < items_.count(); ++i) {
      delete items_[i];
      items_[i] = nullptr;
    }
  }

  MY_TArrayAsVector<T*> items_;
  bool owns_ = true;
};

using TIntVect = MY_TArrayAsVector<int>;
using TFloatVect = MY_TArrayAsVector<float>;
using TboolVect = MY_TArrayAsVector<bool>;
using StringArray = MY_TArrayAsVector<my_string>;

}  // namespace orvantis

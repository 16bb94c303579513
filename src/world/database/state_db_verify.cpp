// Consistency check of the demographic database, for tests and for diagnosing a run.

#include <string>

#include "world/database/state_db.h"

namespace orvantis {

namespace {

std::string at(int cellIndex, int t) {
  return " (cell " + std::to_string(cellIndex) + ", generation " + std::to_string(t) + ")";
}

}  // namespace

bool StateDB::verify(std::string* problem) const {
  std::string found;
  const int n = entries_.count();
  for (int c = 0; c < n && found.empty(); ++c) {
    const StateOfDemes* e = entries_[c];
    if (e == nullptr || e->cellIndex() != c || &e->database() != this) {
      found = "entry " + std::to_string(c) + " is missing or numbered wrongly";
    } else if ((e->column() < 0) != (e->row() < 0) || (ncols_ > 0 && e->column() >= ncols_) ||
               (nrows_ > 0 && e->row() >= nrows_)) {
      found = "entry " + std::to_string(c) + " has a position outside the grid";
    }
  }
  if (found.empty() && neighbours_.size() != static_cast<std::size_t>(n) * kSidesPerCell) {
    found = "the neighbour table does not match the entries";
  }
  for (int c = 0; c < n && found.empty(); ++c) {
    for (int s = 0; s < kSidesPerCell && found.empty(); ++s) {
      const auto side = static_cast<FromSide>(s);
      const int other = neighbour(c, side);
      if (other < 0) continue;
      if (other >= n || neighbour(other, oppositeSide(side)) != c) {
        found = "cells " + std::to_string(c) + " and " + std::to_string(other) +
                " are not each other's neighbours";
      }
    }
  }
  if (found.empty() && isAllocated() && layout_.numCells != n) {
    found = "the series were allocated for " + std::to_string(layout_.numCells) +
            " cells but there are " + std::to_string(n) + " entries";
  }
  if (found.empty() && isAllocated()) verifyValues(found);
  if (found.empty() && isAllocated()) {
    std::size_t where = 0;
    if (!ldd_.verify(layout_.numCells, where)) {
      found = "malformed long-distance list at index position " + std::to_string(where);
    }
  }
  if (problem != nullptr) *problem = found;
  return found.empty();
}

bool StateDB::verifyValues(std::string& problem) const {
  const int seriesSlots = layout_.numPopulations * kSeriesPerPopulation;
  for (int t = 0; t < layout_.generations(); ++t) {
    const void* row = packed_ == nullptr ? rawRow(t) : ownPackedRow(t);
    for (int c = 0; c < layout_.numCells; ++c) {
      const std::ptrdiff_t record = static_cast<std::ptrdiff_t>(c) * layout_.slots;
      for (int slot = 0; slot < layout_.slots; ++slot) {
        const int value = load(row, record + slot);
        if (value < 0) {
          problem = "negative " + describeSlot(slot) + at(c, t);
          return false;
        }
        const int series = slot % kSeriesPerPopulation;
        if (slot < seriesSlots && series != kSizeSeries && value != 0 &&
            neighbour(c, static_cast<FromSide>(series - 1)) < 0) {
          problem = describeSlot(slot) + " without such a neighbour" + at(c, t);
          return false;
        }
      }
    }
  }
  return true;
}

}  // namespace orvantis

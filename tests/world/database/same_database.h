#pragma once
// Compares two demographic databases query by query, for the tests of the compressed and saved
// databases against the plain one.

#include <string>
#include <utility>
#include <vector>

#include "world/database/state_db.h"

namespace orvantis::testing {

inline std::vector<std::pair<int, int>> pairsOf(const TLDDList& list) {
  std::vector<std::pair<int, int>> pairs;
  for (const TLDDMigrant& m : list) pairs.emplace_back(m.sourceCell, m.count);
  return pairs;
}

// The first query at which `actual` answers otherwise than `expected`, "" when they agree at
// every generation: sizes, arrivals from each side, flows between populations and long-distance
// lists, through the database's own queries (ascending generations) and through a reader's
// views (descending, the rows of g and g - 1 held together, as the backward walk reads).
inline std::string firstDifference(const StateDB& expected, const StateDB& actual) {
  if (expected.endTime() != actual.endTime() || expected.numEntries() != actual.numEntries() ||
      expected.numberOfPopulations() != actual.numberOfPopulations()) {
    return "the databases differ in shape";
  }
  const int n = expected.numberOfPopulations();
  const auto at = [](const char* what, int c, int p, int t) {
    return std::string(what) + " of cell " + std::to_string(c) + ", population " +
           std::to_string(p) + ", generation " + std::to_string(t);
  };
  for (int t = 0; t <= expected.endTime(); ++t) {
    for (int c = 0; c < expected.numEntries(); ++c) {
      for (int p = 0; p < n; ++p) {
        if (expected.get_N(c, p, t) != actual.get_N(c, p, t)) return at("size", c, p, t);
        for (int s = 0; s < kSidesPerCell; ++s) {
          const auto side = static_cast<FromSide>(s);
          if (expected.get_migrFromNeighbour(c, p, side, t) !=
              actual.get_migrFromNeighbour(c, p, side, t)) {
            return at("arrivals", c, p, t);
          }
        }
        for (int q = 0; q < n; ++q) {
          if (q != p && expected.get_migrBetweenDemes(c, p, q, t) !=
                            actual.get_migrBetweenDemes(c, p, q, t)) {
            return at("flow", c, p, t);
          }
        }
        if (pairsOf(expected.get_LDDMigrants(c, p, t)) !=
            pairsOf(actual.get_LDDMigrants(c, p, t))) {
          return at("long-distance list", c, p, t);
        }
      }
    }
  }
  TDemographyReader reader(actual);
  for (int t = expected.endTime(); t >= 0; --t) {
    const TGenerationView view = reader.row(t);
    const TGenerationView before = reader.row(t > 0 ? t - 1 : 0);
    if (!view.valid() || !before.valid())
      return "the reader cannot read generation " + std::to_string(t);
    for (int c = 0; c < expected.numEntries(); ++c) {
      for (int p = 0; p < n; ++p) {
        if (view.get_N(c, p) != expected.get_N(c, p, t)) return at("viewed size", c, p, t);
        if (before.get_N(c, p) != expected.get_N(c, p, before.generation())) {
          return at("viewed earlier size", c, p, before.generation());
        }
        for (int s = 0; s < kSidesPerCell; ++s) {
          const auto side = static_cast<FromSide>(s);
          if (view.get_migrFromNeighbour(c, p, side) !=
              expected.get_migrFromNeighbour(c, p, side, t)) {
            return at("viewed arrivals", c, p, t);
          }
        }
        for (int q = 0; q < n; ++q) {
          if (q != p &&
              view.get_migrBetweenDemes(c, p, q) != expected.get_migrBetweenDemes(c, p, q, t)) {
            return at("viewed flow", c, p, t);
          }
        }
        if (pairsOf(view.get_LDDMigrants(c, p)) != pairsOf(expected.get_LDDMigrants(c, p, t))) {
          return at("viewed long-distance list", c, p, t);
        }
      }
    }
  }
  return "";
}

}  // namespace orvantis::testing

#pragma once
// The four migration rates a cell takes from its migration class when a migration-rate map is
// used.

#include "settings/conversion_tables.h"
#include "world/landscape/state.h"

namespace orvantis {

// The table's rates (north, east, south, west) in the migration routines' order (north, west,
// south, east). A class the table does not list reads as -1: a rate below 0 sends nobody that
// way, so it counts as 0.
inline void cellMigrationRates(const TMigrationRates& table, float (&rate)[kDirectionCount]) {
  const auto at = [&](int direction) {
    const float value = table[static_cast<std::size_t>(direction)];
    return value > 0.0f ? value : 0.0f;
  };
  rate[static_cast<int>(TDirection::North)] = at(MigrationDirection::North);
  rate[static_cast<int>(TDirection::West)] = at(MigrationDirection::West);
  rate[static_cast<int>(TDirection::South)] = at(MigrationDirection::South);
  rate[static_cast<int>(TDirection::East)] = at(MigrationDirection::East);
}

}  // namespace orvantis

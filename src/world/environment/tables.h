#pragma once
// Time-dependent conversion tables during a run: the switch of one kind of table to a later
// entry of its index file, and the return to the first entries before a repeated run.

namespace orvantis {

class World;

// Makes `entry` of the kind's index file the table in force, reads it over the current table
// (classes the new file does not list keep their values) and recomputes what depends on it:
// K of the population after a K table (logged for the first population), its friction after an
// F table; the migration and admixture tables are only replaced. 1, or 0 (logged) when the table
// cannot be read.
[[nodiscard]] int switchDynamicTable(World& world, int kind, int entry);

// When a run has switched any table: every kind back to its first entry, read into a fresh
// table as construction did, then K and F of every population as construction computed them.
// 1, or 0 (logged) when a table cannot be read.
[[nodiscard]] int restoreFirstTables(World& world);

}  // namespace orvantis

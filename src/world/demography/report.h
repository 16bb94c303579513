#pragma once
// Summary of a finished demographic simulation: when the cells were first colonized and how
// many migrants were moving at the end.

#include <vector>

namespace orvantis {

class World;
class StateDB;
class cell;

// The first generation 0..EndTime at which the cell holds at least one individual of the
// population, or -1 when it never does.
int arrivalGeneration(const StateDB& db, int cellIndex, int population);

// arrivalGeneration of every cell at once, in cell-index order; reads the database one
// generation row after the other and stops when every cell has been colonized.
std::vector<int> arrivalGenerations(const StateDB& db, int population);

// Writes the report lines to the log: per population the date of entire colonization, the date
// of edge colonization and the mean number of migrants at EndTime; with two populations also
// the mean number of migrants between the populations and the mean cohabitation time.
void printDemographicReport(World& world);

}  // namespace orvantis

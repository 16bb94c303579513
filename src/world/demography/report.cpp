#include "world/demography/report.h"

#include <algorithm>
#include <ostream>

#include "world/database/state_db.h"
#include "world/landscape/cell.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

constexpr int kNoEdgeColonization = 32766;

bool isEdgeCell(const cell& c) {
  return c.north() == nullptr || c.west() == nullptr || c.south() == nullptr || c.east() == nullptr;
}

float meanOver(double total, int cells) {
  return cells > 0 ? static_cast<float>(total) / static_cast<float>(cells) : 0.0f;
}

// Sum over the cells of the four arrival series at generation t.
double arrivalsAt(const StateDB& db, int population, int t) {
  double total = 0.0;
  for (int i = 0; i < db.numEntries(); ++i) {
    total += db.get_migrFromNeighbour(i, population, FromSide::North, t);
    total += db.get_migrFromNeighbour(i, population, FromSide::South, t);
    total += db.get_migrFromNeighbour(i, population, FromSide::East, t);
    total += db.get_migrFromNeighbour(i, population, FromSide::West, t);
  }
  return total;
}

}  // namespace

int arrivalGeneration(const StateDB& db, int cellIndex, int population) {
  for (int t = 0; t <= db.endTime(); ++t) {
    if (db.get_N(cellIndex, population, t) > 0) return t;
  }
  return -1;
}

std::vector<int> arrivalGenerations(const StateDB& db, int population) {
  const int cells = db.numEntries();
  std::vector<int> arrival(static_cast<std::size_t>(cells), -1);
  if (!db.isAllocated()) return arrival;
  std::vector<int> waiting(static_cast<std::size_t>(cells));
  for (int i = 0; i < cells; ++i) waiting[static_cast<std::size_t>(i)] = i;
  for (int t = 0; t <= db.endTime() && !waiting.empty(); ++t) {
    std::size_t kept = 0;
    for (const int i : waiting) {
      if (db.get_N(i, population, t) > 0) {
        arrival[static_cast<std::size_t>(i)] = t;
      } else {
        waiting[kept++] = i;
      }
    }
    waiting.resize(kept);
  }
  return arrival;
}

void printDemographicReport(World& world) {
  std::ostream& log = world.context().log;
  const StateDB& db = world.database();
  const int populations = world.numberOfPopulations();
  const int cells = world.numberOfCells();
  const int endTime = db.endTime();

  log << "Printing demographic report... " << std::endl;
  for (int p = 0; p < populations; ++p) {
    const std::vector<int> arrival = arrivalGenerations(db, p);
    int entire = 0;
    int edge = kNoEdgeColonization;
    for (const cell& c : world.cells()) {
      const int t = arrival[static_cast<std::size_t>(c.index)];
      entire = std::max(entire, t);
      if (t > 0 && isEdgeCell(c)) edge = std::min(edge, t);
    }
    log << "\tDate of entire colonization, layer " << p << " : " << entire << std::endl;
    log << "\tDate of edge colonization, layer " << p << " : " << edge << std::endl;
    log << "\tMean number of migrants, layer " << p << " : "
        << meanOver(endTime >= 0 ? arrivalsAt(db, p, endTime) : 0.0, cells) << std::endl;
  }
  if (populations == 2) {
    // The cell where the second source (in time order) was placed is left out of the flows.
    const PopulationVector& sources = world.sources();
    const int excluded = sources.count() >= 2 ? sources[1].cellIndex : -1;
    double flows = 0.0;
    long cohabitation = 0;
    for (int t = 0; t < endTime; ++t) {
      for (int i = 0; i < db.numEntries(); ++i) {
        if (i != excluded) flows += db.get_migrBetweenDemes(i, 0, 1, t);
        if (db.get_N(i, 0, t) > 0 && db.get_N(i, 1, t) > 0) ++cohabitation;
      }
    }
    log << "\tMean number of migrants interdeme : " << meanOver(flows, cells) << std::endl;
    log << "\tMean cohabitation time : " << meanOver(static_cast<double>(cohabitation), cells)
        << std::endl;
  }
  log << "... Done!\n";
}

}  // namespace orvantis

// Backward migration of lineages: each lineage of a deme is carried by one of the deme's
// individuals; when that individual is one of the generation's immigrants, the lineage goes back
// to where the immigrant came from. Every move goes through moveLineage into the destination's
// incoming list, so that a lineage moves at most once per generation.

#include <ostream>

#include "coalescent/deme.h"
#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

// Draws that fall among immigrants of a missing neighbour are repeated; consistent data never
// records such immigrants, so this many repetitions for one lineage prove the data damaged.
constexpr int kMaxMissingNeighbourDraws = 1000;
// Redraws of implementMultiOriginMigration before it gives up.
constexpr int kMultiOriginSecurity = 1000;

constexpr int nonNegative(int value) {
  return value > 0 ? value : 0;
}

// The four neighbours in the order of the redistribution of an emptied deme.
constexpr FromSide kRedistributionOrder[4] = {FromSide::North, FromSide::South, FromSide::West,
                                              FromSide::East};
constexpr const char* kSideNames[4] = {"north", "south", "west", "east"};

}  // namespace

void TDeme::mergeIncoming() {
  if (numIncoming <= 0) return;
  for (const TNodeRef node : incomingList) activeList.append(node);
  numLineages += incomingList.count();
  incomingList.clear();
  numIncoming = 0;
}

int TDeme::moveLineage(int j, int destinationCell, int p) {
  TDemeCollection& c = *collection_;
  if (j < 0 || j >= numLineages) {
    c.log() << "ERROR: {TDeme::moveLineage()} [no lineage " << j << " in cell " << cellIndex
            << ", deme " << popIndex << " (" << numLineages << " lineages)]" << std::endl;
    return 0;
  }
  TDeme* destination = c.demeAt(destinationCell, p);
  if (destination == nullptr) {
    if (destinationCell < 0 || destinationCell >= c.world().numberOfCells()) {
      c.log() << "ERROR: {TDeme::moveLineage()} [a lineage of cell " << cellIndex << ", deme "
              << popIndex << " moves to cell " << destinationCell
              << ", which is not a cell of the world: the stored demography is damaged]"
              << std::endl;
      return 0;
    }
    const cell* place = &c.world().cells()[static_cast<std::size_t>(destinationCell)];
    destination = c.createDemeForMigrant(destinationCell, place, p);
    if (destination == nullptr) return 0;
  }
  if (destination->numLineages == 0 && destination->numIncoming == 0 &&
      !c.appendNewlyActive(destinationCell, p)) {
    return 0;
  }
  const TNodeRef node = activeList.remove(j);
  --numLineages;
  destination->incomingList.append(node);
  ++destination->numIncoming;
  return 1;
}

int TDeme::moveAllLineages(int destinationCell, int time, int p) {
  TDemeCollection& c = *collection_;
  while (numLineages > 0) {
    const TNodeRef node = activeList[0];
    // A lineage merged into a deme of the other population becomes one of its lineages.
    c.tree().node(node).pop = p;
    c.recordMove(node, destinationCell, time, p);
    if (!moveLineage(0, destinationCell, p)) return 0;
  }
  return 1;
}

int TDeme::implementMigration(int p) {
  TDemeCollection& c = *collection_;
  std::ostream& log = c.log();
  const int g = c.walkTime() > 0 ? c.walkTime() : 0;
  if (size == 0 && ancientPending == 0) {
    log << "migration from an empty deme (no " << cellIndex << " at time " << g << ")\n";
  }
  const TGenerationView& now = c.currentView();
  const StateDB& db = c.world().database();
  long long nNorth = nonNegative(now.get_migrFromNeighbour(cellIndex, p, FromSide::North));
  long long nSouth = nonNegative(now.get_migrFromNeighbour(cellIndex, p, FromSide::South));
  long long nEast = nonNegative(now.get_migrFromNeighbour(cellIndex, p, FromSide::East));
  long long nWest = nonNegative(now.get_migrFromNeighbour(cellIndex, p, FromSide::West));
  long long nOther =
      c.numPopulations() == 2 ? nonNegative(now.get_migrBetweenDemes(cellIndex, 1 - p, p)) : 0;
  // The long-distance arrivals are counted down as lineages take them: a copy in the run's
  // scratch array.
  std::vector<TLDDMigrant>& ldd = c.lddScratch_;
  ldd.clear();
  long long nLDD = 0;
  for (const TLDDMigrant& m : now.get_LDDMigrants(cellIndex, p)) {
    ldd.push_back(TLDDMigrant{m.sourceCell, nonNegative(m.count)});
    nLDD += nonNegative(m.count);
  }
  const int prevSize = c.previousView().get_N(cellIndex, p);
  long long h = nNorth + nSouth + nEast + nWest + nOther + nLDD;
  if (h == 0) return 1;

  long long remaining = size;
  int j = 0;
  int missingNeighbourDraws = 0;
  while (j < numLineages) {
    const double u = c.ran3();
    const bool mustMove = prevSize == 0 || numLineages > prevSize;
    const long long A = static_cast<long long>(u * static_cast<double>(mustMove ? h : remaining));
    if (A >= h) {
      ++j;
      missingNeighbourDraws = 0;
      continue;
    }
    int destination = -1;
    int destinationPop = p;
    if (A < nOther) {
      destination = cellIndex;
      destinationPop = 1 - p;
      --nOther;
    } else if (A < nOther + nLDD) {
      long long running = nOther;
      for (TLDDMigrant& m : ldd) {
        running += m.count;
        if (A < running) {
          destination = m.sourceCell;
          --m.count;
          break;
        }
      }
      --nLDD;
    } else {
      const long long B = nOther + nLDD;
      FromSide side = FromSide::West;
      long long* count = &nWest;
      if (A < B + nNorth) {
        side = FromSide::North;
        count = &nNorth;
      } else if (A < B + nNorth + nSouth) {
        side = FromSide::South;
        count = &nSouth;
      } else if (A < B + nNorth + nSouth + nEast) {
        side = FromSide::East;
        count = &nEast;
      }
      destination = db.neighbour(cellIndex, side);
      if (destination < 0) {
        // Immigrants from a neighbour that does not exist: draw again for the same lineage.
        if (++missingNeighbourDraws >= kMaxMissingNeighbourDraws) {
          log << "ERROR: {TDeme::implementMigration()} [cell " << cellIndex << ", deme " << p
              << ", generation " << g << ": the database records immigrants from a neighbour "
              << "that does not exist; " << kMaxMissingNeighbourDraws
              << " draws for one lineage fell among them, the genealogy is abandoned]" << std::endl;
          return 0;
        }
        continue;
      }
      --*count;
    }
    if (destination < 0) {
      log << "ERROR: {TDeme::implementMigration()} [cell " << cellIndex << ", deme " << p
          << ", generation " << g << ": no origin for a draw among the immigrants]" << std::endl;
      return 0;
    }
    const TNodeRef node = activeList[j];
    if (destinationPop != p) c.tree().node(node).pop = destinationPop;
    c.recordMove(node, destination, g - 1, destinationPop);
    if (!moveLineage(j, destination, destinationPop)) return 0;
    --remaining;
    --h;
    c.countMigration();
    missingNeighbourDraws = 0;
  }
  if (prevSize == 0 && numLineages > 0) return Move_Genes_If_NextSize_Equal_Zero(p);
  return 1;
}

int TDeme::Move_Genes_If_NextSize_Equal_Zero(int p) {
  TDemeCollection& c = *collection_;
  std::ostream& log = c.log();
  const int g = c.walkTime() > 0 ? c.walkTime() : 0;
  const TGenerationView& before = c.previousView();
  const StateDB& db = c.world().database();
  const int numCells = c.world().numberOfCells();
  const auto populated = [&](int cellIdx, int pop) {
    return cellIdx >= 0 && cellIdx < numCells && before.get_N(cellIdx, pop) > 0;
  };
  log << "WARNING[TDeme::Move_Genes_If_NextSize_Equal_Zero]: Cell " << cellIndex << ", Deme " << p
      << ", Generation " << g - 1 << " -> Redistribution of " << numLineages
      << " lineages in neighbouring cells!\n";

  // Candidates: populated neighbours, then populated long-distance sources of generation g.
  int candidateCell[4] = {-1, -1, -1, -1};
  int qualifying = 0;
  for (int k = 0; k < 4; ++k) {
    const int n = db.neighbour(cellIndex, kRedistributionOrder[k]);
    if (populated(n, p)) {
      candidateCell[k] = n;
      ++qualifying;
    }
  }
  const TLDDList ldd = c.currentView().get_LDDMigrants(cellIndex, p);
  int lddCandidates = 0;
  for (const TLDDMigrant& m : ldd) lddCandidates += populated(m.sourceCell, p) ? 1 : 0;
  int k = qualifying + lddCandidates;
  bool twoAway = false;
  if (k == 0) {
    for (int s = 0; s < 4; ++s) {
      const int n = db.neighbour(cellIndex, kRedistributionOrder[s]);
      const int n2 = n >= 0 ? db.neighbour(n, kRedistributionOrder[s]) : -1;
      if (populated(n2, p)) {
        candidateCell[s] = n2;
        ++qualifying;
      }
    }
    k = qualifying;
    twoAway = true;
  }

  if (k > 0) {
    while (numLineages > 0) {
      int u = static_cast<int>(c.ran3() * k);
      if (u >= k) u = k - 1;
      int destination = -1;
      if (u < qualifying) {
        int slot = 0;
        for (int s = 0; s < 4; ++s) {
          if (candidateCell[s] < 0) continue;
          if (slot++ == u) {
            destination = candidateCell[s];
            log << (twoAway ? "extra gene move two times " : "extra gene move to ") << kSideNames[s]
                << '\n';
            break;
          }
        }
      } else {
        // The (u - qualifying)-th populated long-distance source.
        int slot = 0;
        for (const TLDDMigrant& m : ldd) {
          if (!populated(m.sourceCell, p)) continue;
          if (slot++ == u - qualifying) {
            destination = m.sourceCell;
            break;
          }
        }
      }
      const TNodeRef node = activeList[0];
      c.recordMove(node, destination, g - 1, p);
      if (!moveLineage(0, destination, p)) return 0;
      c.countMigration();
    }
    return 1;
  }

  if (c.numPopulations() == 2) {
    const int other = 1 - p;
    static constexpr const char* kOtherPopulationMoves[5] = {
        "extra gene move to the other population",
        "extra gene move to north of the other population",
        "extra gene move to south of the other population",
        "extra gene move to west of the other population",
        "extra gene move to east of the other population"};
    int places[5] = {cellIndex, -1, -1, -1, -1};
    for (int s = 0; s < 4; ++s) places[s + 1] = db.neighbour(cellIndex, kRedistributionOrder[s]);
    for (int s = 0; s < 5; ++s) {
      if (!populated(places[s], other)) continue;
      while (numLineages > 0) {
        const TNodeRef node = activeList[0];
        c.tree().node(node).pop = other;
        c.recordMove(node, places[s], g - 1, other);
        log << kOtherPopulationMoves[s] << '\n';
        if (!moveLineage(0, places[s], other)) return 0;
        c.countMigration();
      }
      return 1;
    }
  }
  log << "ERROR[TDeme::implementMigration]: Lineages are prisonner in Cell " << cellIndex
      << ", Deme " << p << ", at generation " << g << std::endl;
  return 1;
}

int TDeme::implementMultiOriginMigration(int time, double migrationRate, int ownIndex) {
  TDemeCollection& c = *collection_;
  const int demes = c.numDemes();
  int i = 0;
  while (i < numLineages) {
    if (c.ran3() < migrationRate) {
      int x = static_cast<int>(c.ran3() * demes);
      int redraws = 0;
      while (x == ownIndex) {
        if (++redraws >= kMultiOriginSecurity) {
          c.log() << "WARNING:{TDeme::implementMultiOriginMigration}:[Impossible to find 2 "
                     "different demes!, security number reached]"
                  << std::endl;
          return 1;
        }
        x = static_cast<int>(c.ran3() * demes);
      }
      const TDemeSlot target = c.activeDemes()[static_cast<std::size_t>(x)];
      const TNodeRef node = activeList[i];
      if (target.popIndex != popIndex) c.tree().node(node).pop = target.popIndex;
      c.recordMove(node, target.cellIndex, time, target.popIndex);
      if (!moveLineage(i, target.cellIndex, target.popIndex)) return 0;
      c.countMigration();
    }
    ++i;
  }
  return 1;
}

}  // namespace orvantis

#include "world/demography/check_source.h"

#include <algorithm>
#include <ostream>
#include <vector>

#include "world/demography/population_limit.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

constexpr const char* kOverflowKey = "AllowSourcePopulationOverflow";

// What a cell can hold: its carrying capacity, within the limit of a cell.
long long capacityOf(const State& s) {
  return std::min<long long>(s.K, kMaxIndividuals);
}

// Room a cell offers; a carrying capacity that is not positive (an unlisted vegetation class
// reads as -1) offers none.
long long roomOf(const State& s) {
  if (s.K <= 0) return 0;
  return std::max(0LL, capacityOf(s) - std::max(0, s._N_POP));
}

// Fills the cell with up to n individuals; returns how many it took.
long long takeIndividuals(State& s, long long n) {
  const long long K = capacityOf(s);
  const long long N = s._N_POP;
  if (K <= 0) return 0;
  if (N <= 0) {
    const long long taken = std::min(n, K);
    s._N_POP = static_cast<int>(taken);
    return taken;
  }
  if (N < K) {
    const long long taken = std::min(n, K - N);
    s._N_POP = static_cast<int>(N + taken);
    return taken;
  }
  return 0;
}

// The four neighbours in spreading order: north, east, south, west.
void spreadingNeighbours(const cell& c, cell* out[4]) {
  out[0] = c.north();
  out[1] = c.east();
  out[2] = c.south();
  out[3] = c.west();
}

// Room in the land reachable from a cell through its four neighbours, and the number of cells
// of that land.
long long reachableRoom(World& world, cell& start, int population, long long& cellCount) {
  std::vector<char> seen(static_cast<std::size_t>(world.numberOfCells()), 0);
  std::vector<cell*> queue{&start};
  seen[static_cast<std::size_t>(start.index)] = 1;
  long long room = 0;
  for (std::size_t head = 0; head < queue.size(); ++head) {
    cell* c = queue[head];
    room += roomOf(world.state(population, c->index));
    cell* next[4];
    spreadingNeighbours(*c, next);
    for (cell* n : next) {
      if (n == nullptr || seen[static_cast<std::size_t>(n->index)]) continue;
      seen[static_cast<std::size_t>(n->index)] = 1;
      queue.push_back(n);
    }
  }
  cellCount = static_cast<long long>(queue.size());
  return room;
}

struct TShare {
  cell* target;
  long long n;
};

void recordPlacement(PopulationSource& source, int sourceNumber, cell& c) {
  c.sourceNumber[source.layer] = sourceNumber;
  source.cellIndex = c.index;
}

// A source of the second population takes its individuals from the first population of its
// cell, as many as it can up to its size.
void generateFromOtherPopulation(World& world, const PopulationSource& source, cell& c,
                                 int generation) {
  const int layer = source.layer;
  const int other = 1 - layer;
  State& own = world.state(layer, c.index);
  State& ancestral = world.state(other, c.index);
  const int before = ancestral._N_POP;
  const int converted = std::min(source.size, before);
  std::ostream& log = world.context().log;
  if (converted > 0) {
    log << "\tNew source " << source.name << " is generated from " << converted
        << " individuals from layer " << other << " at time " << generation
        << " (Ancestral density before: " << before;
  } else {
    log << "\tNew source " << source.name
        << " can't be generated because the number of individuals from layer " << other
        << " is equal to " << converted << " at time " << generation
        << " (Ancestral density before: " << before;
  }
  own._N_POP += converted;
  ancestral._N_POP = before - converted;

  StateDB& db = world.database();
  db.set_N(c.index, layer, generation, own._N_POP);
  db.set_N(c.index, other, generation, ancestral._N_POP);
  // Exchanges the model booked in this cell during the generation stay counted.
  const int booked = db.get_migrBetweenDemes(c.index, other, layer, generation);
  db.generationRow(generation).set_migrBetweenDemes(c.index, other, layer, booked + converted);
  log << ", after: " << ancestral._N_POP << " )" << std::endl;
}

}  // namespace

TSpreadResult spreadWithOverflow(World& world, cell& start, int population, int n,
                                 int sourceNumber) {
  TSpreadResult result;
  if (n <= 0) return result;
  long long cellCount = 0;
  long long room = reachableRoom(world, start, population, cellCount);
  // What exceeds the room of the land around the cell can never be placed: once every cell is
  // full the spreading would go on forever. Spreading only what fits ends with the same cells
  // full.
  const long long toSpread = std::min<long long>(n, room);
  result.dropped = n - toSpread;
  if (toSpread <= 0) return result;
  // Shares wander through full cells until they meet room, which they do with certainty; the
  // step limit only bounds a search that would take far longer than any filling needs.
  const long long maxSteps =
      std::min<long long>(1000 * cellCount + 10 * toSpread + 100000, 1000000000LL);
  long long steps = 0;
  long long pendingTotal = toSpread;
  std::vector<TShare> pending{{&start, toSpread}};
  TRandom& random = world.context().random;

  while (!pending.empty() && room > 0 && steps < maxSteps) {
    const TShare share = pending.back();
    pending.pop_back();
    pendingTotal -= share.n;
    ++steps;

    const long long taken = takeIndividuals(world.state(population, share.target->index), share.n);
    if (taken > 0 && sourceNumber > 0 && share.target != &start) {
      share.target->overflowSourceNumber[population] = sourceNumber;
    }
    result.placed += taken;
    room -= taken;
    const long long left = share.n - taken;
    if (left <= 0) continue;

    cell* next[4];
    spreadingNeighbours(*share.target, next);
    const int d = static_cast<int>(std::count_if(next, next + 4, [](cell* c) { return c; }));
    if (d == 0) {  // an island of one cell: nowhere to go
      result.dropped += left;
      continue;
    }
    long long shares[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
      if (next[k] != nullptr) shares[k] = left / d;
    }
    if (left % d != 0) {
      int direction = random.uniform_index(4);
      while (next[direction] == nullptr) direction = random.uniform_index(4);
      shares[direction] += left % d;
    }
    // Pushed in reverse so that north is spread first, then east, south and west.
    for (int k = 3; k >= 0; --k) {
      if (shares[k] > 0) pending.push_back({next[k], shares[k]});
    }
    pendingTotal += left;
  }
  result.dropped += pendingTotal;
  return result;
}

int readSources(World& world) {
  const int n = world.sources().readSources(world.settings(), world.context().log);
  world.setNumberOfSources(n);
  return n;
}

void sortSources(World& world) {
  world.sources().sortSources();
}

int CheckSource(World& world, int generation) {
  TExtendedSettings& settings = world.settings();
  std::ostream& log = world.context().log;
  const bool overflow =
      generation == 0 && settings.hasKey(kOverflowKey) && settings.realValue(kOverflowKey) == 0.0;
  const bool twoPopulations = world.numberOfPopulations() == 2;

  PopulationVector& sources = world.sources();
  if (generation == 0) {
    // Overflow is recorded afresh by every run's placement.
    for (cell& c : world.cells()) {
      for (int& number : c.overflowSourceNumber) number = 0;
    }
  }
  int due = 0;
  for (int i = 0; i < sources.count(); ++i) {
    PopulationSource& source = sources[i];
    if (source.expansionTime != generation) continue;
    ++due;
    if (source.layer < 0 || source.layer >= world.numberOfPopulations()) continue;
    cell* c = world.readGeoPopDensity(source.name, source.longitude, source.latitude);
    if (c == nullptr) continue;
    recordPlacement(source, i + 1, *c);

    if (generation > 0 && twoPopulations && source.layer == 1) {
      generateFromOtherPopulation(world, source, *c, generation);
      continue;
    }
    State& state = world.state(source.layer, c->index);
    if (state.K <= 0) {
      log << "      WARNING: {World::CheckSource()} [the source '" << source.name
          << "' lies on a cell whose carrying capacity is " << state.K << "]" << std::endl;
    }
    if (overflow) {
      const TSpreadResult spread = spreadWithOverflow(world, *c, source.layer, source.size, i + 1);
      if (spread.dropped > 0) {
        log << "      WARNING: {World::CheckSource()} [no room for " << spread.dropped
            << " individuals of the source '" << source.name << "': they are dropped]" << std::endl;
      }
    } else {
      state._N_POP = std::min(source.size, kMaxIndividuals);
      if (source.size > kMaxIndividuals) {
        log << "      WARNING: {World::CheckSource()} [the source '" << source.name << "' of "
            << source.size << " individuals exceeds the " << kMaxIndividuals
            << " that a cell can hold: " << kMaxIndividuals << " are placed]" << std::endl;
      }
      // Later sources enter after the generation has been recorded: keep the record in step.
      if (generation > 0) world.database().set_N(c->index, source.layer, generation, state._N_POP);
    }
  }
  if (generation == 0 && due == 0) {
    log << "ERROR{World::CheckSource}: No population source at time 0!" << std::endl;
  }
  return due;
}

}  // namespace orvantis

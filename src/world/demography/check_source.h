#pragma once
// Entry of the population sources into the simulation: reading and ordering them at the start of
// a run, and placing those of a generation on their cells, by setting the cell's size, by
// spreading the individuals over the neighbouring cells when the cell is too small, or, for a
// source of the second population, by converting individuals of the first population.

namespace orvantis {

class World;
class cell;

// Reads the sources file named by the settings into the world's sources and records their
// number; 0 (logged) on any error. Throws TException when the file cannot be opened.
[[nodiscard]] int readSources(World& world);

// Orders the world's sources by expansion time.
void sortSources(World& world);

// Places every source whose expansion time is `generation`, in vector order. At generation 0
// an overflowing source spreads over its neighbours when AllowSourcePopulationOverflow is 0.0;
// later, a second-population source is generated from the first population of its cell.
// Returns the number of sources due at that generation.
int CheckSource(World& world, int generation);

struct TSpreadResult {
  long long placed = 0;   // individuals that found room
  long long dropped = 0;  // individuals that found none
};

// Puts n individuals of a population into a cell up to its carrying capacity and spreads the
// rest over the neighbours (north, east, south, west), the remainder of an even split going to
// one neighbour drawn at random; the neighbours do the same with their shares. A cell whose
// carrying capacity is not positive has no room. Individuals that can find no room in the land
// connected to the cell are dropped, and the spreading always ends. Every other cell that takes
// individuals records `sourceNumber` (when above 0) as its overflow source number.
TSpreadResult spreadWithOverflow(World& world, cell& start, int population, int n,
                                 int sourceNumber = 0);

}  // namespace orvantis

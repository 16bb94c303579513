// The demographic database of a construction: one entry per active cell, the neighbour table
// through which arrivals are recorded, and the series of generations 0..EndTime.

#include "world/landscape/world.h"

namespace orvantis {

void World::replaceDatabase() {
  database_ = std::make_unique<StateDB>(context_, nrows_, ncols_, this);
  database_->setStorage(storage_);
  database_->setMemoryCeiling(memoryLimit_ == 0 ? UINT64_MAX : memoryLimit_);
  saved_.reset();
  randomAfterDemography_.reset();  // the state belonged to the demography just discarded
}

void World::setDatabaseStorage(TDatabaseStorage storage) {
  storage_ = storage;
  database_->setStorage(storage);
}

void World::setDatabaseMemoryLimit(std::uint64_t bytes) {
  memoryLimit_ = bytes;
  database_->setMemoryCeiling(bytes == 0 ? UINT64_MAX : bytes);
}

int World::registerDemes() {
  // Failing to reserve only costs time: the entries still grow as they are added.
  (void)database_->reserveEntries(numberOfCells());
  for (cell& c : cells_) {
    c.dbEntry = database_->addEntry(c.index, &c);
    if (c.dbEntry == nullptr) {
      context_.log << "      ERROR: {World::numberDemes()} [unable to create the database entry "
                      "of cell "
                   << c.index << "]" << std::endl;
      return 0;
    }
  }
  const int endTime = settings_.intParameter(IntParam::EndTime, true);
  return database_->AllocateStateDBMemory(endTime, numberOfPopulations(),
                                          StateDB::shortIntRequested(settings_));
}

void World::registerNeighbours() {
  const auto indexOf = [](const cell* c) { return c == nullptr ? -1 : c->index; };
  for (const cell& c : cells_) {
    database_->setNeighbours(c.index, indexOf(c.north()), indexOf(c.south()), indexOf(c.east()),
                             indexOf(c.west()));
  }
}

}  // namespace orvantis

// Saving a world with its demography to a file, and serving a saved one (the database's file
// format is in saved_demography.h).

#include <cstring>

#include "world/database/demography_digest.h"
#include "world/database/saved_demography.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

TSavedCell savedCell(const cell& c, const std::vector<State>* states, int populations) {
  TSavedCell record{};
  record.row = c.row;
  record.column = c.column;
  record.altitude = c.altitude;
  record.roughness = c.roughness;
  record.presentVegetation = c.presentVegetation;
  record.lgmVegetation = c.lgmVegetation;
  record.migrationClass = c.migrationClass;
  record.admixtureClass = c.admixtureClass;
  record.flags =
      (c.river ? 1 : 0) | (c.coast ? 2 : 0) | (c.emerged ? 4 : 0) | (c.isAccessible ? 8 : 0);
  for (int p = 0; p < kMaxCellPopulations; ++p) {
    record.sourceNumber[p] = c.sourceNumber[p];
    record.overflowSourceNumber[p] = c.overflowSourceNumber[p];
    if (p < populations) {
      const State& s = states[p][static_cast<std::size_t>(c.index)];
      record.K[p] = s.K;
      record.F[p] = s.F;
    }
  }
  for (int n = 0; n < Neighbour::Count; ++n) {
    record.neighbours[n] = c.neighbours[n] == nullptr ? -1 : c.neighbours[n]->index;
  }
  return record;
}

TSavedSource savedSource(const PopulationSource& s) {
  TSavedSource record{};
  std::strncpy(record.name, s.name.c_str(), sizeof record.name - 1);
  record.size = s.size;
  record.latitude = s.latitude;
  record.longitude = s.longitude;
  record.sizeBeforeExpansion = s.sizeBeforeExpansion;
  record.bottleneckDuration = s.bottleneckDuration;
  record.sizeBeforeBottleneck = s.sizeBeforeBottleneck;
  record.migrationBeforeExpansion = s.migrationBeforeExpansion;
  record.layer = s.layer;
  record.expansionTime = s.expansionTime;
  record.cellIndex = s.cellIndex;
  return record;
}

PopulationSource loadedSource(const TSavedSource& record) {
  PopulationSource s;
  s.name = my_string(record.name);
  s.size = record.size;
  s.latitude = record.latitude;
  s.longitude = record.longitude;
  s.sizeBeforeExpansion = record.sizeBeforeExpansion;
  s.bottleneckDuration = record.bottleneckDuration;
  s.sizeBeforeBottleneck = record.sizeBeforeBottleneck;
  s.migrationBeforeExpansion = record.migrationBeforeExpansion;
  s.layer = record.layer;
  s.expansionTime = record.expansionTime;
  s.cellIndex = record.cellIndex;
  return s;
}

}  // namespace

int World::saveDemography(const std::string& path) {
  TSavedWorld parts;
  parts.grid = header();
  parts.realBPTime = realBPTime_;
  parts.numberOfSources = numberOfSources_;
  parts.random = randomAfterDemography_;
  try {
    if (saved_ != nullptr) {
      parts.manifest = std::string(saved_->manifest());
    } else {
      parts.manifest = demographyManifest(settings_, dynamicTables_);
    }
    parts.cells.reserve(cells_.size());
    for (const cell& c : cells_) {
      parts.cells.push_back(savedCell(c, states_, numberOfPopulations()));
    }
    for (const PopulationSource& s : sources_) parts.sources.push_back(savedSource(s));
  } catch (const std::bad_alloc&) {
    context_.log << "ERROR: {World::saveDemography()} [not enough memory to save the demography]"
                 << std::endl;
    return 0;
  }
  if (writeSavedDemography(path, parts, *database_, context_) == 0) return 0;
  context_.log << "Demography saved to '" << path << "'" << std::endl;
  return 1;
}

int World::loadSavedDemography(const std::string& path) {
  std::shared_ptr<const TSavedDemography> file = TSavedDemography::open(path, context_);
  built_ = false;
  freshlyBuilt_ = false;
  numberOfSources_ = 0;
  DesAllocateCells();
  sources_.clear();
  replaceDatabase();
  if (!file) return 0;

  const int populations = file->populations();
  settings_.gridHeader() = file->grid();
  nrows_ = file->grid().nrows;
  ncols_ = file->grid().ncols;
  realBPTime_ = file->realBPTime();
  numberOfSources_ = file->numberOfSources();
  database_ = std::make_unique<StateDB>(context_, nrows_, ncols_, this);
  database_->setStorage(storage_);
  try {
    grid_.assign(static_cast<std::size_t>(nrows_) * static_cast<std::size_t>(ncols_), nullptr);
    cells_.resize(static_cast<std::size_t>(file->numCells()));
    for (int p = 0; p < populations; ++p) states_[p].assign(cells_.size(), State{});
    for (int i = 0; i < file->sourceCount(); ++i) sources_.add(loadedSource(file->sources()[i]));
  } catch (const std::bad_alloc&) {
    DesAllocateCells();
    context_.log << "ERROR: {World::loadSavedDemography()} [not enough memory for the "
                 << file->numCells() << " cells of '" << path << "']" << std::endl;
    return 0;
  }
  (void)database_->reserveEntries(file->numCells());
  for (int i = 0; i < file->numCells(); ++i) {
    const TSavedCell& record = file->cells()[i];
    cell& c = cells_[static_cast<std::size_t>(i)];
    c.row = record.row;
    c.column = record.column;
    c.index = i;
    c.altitude = record.altitude;
    c.roughness = record.roughness;
    c.presentVegetation = record.presentVegetation;
    c.lgmVegetation = record.lgmVegetation;
    c.migrationClass = record.migrationClass;
    c.admixtureClass = record.admixtureClass;
    c.river = (record.flags & 1) != 0;
    c.coast = (record.flags & 2) != 0;
    c.emerged = (record.flags & 4) != 0;
    c.isAccessible = (record.flags & 8) != 0;
    for (int p = 0; p < kMaxCellPopulations; ++p) {
      c.sourceNumber[p] = record.sourceNumber[p];
      c.overflowSourceNumber[p] = record.overflowSourceNumber[p];
    }
    for (int n = 0; n < Neighbour::Count; ++n) {
      const int other = record.neighbours[n];
      c.neighbours[n] = other < 0 ? nullptr : &cells_[static_cast<std::size_t>(other)];
    }
    for (int p = 0; p < populations; ++p) {
      State& s = states_[p][static_cast<std::size_t>(i)];
      s.K = record.K[p];
      s.F = record.F[p];
    }
    grid_[static_cast<std::size_t>(c.row) * static_cast<std::size_t>(ncols_) +
          static_cast<std::size_t>(c.column)] = &c;
    c.dbEntry = database_->addEntry(i, &c);
    if (c.dbEntry == nullptr) {
      DesAllocateCells();
      context_.log << "ERROR: {World::loadSavedDemography()} [unable to create the database "
                      "entry of cell "
                   << i << "]" << std::endl;
      return 0;
    }
  }
  registerNeighbours();
  if (database_->adoptSaved(file->endTime(), populations, file->shortInt(), file->rowsPerBlock(),
                            file->blocks(), file->lddLists(), file) == 0) {
    DesAllocateCells();
    replaceDatabase();
    return 0;
  }
  for (const cell& c : cells_) {
    for (int p = 0; p < populations; ++p) {
      states_[p][static_cast<std::size_t>(c.index)]._N_POP =
          database_->get_N(c.index, p, file->endTime());
    }
  }
  randomAfterDemography_ = file->randomState();
  saved_ = std::move(file);
  context_.log << "Saved demography '" << path << "' loaded: " << cells_.size() << " cells, "
               << populations << " population(s), generations 0 to " << saved_->endTime()
               << std::endl;
  return 1;
}

int World::resumeRandomSequenceAfterDemography() {
  if (!randomAfterDemography_ || !context_.random.restore(*randomAfterDemography_)) {
    context_.log << "ERROR: {World::resumeRandomSequenceAfterDemography()} [the state of the "
                    "random generator at the end of the demographic simulation is not known]"
                 << std::endl;
    return 0;
  }
  context_.log << "Random generator: the sequence of seed " << randomAfterDemography_->seed
               << " goes on from the end of the demographic simulation" << std::endl;
  return 1;
}

int World::checkSettingsMatchSavedDemography() {
  if (saved_ == nullptr) return 0;
  const std::string manifest = demographyManifest(settings_);
  if (manifestDigest(manifest) == saved_->settingsDigest()) return 1;
  const std::vector<std::string> differences = manifestDifferences(saved_->manifest(), manifest);
  context_.log << "ERROR: {World::checkSettingsMatchSavedDemography()} [the settings do not "
                  "describe the world of the saved demography '"
               << saved_->path() << "']" << std::endl;
  std::string text;
  for (const std::string& d : differences) {
    context_.log << "\t" << d << std::endl;
    text += "\n" + d;
  }
  if (differences.empty()) {
    // Same items but another digest: the manifest of the file was written differently.
    context_.log << "\tthe saved demography's record of its settings is not this version's"
                 << std::endl;
  }
  context_.window.messageBox("These settings do not describe the world of the saved demography " +
                                 saved_->path() + "." + text,
                             "ERROR: saved demography");
  return 0;
}

}  // namespace orvantis

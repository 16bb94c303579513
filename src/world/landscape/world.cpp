#include "world/landscape/world.h"

#include "coalescent/deme_collection.h"
#include "coalescent/genetic_parameters.h"
#include "world/environment/dynamics.h"

namespace orvantis {

World::World(TRunContext& context)
    : context_(context),
      settings_(context.log),
      database_(std::make_unique<StateDB>(context, 0, 0, this)),
      environment_(std::make_unique<TWorldEnvironment>()) {
  context_.random.initialize_ran3(1);
}

World::~World() = default;

void World::DesAllocateCells() {
  demeCollection_.reset();  // its demes point at the cells
  // Swapping with empty vectors gives the memory back, which clear() would keep.
  std::vector<cell*>().swap(grid_);
  std::vector<cell>().swap(cells_);
  for (std::vector<State>& s : states_) std::vector<State>().swap(s);
  std::vector<float>().swap(roughnessMatrix_);
  TInputGrid().records.swap(inputs_.records);
  inputs_.nrows = inputs_.ncols = 0;
  nrows_ = ncols_ = 0;
  removedCells_ = 0;
  // The model-35 lists point into the cells.
  presentClass777_.clear();
  lgmClass777_.clear();
  releaseClimateData();
}

TDemeCollection& World::demeCollection() {
  if (!demeCollection_) {
    demeCollection_ =
        std::make_unique<TDemeCollection>(*this, context_.log, context_.window, context_.random);
  }
  return *demeCollection_;
}

int World::readNumChromosomes() const {
  return orvantis::readNumChromosomes(settings_.fileParameter(FileParam::GeneticFile).str(),
                                      context_.log);
}

TEnvironmentDynamics* World::environmentDynamics() {
  return TWorldEnvironment::neededBy(*this) ? environment_.get() : nullptr;
}

void World::releaseModel35Lists() {
  std::vector<cell*>().swap(presentClass777_);
  std::vector<cell*>().swap(lgmClass777_);
}

cell* World::readGeoPopDensity(const my_string& name, float longitude, float latitude) {
  int row = 0;
  int col = 0;
  if (nrows_ == 0 || !header().locate(longitude, latitude, row, col)) {
    context_.log << " ERROR: {ImportExportUtils::readGeoPopDensity(...)} [the population '" << name
                 << "' is out of World coordinates!]" << std::endl;
    return nullptr;
  }
  cell* found = cellAt(row, col);
  if (found == nullptr) {
    context_.log << "ERROR: {ImportExportUtils::readGeoPopDensity(...)} [the population '" << name
                 << "' is on water!]" << std::endl;
  }
  return found;
}

}  // namespace orvantis

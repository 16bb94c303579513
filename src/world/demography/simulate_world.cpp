#include "world/demography/simulate_world.h"

#include <chrono>
#include <string>

#include "world/demography/check_source.h"
#include "world/demography/engine.h"
#include "world/landscape/world.h"

namespace orvantis {
namespace {

constexpr const char* kProgressLabel = "Demographic simulation";

// The models whose generation-0 entries leave the neighbours' arrivals alone.
bool writesZeroArrivalsAtStart(int modelId) {
  return modelId != 77 && modelId != 78;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The states must exist for every population of every cell: the number of populations can
// change in the settings after the world was built.
bool statesMatchCells(World& world, std::ostream& log) {
  const auto cells = static_cast<std::size_t>(world.numberOfCells());
  for (int p = 0; p < world.numberOfPopulations(); ++p) {
    if (world.states(p).size() != cells) {
      log << "ERROR: {World::SimulateWorld()} [the world was built for another number of "
             "populations; please build the world again]"
          << std::endl;
      return false;
    }
  }
  return true;
}

// Puts every cell back to the state that building left: no individuals, no balance, no
// remainder or carry; K and F are kept.
void resetStates(World& world) {
  for (int p = 0; p < world.numberOfPopulations(); ++p) {
    for (State& state : world.states(p)) state.resetDynamics();
  }
}

// A database whose rows 1..EndTime hold zeros, shaped for the run: a first run after building
// finds it so; a later run (or one whose EndTime, populations or width have changed since
// building) gets it allocated afresh.
int prepareDatabase(World& world, bool repeated, int endTime) {
  StateDB& db = world.database();
  const int populations = world.numberOfPopulations();
  const bool shortInt = StateDB::shortIntRequested(world.settings());
  if (repeated || !db.isAllocated() || db.endTime() != endTime ||
      db.numberOfPopulations() != populations || db.isShortInt() != shortInt ||
      db.storageChanged()) {
    return db.AllocateStateDBMemory(endTime, populations, shortInt);
  }
  return 1;
}

void writeGenerationZero(World& world, int modelId) {
  StateDB& db = world.database();
  const bool zeroArrivals = writesZeroArrivalsAtStart(modelId);
  for (int p = 0; p < world.numberOfPopulations(); ++p) {
    for (const cell& c : world.cells()) {
      db.entry(c.index)->initialiseGenerationZero(c.column, c.row, p,
                                                  world.state(p, c.index)._N_POP, zeroArrivals);
    }
  }
}

}  // namespace

int SimulateWorld(World& world, float& seconds, TEnvironmentDynamics* environment) {
  seconds = 0.0f;
  TRunContext& context = world.context();
  TExtendedSettings& settings = world.settings();
  TDemographicParameters parameters = TDemographicParameters::fromSettings(settings);
  const int endTime = parameters.endTime;
  const int modelId = parameters.modelId;
  const int generationTime = settings.intParameter(IntParam::GenerationTime, true);
  const bool coastAdaptation = settings.hasKey("CoastAdaptationDuration");
  const int coastAdaptationDuration =
      coastAdaptation ? settings.intParameter(IntParam::CoastAdaptationDuration) : 0;

  if (endTime < 0) {
    context.log << "ERROR: {World::SimulateWorld()} [EndTime is negative: " << endTime << "]"
                << std::endl;
    return 0;
  }
  if (!statesMatchCells(world, context.log)) return 0;
  if (world.holdsSavedDemography()) {
    context.log << "ERROR: {World::SimulateWorld()} [the world was loaded from a saved demography; "
                   "please build the world again]"
                << std::endl;
    return 0;
  }

  // Every run starts from the initial state. The freshly-built flag is cleared as soon as a run
  // starts, so that a run that failed half-way is not taken for an untouched world.
  const bool repeated = !world.freshlyBuilt();
  world.setFreshlyBuilt(false);
  world.setRandomStateAfterDemography(std::nullopt);
  context.generation = 0;
  context.date = world.realBPTime();
  resetStates(world);
  if (!prepareDatabase(world, repeated, endTime)) return 0;
  if (!world.database().beginRun(isLongDistanceModel(modelId))) return 0;

  // Sources of generation 0 and the generation-0 entries.
  if (!readSources(world)) return 0;
  sortSources(world);
  int introduced = CheckSource(world, 0);
  writeGenerationZero(world, modelId);
  if (!world.database().commitGeneration(0)) return 0;

  bool coastAdaptationOver = false;
  const auto start = std::chrono::steady_clock::now();

  // The environment first goes back to the start (coasts included), then the inland cells of a
  // repeated run close again on those coasts.
  if (environment == nullptr) environment = world.environmentDynamics();
  if (environment != nullptr) {
    const bool climate = world.lgmInUse();
    if (climate) {
      context.log << " GenerateVostok (before) at time" << static_cast<long long>(context.date)
                  << std::endl;
    }
    if (!environment->atRunStart(world)) return 0;
    if (climate) context.log << " GenerateVostok (after)" << std::endl;
  } else if (world.lgmInUse()) {
    context.log << "WARNING: {World::SimulateWorld()} [the climate series are not applied: "
                   "K and F keep their values of the LGM vegetation]"
                << std::endl;
  }
  if (repeated && coastAdaptation) world.closeInland();

  TDemographicEngine engine(demeSpaceOf(world), std::move(parameters));
  const int sourceCount = world.sources().count();
  double coastAdaptationElapsed = 0.0;
  long generationsSinceProgress = 0;
  const double progressStep = endTime * 0.1;

  for (;;) {
    if (context.generation >= endTime) {
      if (!world.database().finishRun()) return 0;
      world.setRandomStateAfterDemography(context.random.state());
      seconds = static_cast<float>(millisecondsSince(start) * 0.001);
      context.window.progress({std::string(kProgressLabel) + ": " +
                                   std::to_string(static_cast<long>(seconds)) + " sec.",
                               endTime, endTime});
      context.log << "... Done! (Duration of the SimulateWorld function: " << seconds
                  << " sec.)\n\n";
      return 1;
    }

    ++context.generation;
    context.date += generationTime;

    if (environment != nullptr) {
      bool changed = false;
      if (!environment->atGeneration(world, changed)) return 0;
      if (changed) engine.environmentChanged();
    }

    if (coastAdaptation && !coastAdaptationOver) {
      coastAdaptationElapsed += generationTime;
      if (coastAdaptationElapsed >= coastAdaptationDuration) {
        world.openAll();
        coastAdaptationOver = true;
        engine.environmentChanged();
      }
    }

    context.window.processPendingEvents();

    if (!IterateCells(engine)) return 0;

    if (++generationsSinceProgress >= progressStep) {
      generationsSinceProgress = 0;
      context.window.progress({kProgressLabel, context.generation, endTime});
    }

    if (introduced < sourceCount) {
      const int placed = CheckSource(world, context.generation);
      if (placed > 0) {
        introduced += placed;
        engine.populationsChanged();
      }
    }
    if (!world.database().commitGeneration(context.generation)) return 0;
  }
}

}  // namespace orvantis

#include "world/demography/parameters.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/exception.h"
#include "foundation/random.h"
#include "world/demography/baird_rates.h"
#include "world/demography/model.h"

namespace orvantis {
namespace {

// Beyond this many extra tries per jumper nothing changes in practice but the run's duration.
constexpr int kMaxExtraTries = 1000000;

std::string modelName(int modelId) {
  return "demographic model " + std::to_string(modelId);
}

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The models read these rates as proportions: of a deme (emigrants), of the emigrants (jumpers)
// or of a population (exchanges). A value outside 0 to 1, NaN included, would send more
// individuals than there are, or a negative number of them.
void requireProportion(const char* key, double value, const char* meaning) {
  if (value >= 0.0 && value <= 1.0) return;
  throw TException(my_string(std::string(key) + " is " + meaning +
                             " and must lie between 0 and 1 (it is " + number(value) + ")."));
}

// Near a plain rate of 1 the efficient-lattice formula leaves the range of proportions; such
// rates are held within 0 and 1, with one warning for the run.
void keepRatesWithinProportions(std::vector<float>& rates, double m, std::ostream& log) {
  int outside = 0;
  float lowest = 0.0f;
  float highest = 1.0f;
  for (std::size_t g = 1; g < rates.size(); ++g) {
    float& rate = rates[g];
    if (rate >= 0.0f && rate <= 1.0f) continue;
    ++outside;
    lowest = std::min(lowest, rate);
    highest = std::max(highest, rate);
    rate = rate > 1.0f ? 1.0f : 0.0f;
  }
  if (outside == 0) return;
  log << "WARNING: {World::SimulateWorld()} [with MigrationRate = " << m
      << " the efficient-lattice migration rates of " << outside
      << " generations lie outside 0 to 1 (from " << lowest << " to " << highest
      << "); they are held within 0 and 1]" << std::endl;
}

// The gamma kernel of the jump distances. The settings loader configures it when the file asks
// for a long-distance model; when the model was chosen afterwards (a value typed over the
// file's), the kernel is made here from the same keys.
TDistributionSettings jumpKernel(const TExtendedSettings& settings, int modelId) {
  if (settings.lddKernelAllCellsReady()) return settings.lddKernelAllCells();
  std::string missing;
  for (const char* key : {"LDDProportion", "GammaShapeParamAllCells", "GammaScaleParamAllCells"}) {
    if (settings.hasKey(key)) continue;
    missing += missing.empty() ? "" : ", ";
    missing += key;
  }
  if (!missing.empty()) {
    throw TException(my_string("The long-distance dispersal of " + modelName(modelId) +
                               " needs the parameters LDDProportion, GammaShapeParamAllCells and "
                               "GammaScaleParamAllCells; missing from the settings: " +
                               missing + "."));
  }
  TDistributionSettings kernel;
  kernel.set_type(TDistributionSettings::kGamma2P);
  kernel.add_parameter(settings.values().at("GammaShapeParamAllCells").toDouble());
  kernel.add_parameter(settings.values().at("GammaScaleParamAllCells").toDouble());
  return kernel;
}

TLddParameters lddParameters(const TExtendedSettings& settings, int modelId) {
  if (settings.numberOfPopulations() != 1) {
    throw TException(my_string("The long-distance dispersal of " + modelName(modelId) +
                               " simulates one population: DoublePopulationMode must be 0."));
  }
  TLddParameters ldd;
  ldd.kernel = jumpKernel(settings, modelId);
  const double shape = ldd.kernel.parameter_count() > 0 ? ldd.kernel[0] : 0.0;
  const double rate = ldd.kernel.parameter_count() > 1 ? ldd.kernel[1] : 0.0;
  if (ldd.kernel.type() != TDistributionSettings::kGamma2P || !(shape > 0.0) || !(rate > 0.0) ||
      !std::isfinite(shape) || !std::isfinite(rate)) {
    throw TException(
        my_string("The kernel of the long-distance dispersal needs positive values of "
                  "GammaShapeParamAllCells and GammaScaleParamAllCells (they are " +
                  number(shape) + " and " + number(rate) + ")."));
  }
  if (shape > kLargestGammaShape) {
    throw TException(
        my_string("GammaShapeParamAllCells, the shape of the jump kernel, must not "
                  "exceed 2147483647 (it is " +
                  number(shape) + ")."));
  }

  ldd.proportion = settings.realParameter(RealParam::LDDProportion, true);
  requireProportion("LDDProportion", ldd.proportion,
                    "the share of the emigrants that disperse far");

  const int threshold = settings.rawInt(IntParam::LDD_max_treshold);
  if (threshold != kUndefinedInt) {
    if (threshold < 0) {
      throw TException(my_string(
          "LDD_max_treshold is the largest jump in cells and must not be negative (it is " +
          std::to_string(threshold) + ")."));
    }
    // Every jump covers at least two cells.
    ldd.maxDistance = std::max(threshold, 2);
  }

  const int tries = settings.rawInt(IntParam::LDDMaxNumTry);
  const int extraTries = tries == kUndefinedInt ? 10 : std::clamp(tries, 0, kMaxExtraTries);
  ldd.attempts = extraTries + 1;
  ldd.perCellRates = !settings.globalMigration();
  return ldd;
}

TTwoPopulationParameters twoPopulationParameters(const TExtendedSettings& settings, int modelId) {
  if (settings.numberOfPopulations() != 2) {
    throw TException(
        my_string("The two-population " + modelName(modelId) + " needs DoublePopulationMode = 1."));
  }
  TTwoPopulationParameters two;
  two.growthRate[0] = static_cast<float>(settings.realParameter(RealParam::GrowthRate, true));
  two.growthRate[1] = static_cast<float>(settings.realParameter(RealParam::GrowthRate_P2, true));
  two.migrationRate[0] = settings.realParameter(RealParam::MigrationRate, true);
  two.migrationRate[1] = settings.realParameter(RealParam::MigrationRate_P2, true);
  requireProportion("MigrationRate_P2", two.migrationRate[1],
                    "the proportion of a deme of the second population that emigrates each "
                    "generation");
  const double toP2 = settings.realParameter(RealParam::MigrRate_P1_to_P2, true);
  const double toP1 = settings.realParameter(RealParam::MigrRate_P2_to_P1, true);
  requireProportion("MigrRate_P1_to_P2", toP2,
                    "the rate of exchange from the first population to the second");
  requireProportion("MigrRate_P2_to_P1", toP1,
                    "the rate of exchange from the second population to the first");
  two.exchangeRate[0] = static_cast<float>(toP2);
  two.exchangeRate[1] = static_cast<float>(toP1);
  two.delayedMigration = settings.realParameter(RealParam::DelayedMigration);
  return two;
}

}  // namespace

TDemographicParameters TDemographicParameters::fromSettings(const TExtendedSettings& settings) {
  TDemographicParameters parameters;
  parameters.modelId = settings.intParameter(IntParam::ChosenDemographicModel, true);
  parameters.endTime = settings.intParameter(IntParam::EndTime, true);
  parameters.growthRate = static_cast<float>(settings.realParameter(RealParam::GrowthRate, true));
  const double m = settings.realParameter(RealParam::MigrationRate, true);
  parameters.migrationRate = static_cast<float>(m);
  if (isLongDistanceModel(parameters.modelId)) {
    parameters.ldd = lddParameters(settings, parameters.modelId);
  } else if (isTwoPopulationModel(parameters.modelId)) {
    parameters.twoPopulations = twoPopulationParameters(settings, parameters.modelId);
  }
  // Every known model emigrates MigrationRate of a deme, except a long-distance model whose
  // cells take their four rates from the migration table. An unknown model stops the run at
  // its first generation with its own message.
  const bool usesMigrationRate =
      cellRoutineFor(parameters.modelId) != TCellRoutine::None &&
      !(isLongDistanceModel(parameters.modelId) && parameters.ldd.perCellRates);
  if (usesMigrationRate) {
    requireProportion("MigrationRate", m,
                      "the proportion of a deme that emigrates each generation");
  }
  if (settings.efficientLattice()) {
    parameters.bairdRates = orvantis::bairdRates(m, parameters.endTime);
    keepRatesWithinProportions(parameters.bairdRates, m, settings.log());
  }
  return parameters;
}

}  // namespace orvantis

#include "world/demography/parameters.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "foundation/exception.h"
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

  ldd.proportion = settings.realParameter(RealParam::LDDProportion, true);
  if (!(ldd.proportion >= 0.0 && ldd.proportion <= 1.0)) {
    throw TException(
        my_string("LDDProportion is the share of the emigrants that disperse far "
                  "and must lie between 0 and 1 (it is " +
                  number(ldd.proportion) + ")."));
  }

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
  const double toP2 = settings.realParameter(RealParam::MigrRate_P1_to_P2, true);
  const double toP1 = settings.realParameter(RealParam::MigrRate_P2_to_P1, true);
  if (!(toP2 >= 0.0) || !(toP1 >= 0.0)) {
    // A negative exchange would create individuals in the population that gives them.
    throw TException(my_string(
        "The exchange rates between the populations must not be negative (MigrRate_P1_to_P2 is " +
        number(toP2) + ", MigrRate_P2_to_P1 is " + number(toP1) + ")."));
  }
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
  if (settings.efficientLattice())
    parameters.bairdRates = orvantis::bairdRates(m, parameters.endTime);
  if (isLongDistanceModel(parameters.modelId)) {
    parameters.ldd = lddParameters(settings, parameters.modelId);
  } else if (isTwoPopulationModel(parameters.modelId)) {
    parameters.twoPopulations = twoPopulationParameters(settings, parameters.modelId);
  }
  return parameters;
}

}  // namespace orvantis

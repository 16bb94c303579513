// The three typed tables of the settings store: their keys, the names their messages use, and
// their conversion from the values map.

#include <climits>
#include <string>

#include "settings/settings.h"

namespace orvantis {

namespace {

struct TableEntry {
  const char* key;          // "" for an entry that the file cannot set
  const char* messageName;  // name quoted when a required entry is undefined
};

constexpr TableEntry kIntTable[IntParam::Count] = {
    {"EndTime", "EndTime"},
    {"GenerationTime", "GenerationTime"},
    {"PropFile", "PropFile"},
    {"NumLinkedLoci", "NumLinkedLoci"},
    {"NumIndeLoci", "NumIndeLoci"},
    {"GenotypicData", "GenotypicData"},
    {"ImmigDistrFile", "ImmigDistrFile"},
    {"AncestralSize", "AncestralSize"},
    {"MaxNumGenerations", "MaxNumGenerations"},
    {"TauValue", "TauValue"},
    {"ChosenDemographicModel", "ChosenDemographicModel"},
    {"RealBPTime", "RealBPTime"},
    {"NumGeneticSimulations", "NumGeneticSimulations"},
    {"DoublePopulationMode", "DoublePopulationMode"},
    {"CompetitionModel", "CompetitionModel"},
    {"DispersalModel", "S_DispersalModel"},
    {"DemoMigrStochasticity", "DemoMigrStochasticity"},
    {"AllowBairdEfficientLattice", "AllowBairdEfficientLattice"},
    {"GenerateOutputMigrationBMP", "GenerateOutputMigrationBMP"},
    {"AllowShortIntForNumberOfIndividuals", "AllowShortIntForNumberOfIndividuals"},
    {"Heterogeneity", "Heterogeneity"},
    {"", "heterogeneityGenerations"},
    {"DynamicVegetationChangeTime", "DynamicVegetationChangeTime"},
    {"CoastAdaptationDuration", "CoastAdaptationDuration"},
    {"NexusFile", "NexusFile"},
    {"GenealogiesFile", "GenealogiesFile"},
    {"TemporalCoalescenceFile", "TemporalCoalescenceFile"},
    {"FrictionChoice", "FrictionChoice"},
    {"DispersalConstraint", "DispersalConstraint"},
    {"nbofRnd", "nbofRnd"},
    {"LDDModel", "LDDModel"},
    {"LDD_max_treshold", "LDD_max_treshold"},
    {"LDDMaxNumTry", "LDDMaxNumTry"},
    {"MigrDecrease", "MigrDecrease"},
};

constexpr TableEntry kRealTable[RealParam::Count] = {
    {"GrowthRate", "GrowthRate"},
    {"GrowthRate_P2", "GrowthRate_P2"},
    {"CompetitionCoeff_2_over_1", "CompetitionCoeff_2_over_1"},
    {"CompetitionCoeff_1_over_2", "CompetitionCoeff_1_over_2"},
    {"AlleeScaling", "AlleeScaling"},
    {"AlleeSeverity", "AlleeSeverity"},
    {"MigrationRate", "MigrationRate"},
    {"DelayedMigration", "DelayedMigration"},
    {"MigrationRate_P2", "MigrationRate_P2"},
    {"DensityDependentMigration", "DensityDependentMigration"},
    {"LDDProportionCoast", "LDDProportionCoast"},
    {"LDDProportion", "LDDProportion"},
    {"MigrRate_P1_to_P2", "MigrRate_P1_to_P2"},
    {"MigrRate_P2_to_P1", "MigrRate_P2_to_P1"},
    {"AllowSourcePopulationOverflow", "AllowSourcePopulationOverflow"},
    {"GammaShapeParamCoast", "GammaShapeParamCoast"},
    {"GammaScaleParamCoast", "GammaScaleParamCoast"},
    {"GammaScaleParamAllCells", "GammaScaleParamAllCells"},
    {"CoastFrictionChangeFactor", "coastFrictionChangeFactor"},
    {"CoastCarCapChangeFactor", "CoastCarCapChangeFactor"},
    {"RiverFrictionChangeFactor", "RiverFrictionChangeFactor"},
    {"RiverCarCapChangeFactor", "riverCarCapChangeFactor"},
    {"IsWaveFrontThreshold", "IsWaveFrontThreshold"},
};

constexpr TableEntry kFileTable[FileParam::Count] = {
    {"SampleFile", "SampleFile"},
    {"GeneticFile", "GeneticFile"},
    {"PopDensityFile", "PopDensityFile"},
    {"AltitudeTopoFile", "AltitudeTopoFile"},
    {"RoughnessTopoFile", "RoughnessTopoFile"},
    {"mMapFile", "mMapFile"},
    {"AdmixMapFile", "AdmixMapFile"},
    {"PresVegetationFile", "PresVegetationFile"},
    {"LGMVegetationFile", "LGMVegetationFile"},
    {"SelectionFile", "SelectionFile"},
    {"HydroFile", "HydroFile"},
    {"ArrivalCellFile", "ArrivalCellFile"},
    {"Veg2KFile", "Veg2KFile"},
    {"Veg2SFile", "Veg2SFile"},
    {"Veg2FFile", "Veg2FFile"},
    {"Veg2mFile", "Veg2mFile"},
    {"Veg2AdmixFile", "veg2AdmixFile"},
    {"Veg2K_P2_File", "Veg2K_P2_File"},
    {"Veg2m_P2_File", "Veg2m_P2_File"},
    {"Veg2F_P2_File", "Veg2F_P2_File"},
    {"VostokFile", "VostokFile"},
    {"SeaLevelFile", "SeaLevelFile"},
    {"Veg2alphaFile", "Veg2alphaFile"},
};

TException undefinedParameter(const char* messageName) {
  return TException(my_string("The parameter '") + messageName +
                    "' is not defined in the inputfile!");
}

// Table indexes come from the code; an index outside a table is a programming error that must
// not read beyond the table.
void checkIndex(int index, int count, const char* table) {
  if (index < 0 || index >= count) {
    throw TException(my_string("Internal error: index ") + my_string(std::to_string(index)) +
                     " is outside the " + table + " parameter table");
  }
}

int saturatedInt(long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

TExtendedSettings::TExtendedSettings(std::ostream& log) : TSettings(log) {
  reset();
}

void TExtendedSettings::reset() {
  for (int& v : ints_) v = kUndefinedInt;
  for (double& v : reals_) v = kUndefinedReal;
  for (my_string& v : files_) v = "";
}

void TExtendedSettings::fillTables() {
  // Keys that no table knows stay in the values map only; a converted value of -9999 is the
  // undefined value itself.
  for (int i = 0; i < IntParam::Count; ++i) {
    if (*kIntTable[i].key == '\0') continue;
    const auto it = values_.find(kIntTable[i].key);
    if (it == values_.end()) continue;
    ints_[i] = saturatedInt(it->second.toInt());
    checkInteger(it->first, it->second, ints_[i]);
  }
  for (int i = 0; i < RealParam::Count; ++i) {
    const auto it = values_.find(kRealTable[i].key);
    if (it == values_.end()) continue;
    reals_[i] = it->second.toDouble();
    checkReal(it->first, it->second, reals_[i]);
  }
  for (int i = 0; i < FileParam::Count; ++i) {
    const auto it = values_.find(kFileTable[i].key);
    if (it != values_.end()) files_[i] = it->second;
  }
}

int TExtendedSettings::intParameter(int index, bool required) const {
  checkIndex(index, IntParam::Count, "integer");
  if (ints_[index] == kUndefinedInt) {
    if (required) throw undefinedParameter(kIntTable[index].messageName);
    return 0;
  }
  return ints_[index];
}

double TExtendedSettings::realParameter(int index, bool required) const {
  checkIndex(index, RealParam::Count, "real");
  if (reals_[index] == kUndefinedReal) {
    if (required) throw undefinedParameter(kRealTable[index].messageName);
    return 0.0;
  }
  return reals_[index];
}

my_string TExtendedSettings::fileParameter(int index, bool required) const {
  checkIndex(index, FileParam::Count, "file");
  if (files_[index].isEmpty()) {
    if (required) throw undefinedParameter(kFileTable[index].messageName);
    return my_string();
  }
  return files_[index];
}

const char* TExtendedSettings::intKey(int index) {
  return index >= 0 && index < IntParam::Count ? kIntTable[index].key : "";
}
const char* TExtendedSettings::realKey(int index) {
  return index >= 0 && index < RealParam::Count ? kRealTable[index].key : "";
}
const char* TExtendedSettings::fileKey(int index) {
  return index >= 0 && index < FileParam::Count ? kFileTable[index].key : "";
}
const char* TExtendedSettings::intMessageName(int index) {
  return index >= 0 && index < IntParam::Count ? kIntTable[index].messageName : "";
}
const char* TExtendedSettings::realMessageName(int index) {
  return index >= 0 && index < RealParam::Count ? kRealTable[index].messageName : "";
}
const char* TExtendedSettings::fileMessageName(int index) {
  return index >= 0 && index < FileParam::Count ? kFileTable[index].messageName : "";
}

}  // namespace orvantis

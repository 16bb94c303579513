#pragma once
// The settings store: key/value texts loaded from the settings file, the switches derived from
// them, the long-distance-dispersal kernels, and three typed tables served by index.

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/arrays.h"
#include "foundation/distribution_settings.h"
#include "foundation/exception.h"
#include "foundation/my_string.h"
#include "settings/grid_header.h"

namespace orvantis {

// Indexes of the integer table.
struct IntParam {
  enum : int {
    EndTime = 0,
    GenerationTime,
    PropFile,
    NumLinkedLoci,
    NumIndeLoci,
    GenotypicData,
    ImmigDistrFile,
    AncestralSize,
    MaxNumGenerations,
    TauValue,
    ChosenDemographicModel,
    RealBPTime,
    NumGeneticSimulations,
    DoublePopulationMode,
    CompetitionModel,
    DispersalModel,
    DemoMigrStochasticity,
    AllowBairdEfficientLattice,
    GenerateOutputMigrationBMP,
    AllowShortIntForNumberOfIndividuals,
    Heterogeneity,
    HeterogeneityGenerations,
    DynamicVegetationChangeTime,
    CoastAdaptationDuration,
    NexusFile,
    GenealogiesFile,
    TemporalCoalescenceFile,
    FrictionChoice,
    DispersalConstraint,
    NbofRnd,
    LDDModel,
    LDD_max_treshold,
    LDDMaxNumTry,
    MigrDecrease,
    Count
  };
};

// Indexes of the real table.
struct RealParam {
  enum : int {
    GrowthRate = 0,
    GrowthRate_P2,
    CompetitionCoeff_2_over_1,
    CompetitionCoeff_1_over_2,
    AlleeScaling,
    AlleeSeverity,
    MigrationRate,
    DelayedMigration,
    MigrationRate_P2,
    DensityDependentMigration,
    LDDProportionCoast,
    LDDProportion,
    MigrRate_P1_to_P2,
    MigrRate_P2_to_P1,
    AllowSourcePopulationOverflow,
    GammaShapeParamCoast,
    GammaScaleParamCoast,
    GammaScaleParamAllCells,
    CoastFrictionChangeFactor,
    CoastCarCapChangeFactor,
    RiverFrictionChangeFactor,
    RiverCarCapChangeFactor,
    IsWaveFrontThreshold,
    Count
  };
};

// Indexes of the file table.
struct FileParam {
  enum : int {
    SampleFile = 0,
    GeneticFile,
    PopDensityFile,
    AltitudeTopoFile,
    RoughnessTopoFile,
    mMapFile,
    AdmixMapFile,
    PresVegetationFile,
    LGMVegetationFile,
    SelectionFile,
    HydroFile,
    ArrivalCellFile,
    Veg2KFile,
    Veg2SFile,
    Veg2FFile,
    Veg2mFile,
    Veg2AdmixFile,
    Veg2K_P2_File,
    Veg2m_P2_File,
    Veg2F_P2_File,
    VostokFile,
    SeaLevelFile,
    Veg2alphaFile,
    Count
  };
};

static_assert(IntParam::Count == 34 && RealParam::Count == 23 && FileParam::Count == 23);

inline constexpr int kUndefinedInt = -9999;
inline constexpr double kUndefinedReal = -9999.0;

class TSettings {
 public:
  explicit TSettings(std::ostream& log) : log_(log) {}
  virtual ~TSettings() = default;

  // Reads the file into the values map, replaces the values of `overrides` (KEY, VALUE, in
  // order, as given on the command line) and derives the switches from the result, so that an
  // override of a key the switches read (the number of populations, the long-distance kernel,
  // ...) takes effect; throws TException when the file cannot be opened or a required key is
  // missing.
  virtual void load(const my_string& path,
                    const std::vector<std::pair<std::string, std::string>>& overrides = {});

  bool hasKey(const my_string& key) const;
  // By-name readers: a missing key gives "", 0 or 0.0, or throws when required; they mark the
  // key as read. intValue saturates at the int range, so it agrees with the integer table.
  my_string textValue(const my_string& key, bool required = false);
  long intValue(const my_string& key, bool required = false);
  double realValue(const my_string& key, bool required = false);
  void setValue(const my_string& key, const my_string& value);
  void setValue(const my_string& key, int value);

  // The warnings about values that could not be read as numbers that the user has not been
  // shown yet; the log has each of them already. Each key and text is warned about once.
  std::vector<std::string> takeWarnings();

  const my_string& settingsPath() const { return path_; }
  const std::map<my_string, my_string>& values() const { return values_; }
  bool wasRead(const my_string& key) const;

  TGridHeader& gridHeader() { return gridHeader_; }
  const TGridHeader& gridHeader() const { return gridHeader_; }

  // Long-distance-dispersal kernels for all cells and for coast cells, and a spare record. Every
  // load first clears both kernels (type 0, no parameters); "ready" tells that the last load
  // configured the kernel.
  TDistributionSettings& lddKernelAllCells() { return distributions_[0]; }
  TDistributionSettings& lddKernelCoast() { return distributions_[1]; }
  const TDistributionSettings& lddKernelAllCells() const { return distributions_[0]; }
  const TDistributionSettings& lddKernelCoast() const { return distributions_[1]; }
  bool lddKernelAllCellsReady() const { return lddAllCellsReady_; }
  bool lddKernelCoastReady() const { return lddCoastReady_; }

  // Switches derived by load().
  int numberOfPopulations() const { return numberOfPopulations_; }
  bool globalMigration() const { return globalMigration_; }
  bool efficientLattice() const { return efficientLattice_; }
  bool lgmVegetationPresent() const { return lgmVegetationPresent_; }
  bool dynamicVegetation() const { return dynamicVegetation_; }
  void setDynamicVegetation(bool dynamic) { dynamicVegetation_ = dynamic; }

  std::ostream& log() const { return log_; }

 protected:
  void setUpLddKernel(bool coast);
  // Stores one line of the file (comment, blanks and line end not yet removed).
  void storeLine(const my_string& line);
  void deriveSwitches();
  void clearLddKernels();
  // Log a warning, once per key and text, when the text of an integer or real value is not
  // entirely a number; `value` is what the conversion gave.
  void checkInteger(const my_string& key, const my_string& text, long value);
  void checkReal(const my_string& key, const my_string& text, double value);

  std::ostream& log_;
  std::map<my_string, my_string> values_;
  std::map<my_string, bool> readFlags_;
  my_string path_;
  TGridHeader gridHeader_;
  TDistributionSettings distributions_[3];
  bool lddAllCellsReady_ = false;
  bool lddCoastReady_ = false;
  void warnNotANumber(const my_string& key, const my_string& text, bool nothingRead,
                      const std::string& value);
  std::set<std::string> warnedNumbers_;  // key and text of every value warned about
  std::vector<std::string> pendingWarnings_;

  int numberOfPopulations_ = 1;
  bool globalMigration_ = true;
  bool efficientLattice_ = false;
  bool lgmVegetationPresent_ = false;
  bool dynamicVegetation_ = false;
};

class TExtendedSettings : public TSettings {
 public:
  explicit TExtendedSettings(std::ostream& log);

  // Sets every typed-table entry to undefined; the values map is kept.
  void reset();
  // Converts every recognised key of the values map into its typed-table entry.
  void fillTables();

  // Typed-table readers: undefined gives 0, 0.0 or "", or throws when required.
  int intParameter(int index, bool required = false) const;
  double realParameter(int index, bool required = false) const;
  my_string fileParameter(int index, bool required = false) const;

  // Key and message name of a table entry (the message name differs from the key for a few).
  // The key of an entry that the file cannot set is "".
  static const char* intKey(int index);
  static const char* realKey(int index);
  static const char* fileKey(int index);
  static const char* intMessageName(int index);
  static const char* realMessageName(int index);
  static const char* fileMessageName(int index);

  // Raw table entries, undefined values included.
  int rawInt(int index) const { return ints_[index]; }
  double rawReal(int index) const { return reals_[index]; }
  const my_string& rawFile(int index) const { return files_[index]; }

 private:
  int ints_[IntParam::Count];
  double reals_[RealParam::Count];
  my_string files_[FileParam::Count];
};

}  // namespace orvantis

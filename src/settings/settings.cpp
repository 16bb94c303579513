#include "settings/settings.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "foundation/paths.h"

namespace orvantis {

namespace {

TException missingParameter(const my_string& name) {
  return TException(my_string("The parameter '") + name + "' is not defined in the inputfile!");
}

// On the platform the settings files come from, long is 32 bits and the C conversion saturates
// at the int range; saturating here keeps a huge number from wrapping to an arbitrary value.
long saturateToInt(long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return value;
}

// The text of a line without its comment and without the carriage return that ends the lines of
// files written with CR LF line ends.
my_string withoutCommentAndLineEnd(const my_string& line) {
  my_string text = line.before('#');
  if (!text.isEmpty() && text[text.length() - 1] == '\r') {
    text = my_string(text.str().substr(0, static_cast<std::size_t>(text.length() - 1)));
  }
  return text;
}

// How much of a value's text the conversion to a number reads.
enum class TNumberText { Number, Beginning, Nothing };

TNumberText numberText(const my_string& text, bool integer) {
  const char* begin = text.c_str();
  char* end = nullptr;
  if (integer) {
    static_cast<void>(std::strtol(begin, &end, 10));
  } else {
    static_cast<void>(std::strtod(begin, &end));
  }
  if (end == begin) return TNumberText::Nothing;
  return *end == '\0' ? TNumberText::Number : TNumberText::Beginning;
}

}  // namespace

void TSettings::load(const my_string& path,
                     const std::vector<std::pair<std::string, std::string>>& overrides) {
  const std::string fileName = nativePath(path);
  std::error_code ignored;
  std::ifstream in;
  // A directory can be opened as a stream on some systems but never read.
  if (!std::filesystem::is_directory(fileName, ignored)) in.open(fileName);
  if (!in.is_open()) {
    throw TException(my_string("Inputfile '") + path + "' could not be opened!");
  }
  path_ = path;

  my_string line;
  bool lineFeedSeen = true;
  while (lineFeedSeen) {
    lineFeedSeen = line.readLine(in);
    // A last line without a line feed still counts.
    storeLine(line);
  }
  for (const auto& [key, value] : overrides) setValue(my_string(key), my_string(value));

  readFlags_.clear();
  for (const auto& entry : values_) readFlags_[entry.first] = false;

  deriveSwitches();
}

void TSettings::storeLine(const my_string& line) {
  const my_string text = withoutCommentAndLineEnd(line);
  if (text.isEmpty()) return;
  my_string key = text.before('=');
  my_string value = text.after('=');
  key.trim();
  value.trim();
  if (key.isEmpty() || value.isEmpty()) return;
  values_[key] = value;
}

void TSettings::deriveSwitches() {
  lgmVegetationPresent_ = hasKey("LGMVegetationFile");
  numberOfPopulations_ = intValue("DoublePopulationMode", true) == 1 ? 2 : 1;
  efficientLattice_ =
      hasKey("AllowBairdEfficientLattice") && intValue("AllowBairdEfficientLattice", true) == 1;

  // A kernel configured by an earlier file must not outlive a file that configures none.
  clearLddKernels();

  if (intValue("ChosenDemographicModel", true) >= 4 &&
      intValue("DoublePopulationMode", true) == 0) {
    if (hasKey("LDDProportion") && hasKey("GammaShapeParamAllCells") &&
        hasKey("GammaScaleParamAllCells")) {
      setUpLddKernel(false);
      if (hasKey("LDDProportionCoast")) setUpLddKernel(true);
    } else {
      log_ << "\tWARNING: At least one LDD parameters has not been defined !" << std::endl;
    }

    if (hasKey("Veg2mFile") && hasKey("mMapFile")) {
      globalMigration_ = false;
      log_ << "\tDynamic migration rates are used !" << std::endl;
    } else {
      globalMigration_ = true;
      log_ << "\tGlobal migration rate is used !" << std::endl;
    }

    if (hasKey("Veg2AdmixFile") && hasKey("AdmixMapFile")) {
      log_ << "\tDynamic admixture rates are used !" << std::endl;
    } else {
      log_ << "\tGlobal admixture rate is used !" << std::endl;
    }
  } else {
    log_ << "\tWARNING: This model does not allow LDD and Dynamic migration !" << std::endl;
  }
}

void TSettings::clearLddKernels() {
  for (int k = 0; k < 2; ++k) {
    distributions_[k].clear_parameters();
    distributions_[k].set_type(TDistributionSettings::kUnknown);
  }
  lddAllCellsReady_ = false;
  lddCoastReady_ = false;
}

void TSettings::setUpLddKernel(bool coast) {
  if (!hasKey("LDDProportion")) {
    throw TException(
        "It seems ORVANTIS has been compiled for long distance dispersal (LDD), but you are "
        "missing some LDD parameters in the Settings file. Please look at the user guide.");
  }
  TDistributionSettings& kernel = coast ? lddKernelCoast() : lddKernelAllCells();
  kernel.clear_parameters();
  const unsigned type = TDistributionSettings::type_from_name("GAMMA_2P");
  if (type == TDistributionSettings::kUnknown) {
    throw TException("The distribution kernel for LDD migration is not known.");
  }
  if (!kernel.set_type(type)) {
    throw TException(coast ? "The distribution kernel for LDD migration on coast is not known."
                           : "The distribution kernel for LDD migration is not known.");
  }
  // The scale is the divisor of the gamma deviate and is kept as written.
  if (coast) {
    kernel.add_parameter(realValue("GammaShapeParamCoast", true));
    kernel.add_parameter(realValue("GammaScaleParamCoast", true));
    lddCoastReady_ = true;
  } else {
    kernel.add_parameter(realValue("GammaShapeParamAllCells", true));
    kernel.add_parameter(realValue("GammaScaleParamAllCells", true));
    lddAllCellsReady_ = true;
  }
}

void TSettings::checkInteger(const my_string& key, const my_string& text, long value) {
  const TNumberText read = numberText(text, true);
  if (read != TNumberText::Number) {
    warnNotANumber(key, text, read == TNumberText::Nothing, std::to_string(value));
  }
}

void TSettings::checkReal(const my_string& key, const my_string& text, double value) {
  const TNumberText read = numberText(text, false);
  if (read != TNumberText::Number) {
    std::ostringstream shown;
    shown << value;
    warnNotANumber(key, text, read == TNumberText::Nothing, shown.str());
  }
}

void TSettings::warnNotANumber(const my_string& key, const my_string& text, bool nothingRead,
                               const std::string& value) {
  if (!warnedNumbers_.insert(key.str() + '\n' + text.str()).second) return;
  const std::string message =
      "the value '" + text.str() + "' of " + key.str() +
      " is not a number: " + (nothingRead ? "it reads as " : "only its beginning is read, as ") +
      value;
  log_ << "\tWARNING: " << message << std::endl;
  pendingWarnings_.push_back(message);
}

std::vector<std::string> TSettings::takeWarnings() {
  return std::exchange(pendingWarnings_, {});
}

bool TSettings::hasKey(const my_string& key) const {
  return values_.find(key) != values_.end();
}

my_string TSettings::textValue(const my_string& key, bool required) {
  const auto it = values_.find(key);
  if (it == values_.end()) {
    if (required) throw missingParameter(key);
    return my_string();
  }
  readFlags_[key] = true;
  return it->second;
}

long TSettings::intValue(const my_string& key, bool required) {
  if (!hasKey(key)) {
    if (required) throw missingParameter(key);
    return 0;
  }
  const my_string text = textValue(key);
  const long value = saturateToInt(text.toInt());
  checkInteger(key, text, value);
  return value;
}

double TSettings::realValue(const my_string& key, bool required) {
  if (!hasKey(key)) {
    if (required) throw missingParameter(key);
    return 0.0;
  }
  const my_string text = textValue(key);
  const double value = text.toDouble();
  checkReal(key, text, value);
  return value;
}

void TSettings::setValue(const my_string& key, const my_string& value) {
  values_[key] = value;
}

void TSettings::setValue(const my_string& key, int value) {
  my_string text;
  text = value;
  values_[key] = text;
}

bool TSettings::wasRead(const my_string& key) const {
  const auto it = readFlags_.find(key);
  return it != readFlags_.end() && it->second;
}

}  // namespace orvantis

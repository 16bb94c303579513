#include "cli/priors_file.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "foundation/random.h"

namespace orvantis {

namespace {

using T = TDistributionSettings;

// The parameters of each type, for the messages.
const char* parameterNames(unsigned type) {
  switch (type) {
    case T::kUniform:
    case T::kLogUniform:
    case T::kUniformDiscrete:
      return "min max";
    case T::kPoisson:
      return "mean";
    case T::kBinomial:
      return "p n";
    case T::kNormal:
    case T::kNormalTrunc:
      return "mean sd";
    case T::kLogNormal:
      return "a b";
    case T::kExponential:
      return "rate";
    case T::kMixtNormal:
      return "w s1 s2";
    case T::kDiscreteValues:
      return "v1 v2 ...";
    case T::kGamma:
      return "shape";
    case T::kGamma2P:
      return "shape rate";
    default:
      return "";
  }
}

std::string knownNames() {
  std::string names;
  for (unsigned t = 1; T::name_of(t)[0] != '\0'; ++t) {
    if (!names.empty()) names += ", ";
    names += T::name_of(t);
  }
  return names;
}

std::string trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// A whole word as a finite number.
bool parseNumber(const std::string& word, double& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  value = std::strtod(word.c_str(), &end);
  return end == word.c_str() + word.size() && std::isfinite(value);
}

bool isWhole(double x) {
  return x == std::trunc(x);
}

std::string number(double x) {
  std::ostringstream text;
  text << x;
  return text.str();
}

}  // namespace

std::string impossibleParameters(const TDistributionSettings& d) {
  const auto p = [&](int i) { return d.parameter(i); };
  switch (d.type()) {
    case T::kUniform:
      if (p(0) > p(1)) return "min " + number(p(0)) + " is above max " + number(p(1));
      return {};
    case T::kLogUniform:
      if (!(p(0) > 0) || !(p(1) > 0)) return "min and max must be positive";
      if (p(0) > p(1)) return "min " + number(p(0)) + " is above max " + number(p(1));
      return {};
    case T::kUniformDiscrete:
      if (!isWhole(p(0)) || !isWhole(p(1))) return "min and max must be whole numbers";
      if (p(0) > p(1)) return "min " + number(p(0)) + " is above max " + number(p(1));
      if (std::fabs(p(0)) > 1e9 || std::fabs(p(1)) > 1e9)
        return "min and max must lie within +-1e9";
      return {};
    case T::kPoisson:
      if (p(0) < 0) return "the mean must not be negative";
      if (p(0) > 1e9) return "the mean must not exceed 1e9";
      return {};
    case T::kBinomial:
      if (p(0) < 0 || p(0) > 1) return "p must lie between 0 and 1";
      if (!isWhole(p(1)) || p(1) < 0 || p(1) > 1e9) return "n must be a whole number from 0 to 1e9";
      return {};
    case T::kNormal:
      if (p(1) < 0) return "the standard deviation must not be negative";
      return {};
    case T::kLogNormal:
      if (!(p(0) > 0) || !(p(1) > 0))
        return "a and b must be positive (the draw is exp(N(ln a, ln b)))";
      return {};
    case T::kExponential:
      if (!(p(0) > 0)) return "the rate must be positive";
      return {};
    case T::kMixtNormal:
      if (p(0) < 0 || p(0) > 1) return "w must lie between 0 and 1";
      if (p(1) < 0 || p(2) < 0) return "the standard deviations must not be negative";
      return {};
    case T::kDiscreteValues:
      return {};
    case T::kNormalTrunc:
      // Draws are repeated until one is positive: the mean must be, so that it ends.
      if (!(p(0) > 0)) return "the mean must be positive (draws are repeated until one is > 0)";
      if (p(1) < 0) return "the standard deviation must not be negative";
      return {};
    case T::kGamma:
      if (!(p(0) > 0)) return "the shape must be positive";
      if (p(0) > kLargestGammaShape) return "the shape must not exceed 2147483647";
      return {};
    case T::kGamma2P:
      if (!(p(0) > 0) || !(p(1) > 0)) return "the shape and the rate must be positive";
      if (p(0) > kLargestGammaShape) return "the shape must not exceed 2147483647";
      return {};
    default:
      return "unknown distribution";
  }
}

bool parsePriors(std::istream& in, const std::string& name, std::vector<TPrior>& priors,
                 std::string& error) {
  priors.clear();
  std::set<std::string> seen;
  std::string text;
  for (int lineNumber = 1; std::getline(in, text); ++lineNumber) {
    const auto fail = [&](const std::string& what) {
      error = name + ", line " + std::to_string(lineNumber) + ": " + what;
      return false;
    };
    const std::size_t comment = text.find('#');
    if (comment != std::string::npos) text.erase(comment);
    const std::string line = trim(text);
    if (line.empty()) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("expected KEY = DISTRIBUTION p1 [p2 ...]");
    TPrior prior;
    prior.line = lineNumber;
    prior.key = trim(line.substr(0, eq));
    if (prior.key.empty()) return fail("no settings key before '='");
    prior.kind = settingsKeyKind(prior.key);
    if (prior.kind == TKeyKind::Unknown) {
      const std::string similar = similarSettingsKey(prior.key);
      return fail("unknown settings key '" + prior.key + "'" +
                  (similar.empty() ? "" : " (did you mean '" + similar + "'?)"));
    }
    if (prior.kind == TKeyKind::File) {
      return fail("'" + prior.key + "' names a file: a prior can only draw numbers");
    }
    if (!seen.insert(prior.key).second) return fail("a second prior for '" + prior.key + "'");

    std::istringstream words(line.substr(eq + 1));
    std::string distributionName;
    if (!(words >> distributionName)) return fail("no distribution after '='");
    const unsigned type = T::type_from_name(distributionName);
    if (type == T::kUnknown) {
      return fail("unknown distribution '" + distributionName + "' (known: " + knownNames() + ")");
    }
    prior.distribution.set_type(type);
    for (std::string word; words >> word;) {
      double value = 0.0;
      if (!parseNumber(word, value)) return fail("parameter '" + word + "' is not a number");
      prior.distribution.add_parameter(value);
    }
    const int given = prior.distribution.parameter_count();
    const int needed = T::parameter_count_of(type);
    if (type == T::kDiscreteValues ? given < 1 : given != needed) {
      const std::string count = type == T::kDiscreteValues ? "at least one value"
                                                           : std::to_string(needed) + " parameter" +
                                                                 (needed > 1 ? "s" : "");
      return fail(distributionName + " takes " + count + " (" + parameterNames(type) + "), got " +
                  std::to_string(given));
    }
    const std::string impossible = impossibleParameters(prior.distribution);
    if (!impossible.empty()) return fail(distributionName + ": " + impossible);
    priors.push_back(std::move(prior));
  }
  if (in.bad()) {
    error = name + ": cannot be read";
    return false;
  }
  if (priors.empty()) {
    error = name + ": no prior (lines KEY = DISTRIBUTION p1 [p2 ...])";
    return false;
  }
  return true;
}

bool readPriorsFile(const std::string& path, std::vector<TPrior>& priors, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error = path + ": is a folder, not a priors file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  return parsePriors(in, path, priors, error);
}

}  // namespace orvantis

#pragma once
// A named statistical distribution: type number, parameter count and parameters.

#include <array>
#include <string_view>
#include <vector>

#include "foundation/my_string.h"

namespace orvantis {

class TDistributionSettings {
 public:
  enum Type : unsigned {
    kUnknown = 0,
    kUniform = 1,
    kLogUniform = 2,
    kUniformDiscrete = 3,
    kPoisson = 4,
    kBinomial = 5,
    kNormal = 6,
    kLogNormal = 7,
    kExponential = 8,
    kMixtNormal = 9,
    kDiscreteValues = 10,
    kNormalTrunc = 11,
    kGamma = 12,
    kGamma2P = 13,
  };

  // Exact, case-sensitive match against the distribution names; 0 when none matches.
  static unsigned type_from_name(const my_string& name);
  static const char* name_of(unsigned type);
  // Number of parameters a type takes (0 for an unknown type).
  static int parameter_count_of(unsigned type);

  // Stores the type in any case; false when it is outside 1 to 13.
  bool set_type(unsigned type);
  unsigned type() const { return type_; }
  int num_parameters() const { return numParameters_; }

  void clear_parameters() { parameters_.clear(); }
  void add_parameter(double value) { parameters_.push_back(value); }
  int parameter_count() const { return static_cast<int>(parameters_.size()); }
  double parameter(int i) const { return parameters_[static_cast<std::size_t>(i)]; }
  double operator[](int i) const { return parameter(i); }
  const std::vector<double>& parameters() const { return parameters_; }

 private:
  unsigned type_ = kUnknown;
  int numParameters_ = 0;
  std::vector<double> parameters_;
};

}  // namespace orvantis

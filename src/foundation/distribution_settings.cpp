#include "foundation/distribution_settings.h"

#include <cstring>

namespace orvantis {

namespace {
struct DistributionInfo {
  const char* name;
  int parameters;
};
// Indexed by type number; entry 0 is the unknown type.
constexpr DistributionInfo kDistributions[] = {
    {"", 0},
    {"UNIFORM", 2},
    {"LOG_UNIFORM", 2},
    {"UNIFORM_DISCRETE", 2},
    {"POISSON", 1},
    {"BINOMIAL", 2},
    {"NORMAL", 2},
    {"LOGNORMAL", 2},
    {"EXPONENTIAL", 1},
    {"MIXT_NORMAL", 3},
    {"DISCRETE_VALUES", 100},
    {"NORMAL_TRUNC", 2},
    {"GAMMA", 1},
    {"GAMMA_2P", 2},
};
constexpr unsigned kLastType = 13;
}  // namespace

unsigned TDistributionSettings::type_from_name(const my_string& name) {
  for (unsigned t = 1; t <= kLastType; ++t) {
    if (std::strcmp(name.c_str(), kDistributions[t].name) == 0) return t;
  }
  return kUnknown;
}

const char* TDistributionSettings::name_of(unsigned type) {
  return type <= kLastType ? kDistributions[type].name : "";
}

int TDistributionSettings::parameter_count_of(unsigned type) {
  return type <= kLastType ? kDistributions[type].parameters : 0;
}

bool TDistributionSettings::set_type(unsigned type) {
  type_ = type;
  numParameters_ = parameter_count_of(type);
  return type >= 1 && type <= kLastType;
}

}  // namespace orvantis

#pragma once
// The priors file of a batch study: one line per settings key to draw,
//
//   KEY = DISTRIBUTION p1 [p2 ...]
//
// with a named distribution of the settings (TDistributionSettings: UNIFORM min max, LOG_UNIFORM
// min max, UNIFORM_DISCRETE min max, POISSON mean, BINOMIAL p n, NORMAL mean sd, LOGNORMAL a b,
// EXPONENTIAL rate, MIXT_NORMAL w s1 s2, DISCRETE_VALUES v1 v2 ..., NORMAL_TRUNC mean sd, GAMMA
// shape, GAMMA_2P shape rate). '#' starts a comment; blank lines are skipped. The key must be a
// numeric key of the settings, given once; the parameters must be numbers that the distribution
// can draw from.

#include <istream>
#include <string>
#include <vector>

#include "cli/priors_keys.h"
#include "foundation/distribution_settings.h"

namespace orvantis {

struct TPrior {
  std::string key;
  TKeyKind kind = TKeyKind::Unknown;  // Integer keys take rounded draws
  TDistributionSettings distribution;
  int line = 0;
};

// Reads the priors from `in`; `name` names the file in the messages. False with the first
// problem in `error` ("<name>, line <n>: <what>").
bool parsePriors(std::istream& in, const std::string& name, std::vector<TPrior>& priors,
                 std::string& error);
// The same from a file; an unreadable file is an error too.
bool readPriorsFile(const std::string& path, std::vector<TPrior>& priors, std::string& error);

// Why the parameters cannot be drawn from, "" when they can.
std::string impossibleParameters(const TDistributionSettings& distribution);

}  // namespace orvantis

#pragma once
// The genetic data of a deme: for every chromosome simulated so far, one data string per sampled
// gene, in the order of the deme's sample nodes. The mutation models fill them and the project
// file writes them.

#include <string>
#include <vector>

namespace orvantis {

class TLocus {
 public:
  std::vector<std::string> genes;  // one data string per sampled gene of the deme
};

using TLocusArray = std::vector<TLocus>;

}  // namespace orvantis

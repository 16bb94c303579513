#pragma once
// Haplotypes of the sampled genes over the sequence loci of a simulation: genes that carry the
// same state at every such locus share one identifier.

#include <vector>

#include "genetics/summary_statistics.h"

namespace orvantis {

// ids receives one identifier per gene of all samples, sample 0's genes first: equal exactly
// when the genes' states agree at every locus of `loci`. Identifiers run from 0 to the number
// of haplotypes - 1.
void assignHaplotypes(const TGeneticDataSet& data, const std::vector<int>& loci,
                      std::vector<int>& ids);

// Distinct identifiers among ids[first .. first + n) and the sum of their squared copy numbers;
// `scratch` is working room.
struct THaplotypeCounts {
  int distinct = 0;
  double sumOfSquaredCopies = 0.0;
};
THaplotypeCounts countHaplotypes(const int* ids, int n, std::vector<int>& scratch);

}  // namespace orvantis

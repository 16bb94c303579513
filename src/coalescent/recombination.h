#pragma once
// The pieces of a recombination event, as pure functions of a lineage and the per-locus rates:
// the lineage's rate, the breakpoint drawn from a uniform number, and the split of the lineage
// into the two new nodes.

#include "coalescent/genetic_parameters.h"
#include "genetics/node.h"

namespace orvantis {

class TTree;

// Sum of the rates between the lineage's first and last locus carrying material (rates
// firstLocus to lastLocus - 1); 0 when both are the same locus.
double lineageRecombinationRate(const TNode& lineage, const TRecRateArray& rates);

// The breakpoint for a uniform u in [0, 1): the first locus k from firstLocus on (k < lastLocus)
// at which u <= the running sum of rates[k] / R. A u left above the last running sum by
// rounding takes the last interval. Call only with R > 0.
int recombinationBreakpoint(const TNode& lineage, const TRecRateArray& rates, double R, double u);

// Splits lineage x at breakpoint b into two new nodes created at step E: `left` carries x's
// material of loci up to b and `right` the material above b. x gets left as ancestor and
// recombination ancestors left and right. 0 after logging when memory is refused.
[[nodiscard]] int splitLineage(TTree& genealogy, TNodeRef x, int b, int E, TNodeRef& left,
                               TNodeRef& right);

}  // namespace orvantis

#pragma once
// Dropping mutations on the genealogy of a chromosome.
//
// For every locus, the genealogy of that locus (from its root in TTree::roots, following the
// descendants that carry the locus) receives mutations under the locus's data type: a Poisson
// number with mean branch length x mutation rate on every branch (MICROSAT, RFLP, DNA), or
// exactly one mutation on a branch whose subtree holds at least the block's minimum frequency
// of the sample (SNP). Every node of a locus's genealogy ends with its allelic state in `data`;
// the deme data strings (locus_data.h) are built from the states of the sampled genes.
//
// Draws come from the collection's generator with its seed variable (ran3, poisson_dev), in
// the order of a depth-first walk: node, left subtree, right subtree. The counts (sites hit,
// tree length) and the working arrays live in the collection's TMutationState.

#include <functional>

namespace orvantis {

class TDemeCollection;

// Called after the mutations of one locus are placed, with the locus: the nodes of that locus's
// genealogy then hold its mutation counts (numMutations), which the next locus overwrites. The
// mutation tree of each locus is written from here.
using TLocusMutated = std::function<void(int locus)>;

// Places the mutations of loci 0..numLoci - 1 of the collection's genealogy with the per-locus
// and per-block parameters of the chromosome read last; `recombining` tells that the genealogy
// was built with recombination (each locus then has its own genealogy and root). Returns the
// number of mutations placed (SNP loci not counted). A locus without a root in the genealogy
// is skipped after a log line. `afterLocus`, when given, is called after each locus that received
// its mutations.
int mutateChromosome(TDemeCollection& collection, int numLoci, bool recombining,
                     const TLocusMutated& afterLocus = {});

}  // namespace orvantis

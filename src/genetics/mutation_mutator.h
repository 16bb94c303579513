#pragma once
// The work of one mutateChromosome call (mutation.h): the walk that drops Poisson mutations
// (mutation.cpp) and the SNP branch choice (mutation_snp.cpp), over the collection's genealogy
// and parameters, with the collection's TMutationState for counts and working arrays.

#include "coalescent/deme_collection.h"
#include "genetics/mutation.h"
#include "genetics/mutation_state.h"

namespace orvantis {

class TChromosomeMutator {
 public:
  TChromosomeMutator(TDemeCollection& collection, int numLoci, bool recombining,
                     const TLocusMutated& afterLocus);
  int run();

 private:
  // Block map, per-block DNA tables, per-locus rates with their gamma weights.
  bool prepare();
  // Mutations below the root of locus i; returns their number.
  long long dropMutations(TNodeRef root, int locus);
  void mutateState(TNode& node, int locus, int type);

  // SNP (mutation_snp.cpp).
  void mutateSnp(TNodeRef root, int locus);
  // The nodes of the genealogy of locus i from its root, depth first (node, left, right),
  // passing through the nodes that are not coalescences of the locus, with the sampled genes
  // below each (walk_, walkCounts_).
  void walkLocus(TNodeRef root, int locus);
  TNodeRef reachCoalescence(TNodeRef from, int locus) const;
  void buildCandidates(TSnpCandidates& cache, double threshold);
  TNodeRef chooseBranch(const TSnpCandidates& cache);
  void assignSnpStates(int locus, int ancestral, TNodeRef chosen);

  bool carries(TNodeRef ref, int locus) const {
    return ref != kNoNode && tree_.node(ref).carries(locus);
  }
  // The node's data array for numLoci_ loci (created with zeros when absent).
  void ensureData(TNode& node) const;

  TDemeCollection& collection_;
  TTree& tree_;
  const TGeneticParameters& parameters_;
  TMutationState& state_;
  int numLoci_;
  bool recombining_;
  TLocusMutated afterLocus_;
};

}  // namespace orvantis

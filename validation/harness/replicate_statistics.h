#pragma once
// What the validation suite reads from one genealogy once its mutations are placed: the times of
// its roots, its length, and the diversity of the sampled genes at the DNA and microsatellite
// loci. One fixed-width record of doubles per genealogy, so that numpy reads a whole file at once.

#include <array>
#include <cstddef>
#include <ostream>

namespace orvantis {

class TDemeCollection;
class TTree;

// Columns of a record; the suite's reader names them in this order.
enum class TReplicateColumn : std::size_t {
  Finished,           // 1 when every genealogy of the simulation was finished, else 0
  RootTimeFirst,      // time (in generations before the present) of locus 0's root
  RootTimeLast,       // the same for the chromosome's last locus
  TotalLength,        // sum of the branch lengths of the genealogy (NaN when it recombines)
  PairTime,           // time of the common ancestor of the first two genes (NaN: recombination)
  DnaMutations,       // mutations that hit the DNA loci
  DnaSegregating,     // DNA loci whose sampled genes do not all carry the same base
  DnaPairwise,        // mean over pairs of genes of the DNA loci at which they differ
  MicrosatMutations,  // mutations that hit the microsatellite loci
  MicrosatVariance,   // mean over microsatellite loci of the sample variance of repeat numbers
  Count
};

constexpr std::size_t kReplicateColumns = static_cast<std::size_t>(TReplicateColumn::Count);
using TReplicateRecord = std::array<double, kReplicateColumns>;

// A record of NaN with Finished 0: the simulation whose genealogy could not be finished.
TReplicateRecord unfinishedRecord();

// Measures the genealogy of the chromosome just mutated in `collection` (before its demes are
// reset). `recombining`: the chromosome was built with recombination, so its loci have their own
// genealogies and only the roots' times are read.
TReplicateRecord measureGenealogy(const TDemeCollection& collection, bool recombining);

void writeRecord(std::ostream& out, const TReplicateRecord& record);

// The parts of a record, for a genealogy whose loci share one tree (no recombination).
// Sum of (parent time - child time) over the branches below the root of locus 0; NaN without a
// root.
double totalLength(const TTree& tree);
// Time of the most recent common ancestor of tips 0 and 1; NaN when they have none.
double pairTime(const TTree& tree);
// At one locus of the sampled genes: whether they carry more than one state, and the number of
// pairs of genes whose states differ.
struct TSiteDiversity {
  bool segregating = false;
  double differingPairs = 0.0;
};
TSiteDiversity siteDiversity(const TTree& tree, int locus);
// Sample variance (n - 1 in the denominator) of the states of the sampled genes at one locus.
double sampleVariance(const TTree& tree, int locus);

}  // namespace orvantis

#pragma once
// What the validation suite reads from one genealogy once its mutations are placed: the times of
// its roots, its length, and the diversity of the sampled genes at the DNA and microsatellite
// loci. One fixed-width record of doubles per genealogy, so that numpy reads a whole file at once.

#include <array>
#include <cstddef>
#include <ostream>

namespace orvantis {

class TDemeCollection;

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

}  // namespace orvantis

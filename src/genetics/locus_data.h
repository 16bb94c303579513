#pragma once
// The genetic data of a deme: for every chromosome simulated so far, one data string per sampled
// gene, in the order of the deme's sample nodes. Built from the allelic states that the mutation
// process left on the genes (mutation.h) and written by the project file (project_file.h).
//
// A data string runs over the loci of the chromosome:
//   DNA       the base letter ("AGCT"), then a space when the next locus has another type
//   SNP       "012"[state] and a space
//   MICROSAT  state + 500 in decimal and a space
//   RFLP      the state in decimal, no separator

#include <string>
#include <vector>

namespace orvantis {

class TDeme;
class TDemeCollection;

class TLocus {
 public:
  std::vector<std::string> genes;  // one data string per sampled gene of the deme
  int numGenes() const { return static_cast<int>(genes.size()); }
};

using TLocusArray = std::vector<TLocus>;

// Offset added to microsatellite repeat numbers in the data strings.
inline constexpr int kMicrosatDataOffset = 500;

// Appends to `out` the data string of a gene with `numSites` states, with types[k] the data
// type of locus k.
void appendDataString(std::string& out, const int* states, int numSites, const int* types);

// Appends to the deme's data one TLocus with the data strings of its sampled genes for the
// chromosome just mutated (states of the collection's genealogy, types of the chromosome read
// last). A gene without states gets an empty string; the number of loci is the first gene's.
void writeDemeData(TDeme& deme);
// writeDemeData for every deme of the initial deme list that holds sampled genes: after the
// mutations of a chromosome, before the demes are reset.
void storeDemeData(TDemeCollection& collection);

}  // namespace orvantis

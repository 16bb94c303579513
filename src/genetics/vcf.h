#pragma once
// The simulated data of one genetic simulation as a VCF 4.2 file (B_<s>.vcf, beside the
// project file B_<s>.arp), for the population-genetics tools that read VCF.
//
//   CHROM    the chromosome number (from 1); POS the locus's position along its chromosome
//            (from 1, blocks in the order of the genetic parameters file); ID, QUAL, INFO "."
//            and FILTER "PASS"; FORMAT "GT".
//   records  one per DNA or SNP locus whose sampled genes carry at least two states; loci of
//            other types (microsatellites, RFLP) are left out, which a header line says.
//   DNA      REF the ancestral base (the state of the locus's root), ALT the other bases the
//            genes carry in the order A, C, G, T (several for a site hit more than once).
//   SNP      no bases exist: REF "A" stands for the ancestral state, ALT "C" for the derived
//            state (the one mutation of the locus). A and C, not a complementary pair such as
//            A and T, so that quality filters dropping strand-ambiguous sites keep them.
//   columns  one per sampled gene with a haploid genotype ("0", "1", "." for a gene without
//            a state), or, with GenotypicData 1, one per individual (two consecutive genes of
//            a sample, as the project file pairs them) with an unphased genotype "0/1";
//            named as the project file's labels (sample number "_" gene or individual number).
//
// The writer is built from a collection whose samples are read; the records of a chromosome
// are written from the states its genealogy holds after the mutations (before resetDemes).

#include <ostream>
#include <string>
#include <vector>

#include "genetics/node.h"

namespace orvantis {

class TDemeCollection;

// B, "_", the simulation number (from 1), ".vcf".
std::string vcfFileName(const std::string& baseName, int simulation);

class TVcfWriter {
 public:
  TVcfWriter(const TDemeCollection& collection, int genotypicData);

  // The meta-information lines and the column heading; `chromosomeLoci[c]` is the number of
  // loci of chromosome c + 1.
  void writeHeader(std::ostream& out, int simulation, const std::vector<int>& chromosomeLoci) const;
  // The records of the polymorphic DNA and SNP loci of `chromosome` (from 1), the collection's
  // genealogy holding its states. Returns the number of records written.
  int writeChromosome(std::ostream& out, const TDemeCollection& collection, int chromosome);

  int numColumns() const { return static_cast<int>(names_.size()); }

 private:
  bool genotypic_;
  std::vector<std::string> names_;  // column names
  std::vector<TNodeRef> genes_;     // tip of each gene, in column order (two per individual)
  std::vector<int> states_;         // scratch: allele index of each gene at one locus, -1 none
  std::string line_;                // scratch: one record
};

}  // namespace orvantis

#pragma once
// The texts of the coalescence statistics: the final results of a run of one chromosome (data
// type, mutation rates, the deme-by-deme matrices, the mean tree lengths) and the temporal
// coalescence file (the generation of every coalescence of every genealogy).

#include <ostream>
#include <string>

namespace orvantis {

class TPairStatistics;
class TTree;
class TTreeLengthSums;

// What the final results report besides the matrices and the tree-length sums.
struct TFinalResultsInput {
  int dataType = 0;           // file-level data type of the run
  double alpha = 0.0;         // gamma shape of the mutation rates (DNA)
  int numLoci = 0;            // loci L of the chromosome
  float mutationRate = 0.0f;  // of the chromosome's last block
  int numSimulations = 0;     // NumGeneticSimulations
  long long totalLoci = 0;    // linked loci of all chromosomes (divides the tree lengths)
};

// Turns the matrices into means and S.D.s (over the genealogies that entered them, which is the
// number of simulations unless some genealogy failed) and writes the final results text.
void writeFinalResults(std::ostream& out, const TFinalResultsInput& input,
                       TPairStatistics& statistics, const TTreeLengthSums& sums);

// B.coal for the output base name B.
std::string temporalCoalescenceFileName(const std::string& baseName);
// "Coalescence times for every simulations" and a line end, once per run.
void writeTemporalCoalescenceHeading(std::ostream& out);
// "Sim_<s>_Chrom_<c>" and, for each coalescence node in order of creation (ranks n to 2n - 2),
// a blank and the generation of its first location step; a line end.
void writeCoalescenceTimes(std::ostream& out, const TTree& tree, int simulation, int chromosome);
// A genealogy with recombination: " No coalescence distribution when recombination occurs!" in
// the temporal coalescence file when there is one (null otherwise), and the warning that the
// MRCA map cannot be trusted in the log.
void writeRecombinationNotice(std::ostream* temporalFile, std::ostream& log);

}  // namespace orvantis

#pragma once
// The PAUP command file of one simulation and chromosome: a header with the simulation
// conditions, the data matrix of the sampled genes, the true genealogy of every locus with its
// branch lengths in generations, and the commands that make PAUP score these trees by likelihood
// and save them with estimated branch lengths.
//
// The run writes it in two parts: the opening (steps 1 to 4) once the genealogy is built, the
// rest once the mutations are placed.

#include <ostream>
#include <string>

namespace orvantis {

class TDemeCollection;
class TTree;

// B_sim<s>_chrom<c>.pau and the log file PAUP writes, B_sim<s>_chrom<c>.log.
std::string paupFileName(const std::string& baseName, int simulation, int chromosome);
std::string paupLogFileName(const std::string& baseName, int simulation, int chromosome);

// The simulation conditions the header reports.
struct TPaupConditions {
  int numTaxa = 0;            // sampled genes n
  int numLoci = 0;            // loci L of the chromosome
  int numDemes = 0;           // demes of the initial deme list
  float mutationRate = 0.0f;  // of the chromosome's last block; the header shows it per locus
  double alpha = 0.0;         // gamma shape of the mutation rates, 0 without heterogeneity
};

// Header, the command that starts PAUP's log, the replicate number and the opening of the data
// block with the data type of the run (microsat, rflp, dna; nothing for other types).
void writePaupOpening(std::ostream& out, const TPaupConditions& conditions,
                      const std::string& logFileName, int simulation, int dataType);

// The matrix rows and the end of the data block: for every deme of the initial deme list, every
// sampled gene that holds data, labelled "<node number>.<deme number + 1>" as in the trees, then
// its states: DNA letters, microsatellite repeats + 10000 each followed by a space, any other
// type (STANDARD, RFLP, SNP) decimal integers without separators.
void writePaupMatrix(std::ostream& out, const TDemeCollection& collection, int dataType);

// The trees block with the genealogy of every locus (generations), the tree length per locus and
// the number of sites hit, the likelihood commands (gamma rates when |alpha| > 1e-7) and the
// footer that stops PAUP.
void writePaupTreesAndCommands(std::ostream& out, const TTree& tree, int simulation, int chromosome,
                               double treeLength, int sitesHit, double alpha);

}  // namespace orvantis

#pragma once
// The genetic parameters file: chromosomes made of linkage blocks of loci, each block with one
// data type, a number of loci, a recombination rate between adjacent loci and the mutation
// parameters of its type.
//
//   line 1: the number of chromosomes C
//   per chromosome: a line holding "#chromosome", a line whose first number is the number of
//   blocks B, then B block lines: type word, loci, recombination rate, type parameters
//     MICROSAT  mutation rate, second mutation parameter, range constraint (0 = none)
//     RFLP      mutation rate
//     DNA       mutation rate, then FreqA FreqC FreqG FreqT and RateAC AG AT CG CT GT
//     SNP       minimum frequency (mutation rate 0)
//
// The type is the first of MICROSAT, DNA, SNP and RFLP found in the block line, letter case as
// written. A parameter that a block's type does not give keeps the previous block's value (0 for
// the first block of a chromosome); absent DNA values read as 0. Every damage (a missing
// section or line, a field that is not a number, a count out of bounds, a negative or infinite
// rate) refuses the file with a log line naming the file, the line and the chromosome.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace orvantis {

class TWindowServices;

// Data type codes. STANDARD is never read from the file: it marks outputs whose blocks mix
// several types.
enum TDataType : int { MICROSAT = 0, RFLP = 1, DNA = 2, STANDARD = 3, SNP = 4 };
const char* dataTypeName(int type);

// Bounds that keep a damaged file from asking for absurd amounts of memory.
inline constexpr int kMaxChromosomes = 100000;
inline constexpr int kMaxBlocks = 1000000;
inline constexpr int kMaxLociPerChromosome = 10000000;

// Recombination rate per locus: rate k applies between locus k and locus k + 1.
using TRecRateArray = std::vector<double>;

struct TDnaValues {
  float freqA = 0, freqC = 0, freqG = 0, freqT = 0;
  float rateAC = 0, rateAG = 0, rateAT = 0, rateCG = 0, rateCT = 0, rateGT = 0;
};

// One linkage block as read.
struct TBlockParameters {
  int type = MICROSAT;
  int numLoci = 0;
  double recRate = 0.0;
  float mutationRate = 0.0f;
  int rangeConstraint = 0;         // MICROSAT: 0 means none
  double microsatParameter = 0.0;  // MICROSAT: the second mutation parameter
  double snpMinFrequency = 0.0;    // SNP
  TDnaValues dna;                  // DNA
};

// The number of chromosomes on line 1, or 0 after logging when the file cannot be opened, its
// first line holds no number or the number exceeds kMaxChromosomes.
int readNumChromosomes(const std::string& fileName, std::ostream& log);
// 1 when there is at least one chromosome; otherwise logs the error, shows a box and gives 0:
// no genetic simulation is run.
[[nodiscard]] int checkNumChromosomes(int numChromosomes, std::ostream& log,
                                      TWindowServices& window);

class TGeneticParameters {
 public:
  // --- Per run ---

  // Sizes the per-chromosome values for C chromosomes (all empty).
  void setNumChromosomes(int numChromosomes);
  int numChromosomes() const { return static_cast<int>(blocksPerChromosome_.size()); }
  // Blocks of chromosome c, the sum of their recombination rates and their numbers of loci, as
  // set by its last reading (0 and empty before).
  int numBlocksOfChromosome(int c) const { return blocksPerChromosome_[index(c)]; }
  double blockRecRateSum(int c) const { return recRateSumPerChromosome_[index(c)]; }
  const std::vector<int>& blockLociOfChromosome(int c) const { return lociPerBlock_[index(c)]; }

  // Sum of the loci of every block line of every chromosome. 1 after logging when the file
  // cannot be opened or is damaged. Expects exactly one line before each count line.
  int countAllLoci(const std::string& fileName, std::ostream& log);

  // Reads chromosome c (from 0) into the per-locus and per-block arrays, replacing the last
  // chromosome's, logs its blocks and computes numLoci and totalRecRate. 0 after logging (the
  // arrays then empty) when the file cannot be opened or is damaged, or c is not a chromosome
  // of the run.
  [[nodiscard]] int readChromosome(const std::string& fileName, int c, std::ostream& log);
  // Empties the per-locus and per-block arrays (after every genealogy).
  void clearChromosome();

  // --- The chromosome read last ---

  int numLoci() const { return numLoci_; }
  // Sum of the rates of loci 0 to numLoci - 2, accumulated in single precision.
  double totalRecRate() const { return totalRecRate_; }
  int numBlocks() const { return static_cast<int>(blocks_.size()); }

  // By locus.
  const TRecRateArray& recRates() const { return recRates_; }
  double recRate(int locus) const { return recRates_[index(locus)]; }
  float mutationRate(int locus) const { return mutationRates_[index(locus)]; }
  int dataType(int locus) const { return dataTypes_[index(locus)]; }
  double rangeConstraint(int locus) const { return rangeConstraints_[index(locus)]; }
  double microsatParameter(int locus) const { return microsatParameters_[index(locus)]; }

  // By block.
  const TBlockParameters& block(int b) const { return blocks_[index(b)]; }
  int blockLoci(int b) const { return block(b).numLoci; }
  double snpMinFrequency(int b) const { return block(b).snpMinFrequency; }
  const TDnaValues& dna(int b) const { return block(b).dna; }
  // First locus of block b.
  int firstLocusOfBlock(int b) const { return firstLocus_[index(b)]; }

 private:
  static std::size_t index(int i) { return static_cast<std::size_t>(i); }
  int fail();

  std::vector<int> blocksPerChromosome_;
  std::vector<double> recRateSumPerChromosome_;
  std::vector<std::vector<int>> lociPerBlock_;

  int numLoci_ = 0;
  double totalRecRate_ = 0.0;
  TRecRateArray recRates_;
  std::vector<float> mutationRates_;
  std::vector<int> dataTypes_;
  std::vector<double> rangeConstraints_;
  std::vector<double> microsatParameters_;
  std::vector<TBlockParameters> blocks_;
  std::vector<int> firstLocus_;
};

}  // namespace orvantis

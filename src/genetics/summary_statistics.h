#pragma once
// Summary statistics of the genetic data of one simulation, the quantities that approximate
// Bayesian computation compares with the observed data: diversity within every sample and in all
// samples pooled, and differentiation between every pair of samples. Computed from the allelic
// states of the sampled genes, one haploid gene at a time (genotypic data too); the formulas and
// their sources are listed in the genetics README.
//
// Sequence statistics use the loci of types DNA, SNP and RFLP, each locus one site; the
// haplotype of a gene is its states at all those loci, over every chromosome. Microsatellite
// statistics use the MICROSAT loci, whose states are repeat numbers, and are means over loci.
// A statistic that the data cannot give (too few genes, no variation where a ratio needs some)
// is NaN.

#include <limits>
#include <string>
#include <vector>

namespace orvantis {

inline constexpr double kNoStatistic = std::numeric_limits<double>::quiet_NaN();

// The genes of one sample, locus-major: states[locus * numGenes + gene].
struct TSampleStates {
  std::string name;
  int numGenes = 0;
  std::vector<int> states;

  int state(int locus, int gene) const {
    return states[static_cast<std::size_t>(locus) * static_cast<std::size_t>(numGenes) +
                  static_cast<std::size_t>(gene)];
  }
  // The states of one locus, numGenes of them.
  const int* locus(int l) const {
    return states.data() + static_cast<std::size_t>(l) * static_cast<std::size_t>(numGenes);
  }
};

// The data of one simulation: the data type code of every locus (the loci of all chromosomes in
// order) and the samples in the order of the sample file.
struct TGeneticDataSet {
  std::vector<int> locusTypes;
  std::vector<TSampleStates> samples;

  int numLoci() const { return static_cast<int>(locusTypes.size()); }
  // Every sample holds numLoci x numGenes states; otherwise false with the reason.
  bool consistent(std::string* problem = nullptr) const;
};

struct TSequenceStatistics {
  double haplotypes = kNoStatistic;               // number of distinct haplotypes
  double haplotypeDiversity = kNoStatistic;       // Nei's unbiased gene diversity of haplotypes
  double segregatingSites = kNoStatistic;         // sites with more than one state
  double meanPairwiseDifferences = kNoStatistic;  // pi: sites differing, mean over pairs
  double tajimaD = kNoStatistic;
};

struct TMicrosatStatistics {
  double alleles = kNoStatistic;           // number of alleles
  double heterozygosity = kNoStatistic;    // expected heterozygosity (unbiased)
  double sizeVariance = kNoStatistic;      // variance of allele size (unbiased)
  double garzaWilliamsonM = kNoStatistic;  // alleles / (size range + 1)
};

struct TGroupStatistics {
  TSequenceStatistics sequence;
  TMicrosatStatistics microsat;
};

// Between samples `first` and `second` (first < second).
struct TSamplePairStatistics {
  int first = 0;
  int second = 0;
  double meanPairwiseDifferences = kNoStatistic;  // d_xy: sites differing, mean over cross pairs
  double fst = kNoStatistic;                      // Hudson's F_ST
  double deltaMuSquared = kNoStatistic;           // (mean size difference)^2, mean over loci
  double rst = kNoStatistic;                      // Slatkin's R_ST
};

struct TSummaryStatistics {
  bool hasSequences = false;  // the data hold DNA, SNP or RFLP loci
  bool hasMicrosats = false;  // the data hold MICROSAT loci
  std::vector<TGroupStatistics> samples;
  TGroupStatistics pooled;
  std::vector<TSamplePairStatistics> pairs;  // (0,1), (0,2), ..., (1,2), ...
};

// True for the data types whose loci count as sequence sites.
bool isSequenceType(int type);

// Every statistic of the data set. The data must be consistent().
TSummaryStatistics computeSummaryStatistics(const TGeneticDataSet& data);

// Tajima's D of a sample of n genes with S segregating sites and a mean number of pairwise
// differences pi; NaN when n < 4 (the variance vanishes) or S = 0.
double tajimaD(int n, double segregatingSites, double meanPairwiseDifferences);

}  // namespace orvantis

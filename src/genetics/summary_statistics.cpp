#include "genetics/summary_statistics.h"

#include <cmath>
#include <cstddef>

#include "coalescent/genetic_parameters.h"
#include "genetics/allele_counts.h"
#include "genetics/haplotypes.h"

namespace orvantis {

bool isSequenceType(int type) {
  return type == DNA || type == SNP || type == RFLP;
}

bool TGeneticDataSet::consistent(std::string* problem) const {
  for (const TSampleStates& sample : samples) {
    const std::size_t expected =
        static_cast<std::size_t>(numLoci()) * static_cast<std::size_t>(sample.numGenes);
    if (sample.numGenes < 0 || sample.states.size() != expected) {
      if (problem != nullptr) {
        *problem = "sample '" + sample.name + "' holds " + std::to_string(sample.states.size()) +
                   " states for " + std::to_string(sample.numGenes) + " genes and " +
                   std::to_string(numLoci()) + " loci";
      }
      return false;
    }
  }
  return true;
}

double tajimaD(int n, double segregatingSites, double meanPairwiseDifferences) {
  if (n < 4 || !(segregatingSites > 0.0)) return kNoStatistic;
  double a1 = 0.0;
  double a2 = 0.0;
  for (int i = 1; i < n; ++i) {
    a1 += 1.0 / i;
    a2 += 1.0 / (static_cast<double>(i) * i);
  }
  const double nd = n;
  const double b1 = (nd + 1.0) / (3.0 * (nd - 1.0));
  const double b2 = 2.0 * (nd * nd + nd + 3.0) / (9.0 * nd * (nd - 1.0));
  const double c1 = b1 - 1.0 / a1;
  const double c2 = b2 - (nd + 2.0) / (a1 * nd) + a2 / (a1 * a1);
  const double e1 = c1 / a1;
  const double e2 = c2 / (a1 * a1 + a2);
  const double S = segregatingSites;
  const double variance = e1 * S + e2 * S * (S - 1.0);
  if (!(variance > 0.0)) return kNoStatistic;
  return (meanPairwiseDifferences - S / a1) / std::sqrt(variance);
}

namespace {

double pairsOf(double n) {
  return n * (n - 1.0) / 2.0;
}

// Sums over the loci of one type for one group of genes (a sample, or all samples pooled).
struct TGroupSums {
  long long genes = 0;
  // Sequence loci.
  double segregating = 0.0;
  double differingPairs = 0.0;
  // Microsatellite loci: sums of the per-locus values and the loci they cover.
  double alleles = 0.0;
  double heterozygosity = 0.0;
  double variance = 0.0;
  double garzaWilliamson = 0.0;
  int lociWithGenes = 0;
  int lociWithPairs = 0;
};

struct TPairSums {
  double crossDiffering = 0.0;  // sequence loci: cross pairs carrying different states
  double squaredMeanDifferences = 0.0;
  double pooledTwiceVariance = 0.0;  // S-bar of R_ST, summed over loci
  double withinTwiceVariance = 0.0;  // S_W of R_ST (mean of twice each variance), summed
  int lociWithGenes = 0;
  int lociWithPairs = 0;
};

void addSequenceLocus(const TAlleleCounts& counts, TGroupSums& sums) {
  const double n = static_cast<double>(countedGenes(counts));
  if (counts.size() > 1) sums.segregating += 1.0;
  sums.differingPairs += (n * n - sumOfSquaredCopies(counts)) / 2.0;
}

void addMicrosatLocus(const TAlleleCounts& counts, TGroupSums& sums) {
  const TSizeMoments moments = sizeMoments(counts);
  if (moments.n == 0) return;
  const double n = static_cast<double>(moments.n);
  const double alleles = static_cast<double>(counts.size());
  const double range = static_cast<double>(counts.back().first) - counts.front().first;
  sums.alleles += alleles;
  sums.garzaWilliamson += alleles / (range + 1.0);
  ++sums.lociWithGenes;
  if (moments.n < 2) return;
  sums.heterozygosity += n / (n - 1.0) * (1.0 - sumOfSquaredCopies(counts) / (n * n));
  sums.variance += moments.squaredDeviations / (n - 1.0);
  ++sums.lociWithPairs;
}

void addMicrosatPair(const TSizeMoments& a, const TSizeMoments& b, TPairSums& sums) {
  if (a.n == 0 || b.n == 0) return;
  const double difference = a.mean - b.mean;
  sums.squaredMeanDifferences += difference * difference;
  ++sums.lociWithGenes;
  if (a.n < 2 || b.n < 2) return;
  const TSizeMoments both = combinedMoments(a, b);
  sums.pooledTwiceVariance += 2.0 * both.squaredDeviations / static_cast<double>(both.n - 1);
  // The mean of 2 Var_a and 2 Var_b.
  sums.withinTwiceVariance += a.squaredDeviations / static_cast<double>(a.n - 1) +
                              b.squaredDeviations / static_cast<double>(b.n - 1);
  ++sums.lociWithPairs;
}

TMicrosatStatistics microsatStatistics(const TGroupSums& sums) {
  TMicrosatStatistics s;
  if (sums.lociWithGenes > 0) {
    s.alleles = sums.alleles / sums.lociWithGenes;
    s.garzaWilliamsonM = sums.garzaWilliamson / sums.lociWithGenes;
  }
  if (sums.lociWithPairs > 0) {
    s.heterozygosity = sums.heterozygosity / sums.lociWithPairs;
    s.sizeVariance = sums.variance / sums.lociWithPairs;
  }
  return s;
}

TSequenceStatistics sequenceStatistics(const TGroupSums& sums, THaplotypeCounts haplotypes) {
  TSequenceStatistics s;
  const double n = static_cast<double>(sums.genes);
  if (sums.genes == 0) return s;
  s.haplotypes = haplotypes.distinct;
  s.segregatingSites = sums.segregating;
  if (sums.genes < 2) return s;
  s.haplotypeDiversity = n / (n - 1.0) * (1.0 - haplotypes.sumOfSquaredCopies / (n * n));
  s.meanPairwiseDifferences = sums.differingPairs / pairsOf(n);
  s.tajimaD = tajimaD(static_cast<int>(sums.genes), s.segregatingSites, s.meanPairwiseDifferences);
  return s;
}

// The statistics of one simulation, locus by locus with per-locus allele counts of every
// sample; the scratch arrays keep their room from one locus to the next.
class TSummaryCalculator {
 public:
  explicit TSummaryCalculator(const TGeneticDataSet& data)
      : data_(data),
        numSamples_(static_cast<int>(data.samples.size())),
        counts_(data.samples.size()),
        moments_(data.samples.size()),
        sampleSums_(data.samples.size()),
        pairSums_(data.samples.size() * (data.samples.size() - (data.samples.empty() ? 0 : 1)) /
                  2) {
    for (int s = 0; s < numSamples_; ++s) {
      sampleSums_[static_cast<std::size_t>(s)].genes =
          data.samples[static_cast<std::size_t>(s)].numGenes;
      pooledSums_.genes += data.samples[static_cast<std::size_t>(s)].numGenes;
    }
  }

  TSummaryStatistics compute() {
    std::vector<int> sequenceLoci;
    for (int l = 0; l < data_.numLoci(); ++l) {
      const int type = data_.locusTypes[static_cast<std::size_t>(l)];
      if (isSequenceType(type)) {
        sequenceLoci.push_back(l);
        addLocus(l, true);
        result_.hasSequences = true;
      } else if (type == MICROSAT) {
        addLocus(l, false);
        result_.hasMicrosats = true;
      }
    }
    std::vector<int> haplotypeIds;
    if (result_.hasSequences) assignHaplotypes(data_, sequenceLoci, haplotypeIds);
    finish(haplotypeIds);
    return result_;
  }

 private:
  void addLocus(int l, bool sequence) {
    pooledStates_.clear();
    for (int s = 0; s < numSamples_; ++s) {
      const TSampleStates& sample = data_.samples[static_cast<std::size_t>(s)];
      const int* states = sample.locus(l);
      countAlleles(states, sample.numGenes, scratch_, counts_[static_cast<std::size_t>(s)]);
      pooledStates_.insert(pooledStates_.end(), states, states + sample.numGenes);
    }
    countAlleles(pooledStates_.data(), static_cast<int>(pooledStates_.size()), scratch_,
                 pooledCounts_);
    if (sequence) {
      for (int s = 0; s < numSamples_; ++s) {
        addSequenceLocus(counts_[static_cast<std::size_t>(s)],
                         sampleSums_[static_cast<std::size_t>(s)]);
      }
      addSequenceLocus(pooledCounts_, pooledSums_);
      std::size_t p = 0;
      for (int a = 0; a < numSamples_; ++a) {
        const TAlleleCounts& ca = counts_[static_cast<std::size_t>(a)];
        const double na = static_cast<double>(countedGenes(ca));
        for (int b = a + 1; b < numSamples_; ++b, ++p) {
          const TAlleleCounts& cb = counts_[static_cast<std::size_t>(b)];
          pairSums_[p].crossDiffering +=
              na * static_cast<double>(countedGenes(cb)) - sharedPairs(ca, cb);
        }
      }
      return;
    }
    for (int s = 0; s < numSamples_; ++s) {
      addMicrosatLocus(counts_[static_cast<std::size_t>(s)],
                       sampleSums_[static_cast<std::size_t>(s)]);
      moments_[static_cast<std::size_t>(s)] = sizeMoments(counts_[static_cast<std::size_t>(s)]);
    }
    addMicrosatLocus(pooledCounts_, pooledSums_);
    std::size_t p = 0;
    for (int a = 0; a < numSamples_; ++a) {
      for (int b = a + 1; b < numSamples_; ++b, ++p) {
        addMicrosatPair(moments_[static_cast<std::size_t>(a)],
                        moments_[static_cast<std::size_t>(b)], pairSums_[p]);
      }
    }
  }

  void finish(const std::vector<int>& haplotypeIds) {
    result_.samples.resize(static_cast<std::size_t>(numSamples_));
    std::size_t offset = 0;
    for (int s = 0; s < numSamples_; ++s) {
      const TGroupSums& sums = sampleSums_[static_cast<std::size_t>(s)];
      TGroupStatistics& group = result_.samples[static_cast<std::size_t>(s)];
      if (result_.hasSequences) {
        const int n = static_cast<int>(sums.genes);
        group.sequence =
            sequenceStatistics(sums, countHaplotypes(haplotypeIds.data() + offset, n, scratch_));
        offset += static_cast<std::size_t>(n);
      }
      if (result_.hasMicrosats) group.microsat = microsatStatistics(sums);
    }
    if (result_.hasSequences) {
      result_.pooled.sequence = sequenceStatistics(
          pooledSums_,
          countHaplotypes(haplotypeIds.data(), static_cast<int>(haplotypeIds.size()), scratch_));
    }
    if (result_.hasMicrosats) result_.pooled.microsat = microsatStatistics(pooledSums_);

    std::size_t p = 0;
    for (int a = 0; a < numSamples_; ++a) {
      for (int b = a + 1; b < numSamples_; ++b, ++p) {
        result_.pairs.push_back(pairStatistics(a, b, pairSums_[p]));
      }
    }
  }

  TSamplePairStatistics pairStatistics(int a, int b, const TPairSums& sums) const {
    TSamplePairStatistics pair;
    pair.first = a;
    pair.second = b;
    const double na = static_cast<double>(sampleSums_[static_cast<std::size_t>(a)].genes);
    const double nb = static_cast<double>(sampleSums_[static_cast<std::size_t>(b)].genes);
    if (result_.hasSequences && na > 0 && nb > 0) {
      // Hudson, Slatkin and Maddison (1992): F_ST = 1 - H_w / H_b, H_w the mean of the two
      // samples' pi, H_b the mean difference between genes of different samples.
      pair.meanPairwiseDifferences = sums.crossDiffering / (na * nb);
      const double piA =
          result_.samples[static_cast<std::size_t>(a)].sequence.meanPairwiseDifferences;
      const double piB =
          result_.samples[static_cast<std::size_t>(b)].sequence.meanPairwiseDifferences;
      if (na >= 2 && nb >= 2 && pair.meanPairwiseDifferences > 0.0) {
        pair.fst = 1.0 - (piA + piB) / 2.0 / pair.meanPairwiseDifferences;
      }
    }
    if (result_.hasMicrosats) {
      if (sums.lociWithGenes > 0)
        pair.deltaMuSquared = sums.squaredMeanDifferences / sums.lociWithGenes;
      // Slatkin (1995): R_ST = (S - S_W) / S, S twice the variance of allele size in the two
      // samples pooled, S_W the mean of twice the variance within each, both averaged over loci.
      if (sums.lociWithPairs > 0 && sums.pooledTwiceVariance > 0.0) {
        pair.rst = (sums.pooledTwiceVariance - sums.withinTwiceVariance) / sums.pooledTwiceVariance;
      }
    }
    return pair;
  }

  const TGeneticDataSet& data_;
  int numSamples_;
  std::vector<TAlleleCounts> counts_;
  std::vector<TSizeMoments> moments_;
  TAlleleCounts pooledCounts_;
  std::vector<int> pooledStates_;
  std::vector<int> scratch_;
  std::vector<TGroupSums> sampleSums_;
  TGroupSums pooledSums_;
  std::vector<TPairSums> pairSums_;
  TSummaryStatistics result_;
};

}  // namespace

TSummaryStatistics computeSummaryStatistics(const TGeneticDataSet& data) {
  return TSummaryCalculator(data).compute();
}

}  // namespace orvantis

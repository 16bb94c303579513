#include "genetics/haplotypes.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace orvantis {

namespace {

// One step of a 64-bit mixing function (the finaliser of MurmurHash3) over a state.
std::uint64_t mix(std::uint64_t h, int state) {
  h ^= static_cast<std::uint32_t>(state) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

struct TGeneRef {
  int sample;
  int gene;
};

bool sameRow(const TGeneticDataSet& data, const std::vector<int>& loci, TGeneRef a, TGeneRef b) {
  const TSampleStates& sa = data.samples[static_cast<std::size_t>(a.sample)];
  const TSampleStates& sb = data.samples[static_cast<std::size_t>(b.sample)];
  for (int l : loci) {
    if (sa.state(l, a.gene) != sb.state(l, b.gene)) return false;
  }
  return true;
}

}  // namespace

void assignHaplotypes(const TGeneticDataSet& data, const std::vector<int>& loci,
                      std::vector<int>& ids) {
  std::vector<TGeneRef> genes;
  for (int s = 0; s < static_cast<int>(data.samples.size()); ++s) {
    for (int g = 0; g < data.samples[static_cast<std::size_t>(s)].numGenes; ++g) {
      genes.push_back({s, g});
    }
  }
  const std::size_t total = genes.size();
  // A hash of every gene's row, built locus by locus (the states are stored by locus).
  std::vector<std::uint64_t> hashes(total, 0);
  for (int l : loci) {
    std::size_t k = 0;
    for (const TSampleStates& sample : data.samples) {
      const int* states = sample.locus(l);
      for (int g = 0; g < sample.numGenes; ++g, ++k) hashes[k] = mix(hashes[k], states[g]);
    }
  }
  std::vector<std::size_t> order(total);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return hashes[a] != hashes[b] ? hashes[a] < hashes[b] : a < b;
  });
  // Genes of equal hash are compared state by state, so a collision cannot merge two haplotypes.
  ids.assign(total, -1);
  int next = 0;
  std::vector<std::size_t> representatives;
  for (std::size_t i = 0; i < total;) {
    std::size_t j = i;
    while (j < total && hashes[order[j]] == hashes[order[i]]) ++j;
    representatives.clear();
    for (std::size_t k = i; k < j; ++k) {
      const std::size_t gene = order[k];
      int id = -1;
      for (std::size_t r : representatives) {
        if (sameRow(data, loci, genes[gene], genes[r])) {
          id = ids[r];
          break;
        }
      }
      if (id < 0) {
        id = next++;
        representatives.push_back(gene);
      }
      ids[gene] = id;
    }
    i = j;
  }
}

THaplotypeCounts countHaplotypes(const int* ids, int n, std::vector<int>& scratch) {
  THaplotypeCounts counts;
  scratch.assign(ids, ids + n);
  std::sort(scratch.begin(), scratch.end());
  for (int i = 0; i < n;) {
    int j = i + 1;
    while (j < n && scratch[static_cast<std::size_t>(j)] == scratch[static_cast<std::size_t>(i)]) {
      ++j;
    }
    ++counts.distinct;
    counts.sumOfSquaredCopies += static_cast<double>(j - i) * (j - i);
    i = j;
  }
  return counts;
}

}  // namespace orvantis

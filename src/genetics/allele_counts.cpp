#include "genetics/allele_counts.h"

#include <algorithm>

namespace orvantis {

void countAlleles(const int* states, int n, std::vector<int>& scratch, TAlleleCounts& out) {
  out.clear();
  scratch.assign(states, states + n);
  std::sort(scratch.begin(), scratch.end());
  for (int i = 0; i < n;) {
    int j = i + 1;
    while (j < n && scratch[static_cast<std::size_t>(j)] == scratch[static_cast<std::size_t>(i)]) {
      ++j;
    }
    out.emplace_back(scratch[static_cast<std::size_t>(i)], j - i);
    i = j;
  }
}

long long countedGenes(const TAlleleCounts& counts) {
  long long n = 0;
  for (const auto& [state, copies] : counts) n += copies;
  return n;
}

double sumOfSquaredCopies(const TAlleleCounts& counts) {
  double sum = 0.0;
  for (const auto& [state, copies] : counts) sum += static_cast<double>(copies) * copies;
  return sum;
}

double sharedPairs(const TAlleleCounts& a, const TAlleleCounts& b) {
  double shared = 0.0;
  auto i = a.begin();
  auto j = b.begin();
  while (i != a.end() && j != b.end()) {
    if (i->first < j->first) {
      ++i;
    } else if (j->first < i->first) {
      ++j;
    } else {
      shared += static_cast<double>(i->second) * j->second;
      ++i;
      ++j;
    }
  }
  return shared;
}

TSizeMoments sizeMoments(const TAlleleCounts& counts) {
  TSizeMoments m;
  m.n = countedGenes(counts);
  if (m.n == 0) return m;
  double sum = 0.0;
  for (const auto& [state, copies] : counts) sum += static_cast<double>(state) * copies;
  m.mean = sum / static_cast<double>(m.n);
  for (const auto& [state, copies] : counts) {
    const double deviation = static_cast<double>(state) - m.mean;
    m.squaredDeviations += deviation * deviation * copies;
  }
  return m;
}

TSizeMoments combinedMoments(const TSizeMoments& a, const TSizeMoments& b) {
  if (a.n == 0) return b;
  if (b.n == 0) return a;
  TSizeMoments m;
  m.n = a.n + b.n;
  const double na = static_cast<double>(a.n);
  const double nb = static_cast<double>(b.n);
  const double delta = b.mean - a.mean;
  m.mean = a.mean + delta * nb / (na + nb);
  m.squaredDeviations =
      a.squaredDeviations + b.squaredDeviations + delta * delta * na * nb / (na + nb);
  return m;
}

}  // namespace orvantis

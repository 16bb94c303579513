#pragma once
// The allele counts of one locus in a set of genes: the distinct states in increasing order with
// their numbers of copies, and the moments of the states that the statistics need.

#include <utility>
#include <vector>

namespace orvantis {

// (state, copies), states increasing.
using TAlleleCounts = std::vector<std::pair<int, int>>;

// Counts the n states; `scratch` is working room kept between calls.
void countAlleles(const int* states, int n, std::vector<int>& scratch, TAlleleCounts& out);

// Genes counted.
long long countedGenes(const TAlleleCounts& counts);
// Sum over alleles of copies^2: n^2 minus it is twice the number of pairs that differ.
double sumOfSquaredCopies(const TAlleleCounts& counts);
// Pairs of one gene of each set that carry the same state: sum over states of a_s b_s.
double sharedPairs(const TAlleleCounts& a, const TAlleleCounts& b);

// Mean and sum of squared deviations of the states (the copies as weights).
struct TSizeMoments {
  long long n = 0;
  double mean = 0.0;
  double squaredDeviations = 0.0;
};
TSizeMoments sizeMoments(const TAlleleCounts& counts);
// The moments of two sets of genes taken together (Chan, Golub and LeVeque's pairwise update).
TSizeMoments combinedMoments(const TSizeMoments& a, const TSizeMoments& b);

}  // namespace orvantis

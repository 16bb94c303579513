#pragma once
// Deme-by-deme statistics of the genealogies of a run: for every pair of sampled genes, the time
// of their most recent common ancestor and the number of loci at which their states differ,
// gathered in four D x D matrices (D the demes of the initial deme list).
//
// What the entries mean. The coalescence time of two genes is the time of their most recent
// common ancestor node: the backward step counter E of the step that created it, that is the
// number of generations between the end of the demographic simulation (when contemporary genes
// are sampled) and the parent generation in which the two lineages met; two genes that pick the
// same parent in the first step back have time 1. For a pair including an ancient gene it is
// still counted from the end of the simulation. The differences are counted over the loci of the
// chromosome, from the genes' allelic states.
//
// After each genealogy, entry (i, j) of the mean matrices receives the average over the pairs of
// genes sampled in demes i and j (i = j: each unordered pair of two different genes of the deme
// once; i != j: every pair, entries (i, j) and (j, i) alike), and the S.D. matrices the average of
// the squares. Each genealogy thus weighs the same. At the end, toMean(G) and toSD(G, mean) over
// the G genealogies that entered give the mean coalescence time (or number of differences) of
// two genes of demes i and j over all genealogies, and sqrt(G / (G - 1)) times its standard
// deviation over pairs and genealogies. A deme with a single gene has no within-deme pair: its
// diagonal entries stay 0.

#include <ostream>
#include <vector>

#include "genetics/mean_matrix.h"
#include "genetics/tree.h"

namespace orvantis {

class TDemeCollection;

// tipDeme[rank of a tip] = position of the tip's deme in the initial deme list (-1 for a tip of
// no sample deme).
void tipDemeIndexes(const TDemeCollection& collection, std::vector<int>& tipDeme);

class TPairStatistics {
 public:
  // Four D x D matrices of zeros: 1, or 0 after logging when memory is refused.
  [[nodiscard]] int create(int numDemes, std::ostream& log);
  int numDemes() const { return numDemes_; }

  // Adds one finished genealogy without recombination: every pair of tips under roots[0], with
  // the tips' states at the loci they carry data for. O(n^2 L) for n genes and L loci; the pair
  // times come from one pass over the tree (tips below each node as a contiguous run), with no
  // search per pair. 0, with nothing added, when the genealogy is not a complete tree of binary
  // coalescences above all tips or a tip has no deme.
  [[nodiscard]] int addGenealogy(const TTree& tree, const std::vector<int>& tipDeme);
  // Genealogies added so far.
  int genealogies() const { return genealogies_; }
  // Adds the matrices and the genealogies of statistics gathered apart over the same demes (one
  // simulation's, merged into the run's in simulation order). 0, with nothing added, when the
  // numbers of demes differ.
  [[nodiscard]] int merge(const TPairStatistics& other);

  TMeanMat meanTimes;
  TMeanMat sdTimes;
  TMeanMat meanDifferences;
  TMeanMat sdDifferences;

 private:
  // Sums of one genealogy per unordered deme pair (i <= j).
  struct TPairSums {
    double time = 0.0;
    double timeSquares = 0.0;
    double differences = 0.0;
    double differenceSquares = 0.0;
    long long pairs = 0;
  };

  bool orderTips(const TTree& tree);

  int numDemes_ = 0;
  int genealogies_ = 0;
  // Scratch kept between genealogies.
  std::vector<TPairSums> sums_;
  std::vector<int> below_;     // tips below each node
  std::vector<int> firstTip_;  // first position of those tips in tipOrder_
  std::vector<char> reached_;  // node under roots[0]
  std::vector<TNodeRef> tipOrder_;
};

}  // namespace orvantis

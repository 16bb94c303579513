#pragma once
// The files of a run in NEXUS form that collect every simulation: the true trees (branch lengths
// in generations) and the mutation trees (branch lengths in numbers of mutations), and the batch
// file that runs PAUP on every command file; with the sums of tree lengths and mutations that
// close the tree files and the final results.
//
// Every writer takes the stream it writes to: the run opens the files, and a run on several
// threads can collect a simulation's text and append it in simulation order.

#include <ostream>
#include <string>

namespace orvantis {

// B_true_trees.trees, B_mut_trees.trees and B.bat for the output base name B.
std::string trueTreesFileName(const std::string& baseName);
std::string mutationTreesFileName(const std::string& baseName);
std::string batchFileName(const std::string& baseName);

// Opening of both tree files: "#NEXUS", the trees block with its comment, an empty line.
void writeTreeFileHeading(std::ostream& out);

// "paup <name of the PAUP command file>\n", the name with the directory of the base name.
void writeBatchLine(std::ostream& out, const std::string& paupFileName);

// Sums over every simulation and chromosome of the run of the chromosome's tree length in
// mutation units (`treeLength` of the mutation process) and of its number of mutations, with
// their squares.
class TTreeLengthSums {
 public:
  // One chromosome's values, after its mutations.
  void add(double treeLength, long long mutations);

  // M1: mean over `simulations` of the tree length per locus, K being the number of linked loci
  // of all chromosomes of the run; SD1 its standard deviation over simulations (0 below 2).
  double meanTreeLength(int simulations, long long totalLoci) const;
  double sdTreeLength(int simulations, long long totalLoci) const;
  // M2 and SD2: the same for the number of mutations (not divided by the loci).
  double meanMutations(int simulations) const;
  double sdMutations(int simulations) const;

  double sumLengths() const { return sumLengths_; }
  double sumMutations() const { return sumMutations_; }

 private:
  double sumLengths_ = 0.0;
  double sumLengthSquares_ = 0.0;
  double sumMutations_ = 0.0;
  double sumMutationSquares_ = 0.0;
};

// Closing of the true trees file: "end;", then the mean tree length M1 and, with at least two
// simulations, " +- " SD1 and the note that the deviation runs over simulations.
void writeTrueTreesClosing(std::ostream& out, const TTreeLengthSums& sums, int simulations,
                           long long totalLoci);
// Closing of the mutation trees file, with M2 and SD2.
void writeMutationTreesClosing(std::ostream& out, const TTreeLengthSums& sums, int simulations);

// Writes a value in the scientific form of the statistics: uppercase E, internal adjustment,
// `precision` digits after the point (below 0: the stream's precision), field width `width` (0:
// none). The flags and the precision stay set on the stream, as later values of the same text
// rely on.
void writeScientific(std::ostream& out, double value, int precision, int width);

// Restores a stream's format flags, precision and fill when it goes out of scope, so that a
// writer's format does not leak into what is written after it.
class TStreamFormatGuard {
 public:
  explicit TStreamFormatGuard(std::ostream& out)
      : out_(out), flags_(out.flags()), precision_(out.precision()), fill_(out.fill()) {}
  ~TStreamFormatGuard() {
    out_.flags(flags_);
    out_.precision(precision_);
    out_.fill(fill_);
  }
  TStreamFormatGuard(const TStreamFormatGuard&) = delete;
  TStreamFormatGuard& operator=(const TStreamFormatGuard&) = delete;

 private:
  std::ostream& out_;
  std::ios::fmtflags flags_;
  std::streamsize precision_;
  char fill_;
};

}  // namespace orvantis

#pragma once
// Square matrices of doubles for the deme-by-deme statistics of a run: TMigrationMatrix holds the
// entries, TMeanMat turns sums into means and sums of squares into standard deviations.
//
// Entries are kept in one contiguous array, row after row.

#include <ostream>
#include <vector>

namespace orvantis {

class TMigrationMatrix {
 public:
  TMigrationMatrix() = default;
  // n x n entries, value off the diagonal and 0 on it; an empty matrix after logging when memory
  // is refused. `model` is kept for the caller.
  TMigrationMatrix(int n, int model, double value, std::ostream& log);
  virtual ~TMigrationMatrix() = default;
  TMigrationMatrix(const TMigrationMatrix&) = default;
  TMigrationMatrix& operator=(const TMigrationMatrix&) = default;

  // n rows of n zeros for the size given at construction: 1, or 0 after writing
  // "TMigrationMatrix::allocate_matrix(): memory error !" to the log (the matrix then empty).
  [[nodiscard]] int allocate_matrix(std::ostream& log);
  // Releases the entries; the size becomes 0.
  void free();

  int size() const { return n_; }
  bool empty() const { return n_ == 0; }
  int model() const { return model_; }
  double& at(int i, int j) { return entries_[index(i, j)]; }
  double at(int i, int j) const { return entries_[index(i, j)]; }

  // Each entry in scientific form (uppercase, internal, width 10, precision 4) followed by a
  // blank, a line end after each row and one more after the last; an empty matrix writes
  // "Matrix contains no data" and two line ends. The stream keeps the format.
  void print(std::ostream& out) const;

 protected:
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(n_) + static_cast<std::size_t>(j);
  }

  std::vector<double> entries_;
  int n_ = 0;
  int model_ = 0;
};

class TMeanMat : public TMigrationMatrix {
 public:
  TMeanMat() = default;
  TMeanMat(int n, std::ostream& log) : TMigrationMatrix(n, 0, 0.0, log) {}

  // Number of values over which the entries are averaged.
  int count = 0;

  // Sums into means: 0 when d is 0 (nothing changed), else every entry divided by d, count = d,
  // and 1.
  [[nodiscard]] int toMean(int d);
  // Sums of squares into standard deviations around the means of `mean`: 0 when d < 2 (the
  // entries stay sums of squares), else every entry e becomes sqrt((e - m m d) / (d - 1)) with m
  // the same entry of `mean` (0 when rounding makes the variance negative), count = d, and 1.
  [[nodiscard]] int toSD(int d, const TMeanMat& mean);
};

}  // namespace orvantis

#include "genetics/mean_matrix.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "genetics/nexus_files.h"

namespace orvantis {

TMigrationMatrix::TMigrationMatrix(int n, int model, double value, std::ostream& log)
    : n_(n > 0 ? n : 0), model_(model) {
  if (!allocate_matrix(log)) return;
  for (int i = 0; i < n_; ++i) {
    for (int j = 0; j < n_; ++j) {
      if (i != j) at(i, j) = value;
    }
  }
}

int TMigrationMatrix::allocate_matrix(std::ostream& log) {
  try {
    entries_.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_), 0.0);
  } catch (const std::bad_alloc&) {
    free();
    log << "TMigrationMatrix::allocate_matrix(): memory error !" << std::endl;
    return 0;
  } catch (const std::length_error&) {
    free();
    log << "TMigrationMatrix::allocate_matrix(): memory error !" << std::endl;
    return 0;
  }
  return 1;
}

void TMigrationMatrix::free() {
  entries_.clear();
  entries_.shrink_to_fit();
  n_ = 0;
}

void TMigrationMatrix::print(std::ostream& out) const {
  if (n_ == 0) {
    out << "Matrix contains no data"
        << "\n"
        << "\n";
    return;
  }
  for (int i = 0; i < n_; ++i) {
    for (int j = 0; j < n_; ++j) {
      writeScientific(out, at(i, j), 4, 10);
      out << " ";
    }
    out << "\n";
  }
  out << "\n";
}

int TMeanMat::toMean(int d) {
  if (d == 0) return 0;
  count = d;
  for (double& e : entries_) e /= d;
  return 1;
}

int TMeanMat::toSD(int d, const TMeanMat& mean) {
  if (d < 2) return 0;
  count = d;
  const bool sameSize = mean.n_ == n_;
  for (std::size_t k = 0; k < entries_.size(); ++k) {
    const double m = sameSize ? mean.entries_[k] : 0.0;
    const double variance = (entries_[k] - m * m * d) / (d - 1);
    entries_[k] = variance > 0.0 ? std::sqrt(variance) : 0.0;
  }
  return 1;
}

}  // namespace orvantis

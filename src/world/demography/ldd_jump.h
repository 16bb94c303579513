#pragma once
// Where a long-distance jump of d cells may land. The distance is split into a row part a and a
// column part b = d − a, and one of eight orientations decides their signs and which of the two
// runs along the rows, so that the row and column offsets always add up to d.

namespace orvantis {

inline constexpr int kLddOrientations = 8;

struct TGridOffset {
  int row = 0;
  int column = 0;
};

// Offsets of orientation o (0..7) for the parts a and b:
//   0 (+a, +b)  1 (+a, −b)  2 (−a, +b)  3 (−a, −b)
//   4 (+b, +a)  5 (+b, −a)  6 (−b, +a)  7 (−b, −a)
inline TGridOffset lddOffset(int a, int b, int orientation) {
  const bool swapped = orientation >= 4;
  const int first = swapped ? b : a;
  const int second = swapped ? a : b;
  const int rowSign = (orientation & 2) != 0 ? -1 : 1;
  const int columnSign = (orientation & 1) != 0 ? -1 : 1;
  return {rowSign * first, columnSign * second};
}

}  // namespace orvantis

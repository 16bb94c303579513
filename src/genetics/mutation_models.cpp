#include "genetics/mutation_models.h"

namespace orvantis {

TAlleleBounds alleleBounds(int rangeConstraint) {
  if (rangeConstraint <= 0) return {};
  TAlleleBounds bounds;
  bounds.minAllele = -((rangeConstraint - 1) / 2);
  bounds.maxAllele = bounds.minAllele + (rangeConstraint - 1);
  return bounds;
}

TDnaMutationTable dnaMutationTable(const TDnaValues& v) {
  const double piA = v.freqA, piC = v.freqC, piG = v.freqG, piT = v.freqT;
  const double rAC = v.rateAC, rAG = v.rateAG, rAT = v.rateAT;
  const double rCG = v.rateCG, rCT = v.rateCT, rGT = v.rateGT;
  struct Target {
    int state;
    double weight;
  };
  // Per source base, its targets in the model's order with weight rate x target frequency.
  const Target rows[4][3] = {
      {{kDnaC, rAC * piC}, {kDnaG, rAG * piG}, {kDnaT, rAT * piT}},  // from A
      {{kDnaA, rAG * piA}, {kDnaC, rCG * piC}, {kDnaT, rGT * piT}},  // from G
      {{kDnaA, rAC * piA}, {kDnaG, rCG * piG}, {kDnaT, rCT * piT}},  // from C
      {{kDnaA, rAT * piA}, {kDnaC, rCT * piC}, {kDnaG, rGT * piG}},  // from T
  };
  TDnaMutationTable table;
  for (int s = 0; s < 4; ++s) {
    const Target* row = rows[s];
    for (int k = 0; k < 3; ++k) table.targets[s][k] = row[k].state;
    const double total = row[0].weight + row[1].weight + row[2].weight;
    if (total > 0.0) {
      table.c1[s] = row[0].weight / total;
      table.c2[s] = (row[0].weight + row[1].weight) / total;
    }
  }
  return table;
}

}  // namespace orvantis

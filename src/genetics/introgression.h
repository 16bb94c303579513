#pragma once
// Introgression proportions of runs with two populations: the share of the sampled lineages that
// descend from the second population's sources, that is, that were in a source cell of the
// other population in the generation before those sources started. Computed after every
// genealogy without recombination, for the whole sample and for each sampled deme, kept in a
// table and written per simulation at the end of the run.

#include <ostream>
#include <string>
#include <vector>

#include "genetics/tree.h"

namespace orvantis {

class PopulationVector;
class TDemeCollection;
class TGeneticParameters;

// Proportions by (k, simulation index, chromosome index), all from 0: k = 0 the whole sample,
// k >= 1 the k-th sampled deme. Entries never computed hold 999999.
class TProportionTable {
 public:
  static constexpr float kUnset = 999999.0f;

  // (numDemes + 1) x numSimulations x numChromosomes entries, all unset. 0 after writing
  // "TDemeCollection::creatPropLineagesMatrix() : Memory allocation problem. Exiting program"
  // when memory is refused.
  [[nodiscard]] int create(int numDemes, int numSimulations, int numChromosomes, std::ostream& log);
  int numDemes() const { return numDemes_; }
  int numSimulations() const { return numSimulations_; }
  int numChromosomes() const { return numChromosomes_; }
  bool contains(int k, int simulation, int chromosome) const {
    return k >= 0 && k <= numDemes_ && simulation >= 0 && simulation < numSimulations_ &&
           chromosome >= 0 && chromosome < numChromosomes_;
  }
  // Entries outside the table read as unset and are not written.
  float at(int k, int simulation, int chromosome) const;
  void set(int k, int simulation, int chromosome, float value);

 private:
  std::size_t index(int k, int simulation, int chromosome) const {
    return (static_cast<std::size_t>(k) * static_cast<std::size_t>(numSimulations_) +
            static_cast<std::size_t>(simulation)) *
               static_cast<std::size_t>(numChromosomes_) +
           static_cast<std::size_t>(chromosome);
  }

  std::vector<float> entries_;
  int numDemes_ = 0;
  int numSimulations_ = 0;
  int numChromosomes_ = 0;
};

// The common ancestor of the tips sampled in the deme (cell, population): among the ancestors
// shared by all of them (the root of the genealogy included), the first, from the tips upwards,
// with the largest first recorded generation; for a single tip, the first such node above it.
// kNoNode when no tip was sampled there.
TNodeRef findSampleMrcaNode(const TTree& tree, int cellIndex, int population);
// Its node number; -1 when there is none, or after logging
// "\nTTree::FindSampleMRCA(): unable to allocate memory\n" when memory is refused.
int FindSampleMRCA(const TTree& tree, int cellIndex, int population, std::ostream& log);

// Fills the entries (k, simulation, chromosome) of the table from a finished genealogy without
// recombination. The introgression generation g is the start of the last source, in the order of
// `sources`, that starts after generation 0; a lineage descends from the second population's
// sources when, walking up from its tip, it is at generation g - 1 in a source cell of that
// generation, in the other population than the source's, having been in the same cell at its
// previous recorded step (the last step of the node below when the step is the first of its
// node; a tip's first step has none and does not count). A genealogy whose root lies in the
// second population counts every tip; a deme whose common ancestor does counts all its tips.
// 1, or 0 after logging "ERROR WHEN COMPUTING INTROGRESSION: expansion time of layer 2 must be
// > 0 !" when no source starts after generation 0 (the entries stay unset).
[[nodiscard]] int LineagesProportionInSamples(const TTree& tree, const PopulationVector& sources,
                                              int simulation, int chromosome,
                                              TProportionTable& table, std::ostream& log);

// B_Proportion_<i + 1>.prop for simulation index i.
std::string proportionFileName(const std::string& baseName, int simulation);

// The proportion file of simulation index i: the heading, the demes' labels, then per chromosome
// its proportions per sampled deme, or the notice that they are not available with
// recombination (a chromosome whose block recombination rates sum above 0 or that has more than
// one block). `parameters` holds the per-chromosome values of the run. The text goes to `out`.
void writeProportionText(std::ostream& out, int simulation, const TDemeCollection& collection,
                         const TGeneticParameters& parameters, const TProportionTable& table);
// Writes the file; 1, or 0 after logging when it cannot be written.
[[nodiscard]] int writeProportionFile(int simulation, const std::string& baseName,
                                      const TDemeCollection& collection,
                                      const TGeneticParameters& parameters,
                                      const TProportionTable& table, std::ostream& log);

}  // namespace orvantis

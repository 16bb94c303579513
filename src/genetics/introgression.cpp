#include "genetics/introgression.h"

#include <climits>
#include <exception>
#include <fstream>
#include <new>

#include "coalescent/deme_collection.h"
#include "coalescent/genetic_parameters.h"
#include "foundation/paths.h"
#include "settings/population_sources.h"

namespace orvantis {

namespace {

// A source that starts at the introgression generation: its cell and the population its
// founders came from.
struct TIntrogressionSource {
  int cellIndex;
  int otherPopulation;
};

int firstGeneration(const TNode& v) {
  return v.locTime.empty() ? INT_MIN : v.locTime.front();
}

bool startsInSecondPopulation(const TNode& v) {
  return !v.locPop.empty() && v.locPop.front() == 1;
}

// How many sources the lineage of `tip` passed through at generation g - 1 (0 when none).
int tipTest(const TTree& tree, TNodeRef tip, int g,
            const std::vector<TIntrogressionSource>& sources) {
  bool havePrevious = false;
  int previousCell = 0;
  for (TNodeRef r = tip; tree.isLive(r);) {
    const TNode& v = tree.node(r);
    const int steps =
        static_cast<int>(v.locTime.size() < v.locCell.size() ? v.locTime.size() : v.locCell.size());
    for (int k = 0; k < steps; ++k) {
      const std::size_t s = static_cast<std::size_t>(k);
      const int generation = v.locTime[s];
      const int cellIndex = v.locCell[s];
      if (generation < g - 1) return 0;
      if (generation == g - 1 && havePrevious) {
        const int population = s < v.locPop.size() ? v.locPop[s] : 0;
        int matched = 0;
        for (const TIntrogressionSource& source : sources) {
          matched += source.cellIndex == cellIndex && source.cellIndex == previousCell &&
                     source.otherPopulation == population;
        }
        if (matched > 0) return matched;
      }
      previousCell = cellIndex;
      havePrevious = true;
    }
    if (v.ancestor <= r) break;  // ancestors have higher ranks
    r = v.ancestor;
  }
  return 0;
}

}  // namespace

int TProportionTable::create(int numDemes, int numSimulations, int numChromosomes,
                             std::ostream& log) {
  numDemes_ = numDemes > 0 ? numDemes : 0;
  numSimulations_ = numSimulations > 0 ? numSimulations : 0;
  numChromosomes_ = numChromosomes > 0 ? numChromosomes : 0;
  try {
    entries_.assign(static_cast<std::size_t>(numDemes_ + 1) *
                        static_cast<std::size_t>(numSimulations_) *
                        static_cast<std::size_t>(numChromosomes_),
                    kUnset);
  } catch (const std::exception&) {
    entries_.clear();
    numDemes_ = numSimulations_ = numChromosomes_ = 0;
    log << "TDemeCollection::creatPropLineagesMatrix() : Memory allocation problem. Exiting "
           "program"
        << std::endl;
    return 0;
  }
  return 1;
}

float TProportionTable::at(int k, int simulation, int chromosome) const {
  return contains(k, simulation, chromosome) ? entries_[index(k, simulation, chromosome)] : kUnset;
}

void TProportionTable::set(int k, int simulation, int chromosome, float value) {
  if (contains(k, simulation, chromosome)) entries_[index(k, simulation, chromosome)] = value;
}

TNodeRef findSampleMrcaNode(const TTree& tree, int cellIndex, int population) {
  const int n = tree.sampleSize();
  const TNodeRef root = tree.roots.empty() ? kNoNode : tree.roots[0];
  std::vector<TNodeRef> path;
  std::vector<int> shared;  // per rank: tips of the deme whose walk passed the node
  int tips = 0;
  for (TNodeRef t = 0; t < n; ++t) {
    const TNode& tip = tree.node(t);
    if (tip.sampleCell != cellIndex || tip.samplePop != population) continue;
    ++tips;
    if (tips == 1) {
      // The first tip's ancestors up to the root are the candidates, in this order.
      shared.assign(static_cast<std::size_t>(tree.numNodes()), 0);
      for (TNodeRef r = tip.ancestor; tree.isLive(r);) {
        path.push_back(r);
        shared[static_cast<std::size_t>(r)] = 1;
        if (r == root || tree.node(r).ancestor <= r) break;
        r = tree.node(r).ancestor;
      }
      continue;
    }
    for (TNodeRef r = t; tree.isLive(r);) {
      if (shared[static_cast<std::size_t>(r)] == tips - 1)
        shared[static_cast<std::size_t>(r)] = tips;
      if (r == root || tree.node(r).ancestor <= r) break;
      r = tree.node(r).ancestor;
    }
  }
  if (tips == 0) return kNoNode;
  TNodeRef best = kNoNode;
  for (const TNodeRef r : path) {
    // The root stays a common ancestor whatever the walks met.
    if (shared[static_cast<std::size_t>(r)] != tips && r != root) continue;
    if (best == kNoNode || firstGeneration(tree.node(r)) > firstGeneration(tree.node(best))) {
      best = r;
    }
  }
  return best;
}

int FindSampleMRCA(const TTree& tree, int cellIndex, int population, std::ostream& log) {
  try {
    const TNodeRef r = findSampleMrcaNode(tree, cellIndex, population);
    return r == kNoNode ? -1 : tree.node(r).nodeNo;
  } catch (const std::bad_alloc&) {
    log << "\nTTree::FindSampleMRCA(): unable to allocate memory\n" << std::endl;
    return -1;
  }
}

int LineagesProportionInSamples(const TTree& tree, const PopulationVector& sources, int simulation,
                                int chromosome, TProportionTable& table, std::ostream& log) {
  int g = 0;
  for (const PopulationSource& s : sources) {
    if (s.expansionTime != 0) g = s.expansionTime;
  }
  if (g < 1) {
    log << "ERROR WHEN COMPUTING INTROGRESSION: expansion time of layer 2 must be > 0 !"
        << std::endl;
    return 0;
  }
  std::vector<TIntrogressionSource> starting;
  for (const PopulationSource& s : sources) {
    if (s.expansionTime == g) starting.push_back({s.cellIndex, 1 - s.layer});
  }
  const int n = tree.sampleSize();
  if (n < 1) return 1;

  // The whole sample.
  int count = 0;
  if (tree.numNodes() > 0 && startsInSecondPopulation(tree.node(tree.numNodes() - 1))) {
    count = n;
  } else {
    for (TNodeRef t = 0; t < n; ++t) count += tipTest(tree, t, g, starting);
  }
  table.set(0, simulation, chromosome, static_cast<float>(count) / static_cast<float>(n));

  // Each sampled deme: the tips come grouped by deme, in the order of the initial deme list.
  int k = 0;
  for (TNodeRef first = 0; first < n;) {
    const TNode& head = tree.node(first);
    TNodeRef end = first;
    int runCount = 0;
    while (end < n && tree.node(end).sampleCell == head.sampleCell &&
           tree.node(end).samplePop == head.samplePop) {
      runCount += tipTest(tree, end, g, starting);
      ++end;
    }
    const int size = end - first;
    TNodeRef ancestor = kNoNode;
    try {
      ancestor = findSampleMrcaNode(tree, head.sampleCell, head.samplePop);
    } catch (const std::bad_alloc&) {
      log << "\nTTree::FindSampleMRCA(): unable to allocate memory\n" << std::endl;
    }
    if (ancestor != kNoNode && startsInSecondPopulation(tree.node(ancestor))) runCount = size;
    table.set(++k, simulation, chromosome, static_cast<float>(runCount) / static_cast<float>(size));
    first = end;
  }
  return 1;
}

std::string proportionFileName(const std::string& baseName, int simulation) {
  return baseName + "_Proportion_" + std::to_string(simulation + 1) + ".prop";
}

void writeProportionText(std::ostream& out, int simulation, const TDemeCollection& collection,
                         const TGeneticParameters& parameters, const TProportionTable& table) {
  out << "Proportion of lineages sampled in P2 which derived from the P2 source population"
      << "\n";
  out << "#Chrom\t";
  const std::vector<TDemeSlot>& demes = collection.initialDemes();
  const int numDemes = collection.numSampleDemes();
  for (int i = 0; i < numDemes; ++i) {
    const TDeme* deme = collection.demeAt(demes[static_cast<std::size_t>(i)]);
    if (deme != nullptr && !deme->names.empty()) out << deme->names.front();
    out << "\t";
  }
  out << "\n";
  for (int c = 1; c <= parameters.numChromosomes(); ++c) {
    if (parameters.blockRecRateSum(c - 1) > 0.0 || parameters.numBlocksOfChromosome(c - 1) > 1) {
      out << "Chrom_" << c << " Not available with recombination!";
    } else {
      out << "Chrom_" << c << "\t";
      for (int k = 1; k <= numDemes; ++k) out << table.at(k, simulation, c - 1) << "\t";
    }
    out << "\n";
  }
}

int writeProportionFile(int simulation, const std::string& baseName,
                        const TDemeCollection& collection, const TGeneticParameters& parameters,
                        const TProportionTable& table, std::ostream& log) {
  const std::string name = proportionFileName(baseName, simulation);
  std::ofstream out(nativePath(name), std::ios::binary | std::ios::trunc);
  if (out) writeProportionText(out, simulation, collection, parameters, table);
  out.flush();
  if (!out) {
    log << " ERROR: {TTree::writeProportionFile()} [cannot write the proportion file '" << name
        << "']" << std::endl;
    return 0;
  }
  return 1;
}

}  // namespace orvantis

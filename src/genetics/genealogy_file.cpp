// The genealogy file of one simulation and chromosome: every node with its descendants, its
// location history and its ancestor, by node number.

#include <fstream>

#include "foundation/paths.h"
#include "genetics/tree.h"

namespace orvantis {

std::string TTree::genealogyFileName(int simulation, int chromosome, const std::string& baseName) {
  return baseName + "_tree_sim" + std::to_string(simulation) + "_chrom" +
         std::to_string(chromosome) + ".tri";
}

int TTree::writeGenealogyFile(int simulation, int chromosome, const std::string& baseName) const {
  const std::string name = genealogyFileName(simulation, chromosome, baseName);
  std::ofstream out(nativePath(name), std::ios::binary | std::ios::trunc);
  if (!out) {
    log() << " ERROR: {TTree::writeGenealogyFile()} [cannot create the genealogy file '" << name
          << "']" << std::endl;
    return 0;
  }
  const auto number = [this](TNodeRef ref) { return isLive(ref) ? node(ref).nodeNo : -1; };
  // A finished genealogy without recombination has 2n - 1 nodes.
  int count = 2 * sampleSize_ - 1 < liveNodes_ ? 2 * sampleSize_ - 1 : liveNodes_;
  if (count < 0) count = 0;
  out << count << "\n";
  for (TNodeRef r = 0; r < count; ++r) {
    const TNode& n = node(r);
    const int steps = n.numLocationSteps();
    out << n.nodeNo << "\t" << number(n.leftDesc) << " " << number(n.rightDesc) << "\t" << steps
        << "\t";
    const bool withPopulation = twoPopulations_ && n.hasLocPop();
    for (int k = 0; k < steps; ++k) {
      const std::size_t step = static_cast<std::size_t>(k);
      out << n.locCell[step] << " ";
      if (withPopulation) out << n.locPop[step] + 1 << " ";
      out << n.locTime[step] << "\t";
    }
    out << "\t" << number(n.ancestor) << "\n";
  }
  out.flush();
  if (!out) {
    log() << " ERROR: {TTree::writeGenealogyFile()} [cannot write the genealogy file '" << name
          << "']" << std::endl;
    return 0;
  }
  return 1;
}

}  // namespace orvantis

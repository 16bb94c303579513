#include "genetics/newick.h"

#include <string>
#include <vector>

namespace orvantis {

namespace {

bool carriesLocus(const TNode& n, int locus) {
  return locus >= 0 && static_cast<std::size_t>(locus) < n.inTree.size() && n.carries(locus);
}

// A tip, or a coalescence whose two sides carry the locus.
bool isLocusNode(const TTree& tree, const TNode& n, int locus) {
  if (!carriesLocus(n, locus)) return false;
  if (n.leftDesc == kNoNode && n.rightDesc == kNoNode) return true;
  return n.leftDesc != kNoNode && n.rightDesc != kNoNode &&
         carriesLocus(tree.node(n.leftDesc), locus) && carriesLocus(tree.node(n.rightDesc), locus);
}

void appendInt(std::string& text, long long value) {
  text += std::to_string(value);
}

}  // namespace

TNodeRef locusNodeBelow(const TTree& tree, TNodeRef from, int locus, long long* mutations) {
  long long sum = 0;
  TNodeRef c = from;
  // Descendants have lower ranks than their ancestors, so the walk ends.
  while (tree.isLive(c)) {
    const TNode& n = tree.node(c);
    sum += n.numMutations;
    if (isLocusNode(tree, n, locus)) {
      if (mutations != nullptr) *mutations = sum;
      return c;
    }
    TNodeRef next = kNoNode;
    if (n.leftDesc != kNoNode && n.rightDesc != kNoNode) {
      next = carriesLocus(tree.node(n.leftDesc), locus) ? n.leftDesc : n.rightDesc;
    } else {
      next = n.leftDesc != kNoNode ? n.leftDesc : n.rightDesc;
    }
    if (next >= c) break;
    c = next;
  }
  if (mutations != nullptr) *mutations = 0;
  return kNoNode;
}

bool appendNewick(std::string& text, const TTree& tree, int locus, TBranchLength length) {
  if (locus < 0 || static_cast<std::size_t>(locus) >= tree.roots.size()) return false;
  const TNodeRef root = locusNodeBelow(tree, tree.roots[static_cast<std::size_t>(locus)], locus);
  if (root == kNoNode) return false;
  const std::size_t start = text.size();

  // An explicit stack instead of recursion: a genealogy of many genes can be as deep as it has
  // tips. Stage 0 opens a node, 1 writes the separator and 2 closes it.
  struct Frame {
    TNodeRef node;
    TNodeRef parent;
    long long mutations;  // on the branch from the parent
    int stage;
  };
  std::vector<Frame> stack;
  stack.push_back({root, kNoNode, 0, 0});
  const auto push = [&](TNodeRef parent, TNodeRef child) {
    long long mutations = 0;
    const TNodeRef shown = locusNodeBelow(tree, child, locus, &mutations);
    if (shown == kNoNode) return false;
    stack.push_back({shown, parent, mutations, 0});
    return true;
  };
  const auto closeBranch = [&](const Frame& f) {
    if (f.parent == kNoNode) {
      text += ";\n";
      return;
    }
    text += ':';
    if (length == TBranchLength::Generations) {
      appendInt(text, static_cast<long long>(tree.node(f.parent).time) - tree.node(f.node).time);
    } else {
      appendInt(text, f.mutations);
    }
  };

  while (!stack.empty()) {
    Frame& f = stack.back();
    const TNode& v = tree.node(f.node);
    const bool inner = v.leftDesc != kNoNode && v.rightDesc != kNoNode;
    if (!inner) {
      appendInt(text, v.nodeNo);
      text += '.';
      appendInt(text, static_cast<long long>(v.demeNumber) + 1);
      const Frame done = f;
      stack.pop_back();
      closeBranch(done);
      continue;
    }
    const TNodeRef self = f.node;
    if (f.stage == 0) {
      text += '(';
      f.stage = 1;
      if (!push(self, v.leftDesc)) break;
    } else if (f.stage == 1) {
      text += ", ";
      f.stage = 2;
      if (!push(self, v.rightDesc)) break;
    } else {
      text += ')';
      const Frame done = f;
      stack.pop_back();
      closeBranch(done);
    }
  }
  if (!stack.empty()) {
    text.resize(start);
    return false;
  }
  return true;
}

bool writeNewick(std::ostream& out, const TTree& tree, int locus, TBranchLength length) {
  std::string text;
  if (!appendNewick(text, tree, locus, length)) return false;
  out << text;
  return true;
}

bool writeTreeLine(std::ostream& out, const TTree& tree, int simulation, int chromosome, int locus,
                   TBranchLength length) {
  std::string text = length == TBranchLength::Generations ? "\ttree Num_generations_simul_"
                                                          : "\ttree Num_mutations_simul_";
  text += std::to_string(simulation) + "_chrom_" + std::to_string(chromosome) + "_Loc_" +
          std::to_string(locus) + " = [&U] ";
  if (!appendNewick(text, tree, locus, length)) return false;
  out << text;
  return true;
}

}  // namespace orvantis

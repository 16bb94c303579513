#pragma once
// The genealogy of one locus in parenthesis notation, as the tree files and the PAUP command
// files print it: tips labelled "<node number>.<deme number + 1>", branch lengths in generations
// or in numbers of mutations, children separated by ", ".
//
// With recombination a locus's genealogy is a sub-tree of the node graph: the walk passes
// through every node that is not a coalescence of the locus (a recombination half, or a
// coalescence where only one side carries the locus), and the written branch spans them.

#include <ostream>
#include <string>

#include "genetics/tree.h"

namespace orvantis {

enum class TBranchLength { Generations, Mutations };

// The node of the locus's genealogy reached from `from` (a descendant of a node of that
// genealogy): `from` itself when it is a tip or a coalescence of the locus, else the node reached
// by passing down through the others (left when it carries the locus, otherwise right; the only
// descendant of a recombination half). kNoNode when the chain ends without such a node.
// `mutations`, when given, receives the mutations on the whole path: numMutations of every node
// passed and of the node reached, which is what the written branch carries.
TNodeRef locusNodeBelow(const TTree& tree, TNodeRef from, int locus,
                        long long* mutations = nullptr);

// Appends the tree of `locus` from roots[locus], ending with ";\n". Branch lengths: the ancestor's
// time minus the node's time (generations), or the mutations of the branch. False, with nothing
// appended, when the locus has no root or its genealogy is broken.
[[nodiscard]] bool appendNewick(std::string& text, const TTree& tree, int locus,
                                TBranchLength length);
[[nodiscard]] bool writeNewick(std::ostream& out, const TTree& tree, int locus,
                               TBranchLength length);

// One tree line of a tree file or PAUP command file: "\ttree Num_generations_simul_<s>_chrom_<c>
// _Loc_<l> = [&U] " (or "Num_mutations_") followed by the tree. Simulation and chromosome are
// numbered from 1, loci from 0. False, with nothing written, when the locus has no tree.
[[nodiscard]] bool writeTreeLine(std::ostream& out, const TTree& tree, int simulation,
                                 int chromosome, int locus, TBranchLength length);

}  // namespace orvantis

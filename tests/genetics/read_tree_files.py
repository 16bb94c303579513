"""Reads the tree files of a run with DendroPy and checks them against what the run wrote.

Usage: read_tree_files.py TRUE_TREES MUTATION_TREES COALESCENCE_FILE EXPECTED END_TIME

EXPECTED holds the taxon labels on its first line and the number of trees per file on its
second. Every true tree's node ages must be the ages of the coalescences of its genealogy in the
temporal coalescence file (EndTime + 1 - generation, the generation of the step that created
the node).
Prints what differs and exits with 1, or exits with 0.
"""

import sys

import dendropy


def fail(message):
    print(message)
    sys.exit(1)


def main():
    true_path, mutation_path, coal_path, expected_path, end_time = sys.argv[1:6]
    end_time = int(end_time)
    with open(expected_path) as f:
        labels = sorted(f.readline().split())
        num_trees = int(f.readline())

    coalescences = {}
    with open(coal_path) as f:
        if f.readline().rstrip("\n") != "Coalescence times for every simulations":
            fail("temporal coalescence file without its heading")
        for line in f:
            fields = line.split()
            coalescences[fields[0]] = [int(x) for x in fields[1:]]

    for path, kind in ((true_path, "generations"), (mutation_path, "mutations")):
        trees = dendropy.TreeList.get(path=path, schema="nexus")
        if len(trees) != num_trees:
            fail("%s: %d trees instead of %d" % (path, len(trees), num_trees))
        taxa = sorted(t.label for t in trees.taxon_namespace)
        if taxa != labels:
            fail("%s: taxa %s instead of %s" % (path, taxa, labels))
        for i, tree in enumerate(trees):
            leaves = sorted(n.taxon.label for n in tree.leaf_node_iter())
            if leaves != labels:
                fail("%s tree %d: leaves %s" % (path, i, leaves))
            words = tree.label.split()
            # "Num generations simul <s> chrom <c> Loc <l>"
            if words[:2] != ["Num", kind] or words[2] != "simul" or words[4] != "chrom":
                fail("%s tree %d: label %r" % (path, i, tree.label))
            if kind == "mutations":
                continue
            key = "Sim_%s_Chrom_%s" % (words[3], words[5])
            if key not in coalescences:
                fail("no line %s in the temporal coalescence file" % key)
            expected = sorted(end_time + 1 - g for g in coalescences[key])
            tree.calc_node_ages(is_force_max_age=True)
            ages = sorted(n.age for n in tree.internal_nodes())
            if ages != expected:
                fail("%s tree %d: node ages %s, coalescences %s" % (path, i, ages, expected))
            if tree.seed_node.age != max(expected):
                fail("%s tree %d: height %s" % (path, i, tree.seed_node.age))
    print("read %d trees per file" % num_trees)


if __name__ == "__main__":
    main()

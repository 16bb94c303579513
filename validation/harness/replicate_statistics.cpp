#include "replicate_statistics.h"

#include <cmath>
#include <limits>
#include <vector>

#include "coalescent/deme_collection.h"

namespace orvantis {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double& at(TReplicateRecord& record, TReplicateColumn column) {
  return record[static_cast<std::size_t>(column)];
}

double rootTime(const TTree& tree, int locus) {
  const TNodeRef root = tree.roots[static_cast<std::size_t>(locus)];
  return root == kNoNode ? kNaN : static_cast<double>(tree.node(root).time);
}

}  // namespace

double totalLength(const TTree& tree) {
  const TNodeRef root = tree.roots.empty() ? kNoNode : tree.roots[0];
  if (root == kNoNode) return kNaN;
  double sum = 0.0;
  std::vector<TNodeRef> stack{root};
  while (!stack.empty()) {
    const TNode& parent = tree.node(stack.back());
    stack.pop_back();
    for (const TNodeRef child : {parent.leftDesc, parent.rightDesc}) {
      if (child == kNoNode) continue;
      sum += parent.time - tree.node(child).time;
      stack.push_back(child);
    }
  }
  return sum;
}

// The first ancestor of tip 1 (itself included) that is also an ancestor of tip 0.
double pairTime(const TTree& tree) {
  if (tree.sampleSize() < 2) return kNaN;
  std::vector<TNodeRef> line;
  for (TNodeRef v = 0; v != kNoNode; v = tree.node(v).ancestor) line.push_back(v);
  for (TNodeRef v = 1; v != kNoNode; v = tree.node(v).ancestor) {
    for (const TNodeRef w : line) {
      if (w == v) return tree.node(v).time;
    }
  }
  return kNaN;
}

TSiteDiversity siteDiversity(const TTree& tree, int locus) {
  const std::size_t l = static_cast<std::size_t>(locus);
  const int n = tree.sampleSize();
  long long counts[4] = {0, 0, 0, 0};
  for (TNodeRef tip = 0; tip < n; ++tip) {
    const int state = tree.node(tip).data[l];
    if (state >= 0 && state < 4) ++counts[state];
  }
  double samePairs = 0.0;
  int present = 0;
  for (const long long c : counts) {
    samePairs += 0.5 * static_cast<double>(c) * static_cast<double>(c - 1);
    present += c > 0 ? 1 : 0;
  }
  return {present > 1, 0.5 * n * (n - 1) - samePairs};
}

double sampleVariance(const TTree& tree, int locus) {
  const std::size_t l = static_cast<std::size_t>(locus);
  const int n = tree.sampleSize();
  if (n < 2) return 0.0;
  double mean = 0.0;
  for (TNodeRef tip = 0; tip < n; ++tip) mean += tree.node(tip).data[l];
  mean /= n;
  double squares = 0.0;
  for (TNodeRef tip = 0; tip < n; ++tip) {
    const double deviation = tree.node(tip).data[l] - mean;
    squares += deviation * deviation;
  }
  return squares / (n - 1);
}

TReplicateRecord unfinishedRecord() {
  TReplicateRecord record;
  record.fill(kNaN);
  at(record, TReplicateColumn::Finished) = 0.0;
  return record;
}

TReplicateRecord measureGenealogy(const TDemeCollection& collection, bool recombining) {
  TReplicateRecord record = unfinishedRecord();
  at(record, TReplicateColumn::Finished) = 1.0;
  const TTree& tree = collection.tree();
  const TGeneticParameters& parameters = collection.parameters();
  const int loci = parameters.numLoci();
  const int n = tree.sampleSize();
  at(record, TReplicateColumn::RootTimeFirst) = rootTime(tree, 0);
  at(record, TReplicateColumn::RootTimeLast) = rootTime(tree, loci - 1);
  if (!recombining) {
    at(record, TReplicateColumn::TotalLength) = totalLength(tree);
    at(record, TReplicateColumn::PairTime) = pairTime(tree);
  }

  const std::vector<int>& hits = collection.mutation().siteHits();
  const double pairs = 0.5 * n * (n - 1);
  double dnaMutations = 0.0;
  double segregating = 0.0;
  double differences = 0.0;
  double microsatMutations = 0.0;
  double varianceSum = 0.0;
  int dnaLoci = 0;
  int microsatLoci = 0;
  for (int locus = 0; locus < loci; ++locus) {
    const std::size_t l = static_cast<std::size_t>(locus);
    const int type = parameters.dataType(locus);
    if (type == DNA) {
      ++dnaLoci;
      dnaMutations += l < hits.size() ? hits[l] : 0;
      const TSiteDiversity site = siteDiversity(tree, locus);
      segregating += site.segregating ? 1.0 : 0.0;
      differences += site.differingPairs;
    } else if (type == MICROSAT) {
      ++microsatLoci;
      microsatMutations += l < hits.size() ? hits[l] : 0;
      varianceSum += sampleVariance(tree, locus);
    }
  }
  if (dnaLoci > 0) {
    at(record, TReplicateColumn::DnaMutations) = dnaMutations;
    at(record, TReplicateColumn::DnaSegregating) = segregating;
    at(record, TReplicateColumn::DnaPairwise) = pairs > 0 ? differences / pairs : 0.0;
  }
  if (microsatLoci > 0) {
    at(record, TReplicateColumn::MicrosatMutations) = microsatMutations;
    at(record, TReplicateColumn::MicrosatVariance) = varianceSum / microsatLoci;
  }
  return record;
}

void writeRecord(std::ostream& out, const TReplicateRecord& record) {
  out.write(reinterpret_cast<const char*>(record.data()),
            static_cast<std::streamsize>(sizeof(double) * record.size()));
}

}  // namespace orvantis

#include "genetics/locus_data.h"

#include <charconv>

#include "coalescent/deme_collection.h"
#include "genetics/mutation_models.h"

namespace orvantis {

namespace {

void appendInt(std::string& out, long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

}  // namespace

void appendDataString(std::string& out, const int* states, int numSites, const int* types) {
  for (int k = 0; k < numSites; ++k) {
    const int state = states[k];
    switch (types[k]) {
      case DNA:
        out += state >= 0 && state < 4 ? kDnaLetters[state] : '?';
        if (k + 1 < numSites && types[k + 1] != DNA) out += ' ';
        break;
      case SNP:
        out += state >= 0 && state < 3 ? "012"[state] : '?';
        out += ' ';
        break;
      case MICROSAT:
        appendInt(out, static_cast<long long>(state) + kMicrosatDataOffset);
        out += ' ';
        break;
      default:
        appendInt(out, state);
        break;
    }
  }
}

void writeDemeData(TDeme& deme) {
  TDemeCollection& collection = deme.collection();
  const TTree& tree = collection.tree();
  const TGeneticParameters& parameters = collection.parameters();
  const int genes = deme.sampleNodes.count();
  const TNodeRef first = genes > 0 ? deme.sampleNodes[0] : kNoNode;
  int numSites = tree.isLive(first) ? tree.node(first).numSites : 0;
  if (numSites > parameters.numLoci()) numSites = parameters.numLoci();

  std::vector<int> types(static_cast<std::size_t>(numSites));
  for (int k = 0; k < numSites; ++k) types[static_cast<std::size_t>(k)] = parameters.dataType(k);

  TLocus& locus = deme.loci.emplace_back();
  locus.genes.resize(static_cast<std::size_t>(genes));
  for (int g = 0; g < genes; ++g) {
    const TNodeRef ref = deme.sampleNodes[g];
    if (!tree.isLive(ref)) continue;
    const TNode& gene = tree.node(ref);
    // A gene holds as many states as the first gene of the deme, unless it has fewer.
    int sites = gene.numSites < numSites ? gene.numSites : numSites;
    if (static_cast<int>(gene.data.size()) < sites) sites = static_cast<int>(gene.data.size());
    std::string& text = locus.genes[static_cast<std::size_t>(g)];
    text.reserve(static_cast<std::size_t>(sites) * 2);
    appendDataString(text, gene.data.data(), sites, types.data());
  }
}

void storeDemeData(TDemeCollection& collection) {
  const int demes = collection.numSampleDemes();
  for (int d = 0; d < demes; ++d) {
    TDeme* deme = collection.demeAt(collection.initialDemes()[static_cast<std::size_t>(d)]);
    if (deme != nullptr && deme->sampleSize != 0) writeDemeData(*deme);
  }
}

}  // namespace orvantis

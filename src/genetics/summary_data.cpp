#include "genetics/summary_data.h"

#include "coalescent/deme_collection.h"

namespace orvantis {

namespace {

// The deme of a sample's deme number (its position in the initial deme list).
const TDeme* demeOfNumber(const TDemeCollection& collection, int demeNumber) {
  if (demeNumber < 0 || demeNumber >= collection.numSampleDemes()) return nullptr;
  return collection.demeAt(collection.initialDemes()[static_cast<std::size_t>(demeNumber)]);
}

}  // namespace

void TSummaryDataCollector::begin(const TDemeCollection& collection) {
  data_ = TGeneticDataSet{};
  genes_.clear();
  complete_ = true;
  for (const TSampleRef& ref : collection.sampleList()) {
    const TDeme* deme = demeOfNumber(collection, ref.demeNumber);
    const int k = ref.position;
    if (deme == nullptr || deme->sampleSize == 0 || k < 0 ||
        k >= static_cast<int>(deme->samples.size())) {
      continue;
    }
    int offset = 0;
    for (int s = 0; s < k; ++s) offset += deme->samples[static_cast<std::size_t>(s)].size;
    TSampleStates& sample = data_.samples.emplace_back();
    const std::size_t nameIndex = static_cast<std::size_t>(k) + 1;
    sample.name = nameIndex < deme->names.size() ? deme->names[nameIndex].str() : std::string();
    sample.numGenes = deme->samples[static_cast<std::size_t>(k)].size;
    genes_.push_back({ref.demeNumber, offset});
  }
}

void TSummaryDataCollector::addChromosome(const TDemeCollection& collection) {
  const TGeneticParameters& parameters = collection.parameters();
  const TTree& tree = collection.tree();
  const int numLoci = parameters.numLoci();
  for (int l = 0; l < numLoci; ++l) data_.locusTypes.push_back(parameters.dataType(l));
  for (std::size_t s = 0; s < data_.samples.size(); ++s) {
    TSampleStates& sample = data_.samples[s];
    const TDeme* deme = demeOfNumber(collection, genes_[s].demeNumber);
    const int first = genes_[s].offset;
    const std::size_t start = sample.states.size();
    sample.states.resize(
        start + static_cast<std::size_t>(numLoci) * static_cast<std::size_t>(sample.numGenes), 0);
    for (int g = 0; g < sample.numGenes; ++g) {
      const TNodeRef ref = deme != nullptr && first + g < deme->sampleNodes.count()
                               ? deme->sampleNodes[first + g]
                               : kNoNode;
      const TNode* gene = tree.isLive(ref) ? &tree.node(ref) : nullptr;
      const int held = gene == nullptr ? 0
                       : gene->numSites < static_cast<int>(gene->data.size())
                           ? gene->numSites
                           : static_cast<int>(gene->data.size());
      if (held < numLoci) complete_ = false;
      for (int l = 0; l < numLoci && l < held; ++l) {
        sample.states[start +
                      static_cast<std::size_t>(l) * static_cast<std::size_t>(sample.numGenes) +
                      static_cast<std::size_t>(g)] = gene->data[static_cast<std::size_t>(l)];
      }
    }
  }
}

std::vector<std::string> TSummaryDataCollector::sampleNames() const {
  std::vector<std::string> names;
  for (const TSampleStates& sample : data_.samples) names.push_back(sample.name);
  return names;
}

}  // namespace orvantis

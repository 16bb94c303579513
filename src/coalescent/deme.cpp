#include "coalescent/deme.h"

#include "coalescent/deme_collection.h"

namespace orvantis {

void TDeme::reset() {
  numLineages = sampleSize - ancientSampleSize;
  ancientPending = ancientSampleSize;
  numIncoming = 0;
  gatheredSize = -1;
  resizedBeforeExpansion = false;
  activeList.clear();
  ancientList.clear();
  incomingList.clear();
  TTree& tree = collection_->tree();
  int position = 0;
  for (std::size_t s = 0; s < samples.size(); ++s) {
    TISimpleChain<TNode>& list = ancientFlags[s] ? ancientList : activeList;
    for (int k = 0; k < samples[s].size && position < sampleNodes.count(); ++k) {
      const TNodeRef ref = sampleNodes[position++];
      tree.resetLineage(ref);
      list.append(ref);
    }
  }
  setSize(size);
}

}  // namespace orvantis

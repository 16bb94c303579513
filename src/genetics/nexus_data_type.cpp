#include "genetics/nexus_data_type.h"

#include <sstream>

#include "coalescent/genetic_parameters.h"
#include "genetics/mutation_state.h"

namespace orvantis {

namespace {

int foldType(int runType, int blockType) {
  if (runType < 0) return blockType;
  return blockType == runType ? runType : STANDARD;
}

}  // namespace

int runDataType(const std::vector<int>& blockTypes) {
  int type = -1;
  for (const int t : blockTypes) type = foldType(type, t);
  return type;
}

namespace {

// Reads the chromosomes in order and hands every block type to `note` until the run is mixed.
template <class Note>
int readBlockTypes(const std::string& fileName, int numChromosomes, std::ostream& log, Note note) {
  TGeneticParameters scratch;
  scratch.setNumChromosomes(numChromosomes);
  int type = -1;
  for (int c = 0; c < numChromosomes && type != STANDARD; ++c) {
    // Each reading logs the chromosome's blocks, which the run logs anyway when it simulates it.
    std::ostringstream quiet;
    if (!scratch.readChromosome(fileName, c, quiet)) {
      log << quiet.str() << std::flush;
      return -1;
    }
    for (int b = 0; b < scratch.numBlocks(); ++b) {
      note(scratch.block(b).type);
      type = foldType(type, scratch.block(b).type);
    }
  }
  return type;
}

}  // namespace

int readRunDataType(const std::string& fileName, int numChromosomes, std::ostream& log) {
  return readBlockTypes(fileName, numChromosomes, log, [](int) {});
}

int noteRunDataType(TMutationState& state, const std::string& fileName, int numChromosomes,
                    std::ostream& log) {
  return readBlockTypes(fileName, numChromosomes, log,
                        [&state](int type) { state.noteBlockType(type); });
}

}  // namespace orvantis

#include "genetics/nexus_data_type.h"

#include <sstream>

#include "coalescent/genetic_parameters.h"

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

int addChromosomeDataType(int runType, const TGeneticParameters& parameters) {
  for (int b = 0; b < parameters.numBlocks(); ++b) {
    runType = foldType(runType, parameters.block(b).type);
  }
  return runType;
}

int readRunDataType(const std::string& fileName, int numChromosomes, std::ostream& log) {
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
    type = addChromosomeDataType(type, scratch);
  }
  return type;
}

}  // namespace orvantis

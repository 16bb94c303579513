#include "genetics/project_file.h"

#include "coalescent/deme_collection.h"
#include "genetics/locus_data.h"
#include "genetics/mutation_models.h"
#include "genetics/mutation_state.h"

namespace orvantis {

namespace {

// The default number format (6 significant digits, fixed or scientific by the exponent) for
// the time of one writer, whatever the caller left on the stream.
class TDefaultNumberFormat {
 public:
  explicit TDefaultNumberFormat(std::ostream& stream)
      : stream_(stream), flags_(stream.flags()), precision_(stream.precision()) {
    stream.flags(std::ios_base::dec | std::ios_base::skipws);
    stream.precision(6);
  }
  ~TDefaultNumberFormat() {
    stream_.flags(flags_);
    stream_.precision(precision_);
  }
  TDefaultNumberFormat(const TDefaultNumberFormat&) = delete;
  TDefaultNumberFormat& operator=(const TDefaultNumberFormat&) = delete;

 private:
  std::ostream& stream_;
  std::ios_base::fmtflags flags_;
  std::streamsize precision_;
};

// The deme of a sample's deme number (its position in the initial deme list).
const TDeme* demeOfNumber(const TDemeCollection& collection, int demeNumber) {
  if (demeNumber < 0 || demeNumber >= collection.numSampleDemes()) return nullptr;
  return collection.demeAt(collection.initialDemes()[static_cast<std::size_t>(demeNumber)]);
}

void writeTypeLine(std::ostream& file, const TBlockParameters& block) {
  switch (block.type) {
    case MICROSAT:
      file << "#MICROSAT";
      if (block.rangeConstraint != 0) {
        const TAlleleBounds bounds = alleleBounds(block.rangeConstraint);
        file << " (Range constraint : " << block.rangeConstraint << " ["
             << static_cast<long long>(bounds.minAllele) + kMicrosatDataOffset << ";"
             << static_cast<long long>(bounds.maxAllele) + kMicrosatDataOffset << "])\n";
      } else {
        file << " (No range constraint)\n";
      }
      break;
    case RFLP:
      file << "#RFLP\n";
      break;
    case DNA:
      file << "#DNA\n";
      break;
    case SNP:
      file << "#SNP"
           << " Minimum Frequency = " << block.snpMinFrequency << "\n";
      break;
    default:
      break;
  }
}

}  // namespace

std::string projectFileName(const std::string& baseName, int simulation) {
  return baseName + "_" + std::to_string(simulation) + ".arp";
}

void writeProjectHeader(std::ostream& file, const TDemeCollection& collection, int numChromosomes) {
  const TDefaultNumberFormat format(file);
  file << "#Tessarin input file written by the simulation program ORVANTIS ver 3.0\n\n"
       << "#Simulation parameters:\n"
       << "#======================\n"
       << "\n#Deme sizes\n"
       << "\n#Sample sizes (in number of genes)\n";
  for (int d = 0; d < collection.numSampleDemes(); ++d) {
    const TDeme* deme = demeOfNumber(collection, d);
    file << "#Deme #" << d + 1 << "\t" << (deme != nullptr ? deme->sampleSize : 0) << "\n";
  }
  file << "\n#Number of chromosome        : " << numChromosomes << "\n\n";
}

void writeChromosomeHeader(std::ostream& file, int chromosome, const TGeneticParameters& parameters,
                           TMutationState& state) {
  const TDefaultNumberFormat format(file);
  const int numBlocks = parameters.numBlocks();
  file << "\n#Chromosome no " << chromosome << "\n"
       << "#---------------\n"
       << "#Num Linkage Blocks: " << numBlocks << "\n";
  for (int b = 0; b < numBlocks; ++b) {
    const TBlockParameters& block = parameters.block(b);
    state.setCurrentBlock(block);
    state.noteBlockType(block.type);
    file << "\n#Blocks n " << b + 1 << "\n";
    writeTypeLine(file, block);
    file << "#Num linked loci      : " << block.numLoci << "\n"
         << "#Recombination rate per generation      : " << block.recRate << "\n"
         << "#Mutation rate per generation      : " << block.mutationRate << "\n";
  }
}

int countProfileSamples(const TDemeCollection& collection) {
  int samples = 0;
  for (int d = 0; d < collection.numSampleDemes(); ++d) {
    const TDeme* deme = demeOfNumber(collection, d);
    if (deme != nullptr && deme->sampleSize != 0) samples += deme->extraSamples + 1;
  }
  return samples;
}

void writeProfile(std::ostream& file, int numSamples, int dataType, int genotypicData) {
  const TDefaultNumberFormat format(file);
  file << "\n[Profile]\n"
       << "\tTitle=\"A series of simulated samples\"\n"
       << "\tNbSamples=" << numSamples << "\n";
  if (genotypicData != 0) {
    file << "\tGenotypicData=1\n\tGameticPhase=0\n";
  } else {
    file << "\tGenotypicData=0\n\tGameticPhase=1\n";
  }
  file << "\tRecessiveData=0\n"
       << "\tDataType=";
  switch (dataType) {
    case MICROSAT:
      file << "MICROSAT\n\tLocusSeparator=TAB\n";
      break;
    case RFLP:
    case SNP:
      file << "RFLP\n\tLocusSeparator=NONE\n";
      break;
    case DNA:
      file << "DNA\n\tLocusSeparator=NONE\n";
      break;
    default:
      file << "STANDARD\n\tLocusSeparator=WHITESPACE\n";
      break;
  }
  file << "\tMissingData='?'\n"
       << "\n[Data]\n"
       << "\t[[Samples]]\n\n";
}

void writeSamples(std::ostream& file, const TDemeCollection& collection, int genotypicData) {
  const TDefaultNumberFormat format(file);
  const auto& samples = collection.sampleList();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const TDeme* deme = demeOfNumber(collection, samples[i].demeNumber);
    const int k = samples[i].position;
    if (deme == nullptr || deme->sampleSize == 0 || k < 0 ||
        k >= static_cast<int>(deme->samples.size())) {
      continue;
    }
    const int size = deme->samples[static_cast<std::size_t>(k)].size;
    int offset = 0;
    for (int s = 0; s < k; ++s) offset += deme->samples[static_cast<std::size_t>(s)].size;
    const std::size_t nameIndex = static_cast<std::size_t>(k) + 1;
    file << "\t\tSampleName=\"" << (nameIndex < deme->names.size() ? deme->names[nameIndex] : "")
         << "\"\n"
         << "\t\tSampleSize=" << (genotypicData != 0 ? size / 2 : size) << "\n\t\tSampleData= {\n";
    int individual = 1;
    for (int g = offset; g < offset + size; ++g) {
      if (genotypicData == 0) {
        file << i + 1 << "_" << g + 1 << "\t1\t";
      } else if (g % 2 == 0) {
        file << i + 1 << "_" << individual++ << "\t1\t";
      } else {
        file << "\t\t";
      }
      for (const TLocus& chromosome : deme->loci) {
        if (g < chromosome.numGenes()) file << chromosome.genes[static_cast<std::size_t>(g)];
        file << "\t";
      }
      file << "\n";
    }
    file << "\n}\n";
  }
}

void writeStructure(std::ostream& file, const TDemeCollection& collection) {
  const TDefaultNumberFormat format(file);
  file << "\n[[Structure]]\n"
       << "\n\tStructureName=\"Simulated data\""
       << "\n\tNbGroups=1"
       << "\n\tGroup={";
  for (const TSampleRef& sample : collection.sampleList()) {
    const TDeme* deme = demeOfNumber(collection, sample.demeNumber);
    if (deme == nullptr || deme->sampleSize == 0 || sample.position < 0) continue;
    const std::size_t nameIndex = static_cast<std::size_t>(sample.position) + 1;
    file << "\n\t   \"" << (nameIndex < deme->names.size() ? deme->names[nameIndex] : "") << "\"";
  }
  file << "\n\t}"
       << "\n";
}

}  // namespace orvantis

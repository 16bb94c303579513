#include "coalescent/genetic_parameters.h"

#include <climits>
#include <cmath>
#include <fstream>
#include <new>
#include <sstream>
#include <string_view>

#include "coalescent/text_fields.h"
#include "foundation/paths.h"
#include "foundation/window_services.h"

namespace orvantis {

namespace {

constexpr const char* kReadChromosome = " ERROR: {TDemeCollection::readChromosome()} [";
constexpr const char* kCountAllLoci = " ERROR: {TDemeCollection::countAllLoci()} [";
constexpr const char* kNotRead = "the .par file has not been read\n";

// The data type of a block line: the first of the four type words found, letter case as
// written; -1 when none is there.
int recogniseType(std::string_view line) {
  static constexpr struct {
    const char* word;
    int type;
  } kWords[] = {{"MICROSAT", MICROSAT}, {"DNA", DNA}, {"SNP", SNP}, {"RFLP", RFLP}};
  for (const auto& w : kWords) {
    if (line.find(w.word) != std::string_view::npos) return w.type;
  }
  return -1;
}

// Reads the optional real in field k: absent gives `absent`; a field that is not a finite
// number, or a negative one where `nonNegative`, is a problem.
bool optionalReal(const std::vector<std::string_view>& fields, std::size_t k, double absent,
                  bool nonNegative, double& value, std::string& problem) {
  if (k >= fields.size()) {
    value = absent;
    return true;
  }
  if (!leadingReal(fields[k], value) || !std::isfinite(value) || (nonNegative && value < 0.0)) {
    problem = "field " + std::to_string(k + 1) + " (" + std::string(fields[k].substr(0, 40)) +
              ") is not a " + (nonNegative ? "finite number of at least 0" : "finite number");
    return false;
  }
  return true;
}

bool optionalFloat(const std::vector<std::string_view>& fields, std::size_t k, bool nonNegative,
                   float& value, std::string& problem) {
  double read = 0.0;
  if (!optionalReal(fields, k, 0.0, nonNegative, read, problem)) return false;
  value = static_cast<float>(read);
  if (!std::isfinite(value)) {
    problem = "field " + std::to_string(k + 1) + " is beyond the range of a real";
    return false;
  }
  return true;
}

// Parses one block line over the previous block of the chromosome (or zeros). `untyped` tells
// that the line names no type and the block kept the previous one.
bool parseBlock(std::string_view line, const TBlockParameters& previous, bool first,
                TBlockParameters& block, bool& untyped, std::string& problem) {
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  if (fields.size() < 3) {
    problem = "a block line needs a data type, a number of loci and a recombination rate";
    return false;
  }
  long long loci = 0;
  if (!leadingInteger(fields[1], loci)) {
    problem = "the number of loci (" + std::string(fields[1].substr(0, 40)) + ") is not a number";
    return false;
  }
  if (loci < 1 || loci > kMaxLociPerChromosome) {
    problem = "the number of loci (" + std::to_string(loci) + ") must lie between 1 and " +
              std::to_string(kMaxLociPerChromosome);
    return false;
  }
  double recRate = 0.0;
  if (!optionalReal(fields, 2, 0.0, true, recRate, problem)) {
    problem = "the recombination rate: " + problem;
    return false;
  }
  const int type = recogniseType(line);
  untyped = type < 0;
  if (untyped && first) {
    problem = "the first block line names no data type (MICROSAT, DNA, SNP or RFLP)";
    return false;
  }
  block = previous;
  block.numLoci = static_cast<int>(loci);
  block.recRate = recRate;
  if (untyped) return true;
  block.type = type;
  switch (type) {
    case MICROSAT: {
      double range = 0.0;
      if (!optionalFloat(fields, 3, true, block.mutationRate, problem) ||
          !optionalReal(fields, 4, 0.0, false, block.microsatParameter, problem) ||
          !optionalReal(fields, 5, 0.0, true, range, problem)) {
        return false;
      }
      if (range > 2147483647.0) {
        problem = "the range constraint is beyond the range of an integer";
        return false;
      }
      block.rangeConstraint = static_cast<int>(range);
      return true;
    }
    case RFLP:
      return optionalFloat(fields, 3, true, block.mutationRate, problem);
    case DNA: {
      float* values[] = {&block.dna.freqA,  &block.dna.freqC,  &block.dna.freqG,  &block.dna.freqT,
                         &block.dna.rateAC, &block.dna.rateAG, &block.dna.rateAT, &block.dna.rateCG,
                         &block.dna.rateCT, &block.dna.rateGT};
      if (!optionalFloat(fields, 3, true, block.mutationRate, problem)) return false;
      for (std::size_t k = 0; k < 10; ++k) {
        if (!optionalFloat(fields, 4 + k, true, *values[k], problem)) return false;
      }
      return true;
    }
    case SNP:
      block.mutationRate = 0.0f;
      return optionalReal(fields, 3, 0.0, true, block.snpMinFrequency, problem);
    default:
      return true;
  }
}

void logBlock(std::ostream& log, const TBlockParameters& b) {
  log << "\tNumber of partially linked " << dataTypeName(b.type)
      << ", recombination and mutation rates: " << b.numLoci << " " << b.recRate << " "
      << b.mutationRate;
  if (b.type == DNA) {
    const TDnaValues& d = b.dna;
    const float others = d.freqC + d.freqG + d.freqT + d.rateAC + d.rateAG + d.rateAT + d.rateCG +
                         d.rateCT + d.rateGT;
    if (d.freqA > 0.0f && others == 0.0f) {
      log << " WARNING: The .par file seems to be designed for the older version of ORVANTIS ver2 "
             "(only transition rate), please update to ORVANTIS ver3!";
    } else {
      log << " Freq A= " << d.freqA << " Freq C= " << d.freqC << " Freq G= " << d.freqG
          << " Freq T= " << d.freqT << " Rate AC= " << d.rateAC << " Rate AG= " << d.rateAG
          << " Rate AT= " << d.rateAT << " Rate CG= " << d.rateCG << " Rate CT= " << d.rateCT
          << " Rate GT= " << d.rateGT;
    }
  }
  log << "\n";
}

// The first field of a line as a count within [minimum, maximum]; a problem otherwise.
bool countOnLine(const std::string& line, long long minimum, long long maximum, long long& value,
                 std::string& problem, const char* what) {
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  if (fields.empty() || !leadingInteger(fields[0], value)) {
    problem = std::string("the ") + what + " is not a number";
    return false;
  }
  if (value < minimum || value > maximum) {
    problem = std::string("the ") + what + " (" + std::to_string(value) + ") must lie between " +
              std::to_string(minimum) + " and " + std::to_string(maximum);
    return false;
  }
  return true;
}

}  // namespace

const char* dataTypeName(int type) {
  switch (type) {
    case MICROSAT:
      return "MICROSAT";
    case RFLP:
      return "RFLP";
    case DNA:
      return "DNA";
    case STANDARD:
      return "STANDARD";
    case SNP:
      return "SNP";
    default:
      return "UNKNOWN";
  }
}

int readNumChromosomes(const std::string& fileName, std::ostream& log) {
  std::ifstream in(nativePath(fileName), std::ios::binary);
  if (fileName.empty() || !in) {
    log << kNotRead << std::flush;
    return 0;
  }
  std::string line;
  int lineNumber = 0;
  long long count = 0;
  std::string problem;
  if (!readTextLine(in, line, lineNumber)) {
    log << " ERROR: {World::readNumChromosomes()} [the genetic parameters file '" << fileName
        << "' is empty]" << std::endl;
    return 0;
  }
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  if (fields.empty() || !leadingInteger(fields[0], count)) {
    problem = "the number of chromosomes is not a number";
  } else if (count > kMaxChromosomes) {
    problem = "the number of chromosomes (" + std::to_string(count) + ") exceeds " +
              std::to_string(kMaxChromosomes);
  }
  if (!problem.empty()) {
    log << " ERROR: {World::readNumChromosomes()} [line 1 of '" << fileName << "': " << problem
        << "]" << std::endl;
    return 0;
  }
  return clampToInt(count);
}

int checkNumChromosomes(int numChromosomes, std::ostream& log, TWindowServices& window) {
  if (numChromosomes >= 1) return 1;
  log << "****ERROR:{World::SimulateGeneticData()} [Number of chromosome < 1!]" << std::endl;
  window.messageBox(
      "The genetic parameters file gives no chromosome to simulate: no genetic simulation is run.",
      "ERROR: genetic parameters file");
  return 0;
}

void TGeneticParameters::setNumChromosomes(int numChromosomes) {
  const std::size_t c = static_cast<std::size_t>(numChromosomes > 0 ? numChromosomes : 0);
  blocksPerChromosome_.assign(c, 0);
  recRateSumPerChromosome_.assign(c, 0.0);
  lociPerBlock_.assign(c, std::vector<int>());
}

void TGeneticParameters::clearChromosome() {
  numLoci_ = 0;
  totalRecRate_ = 0.0;
  recRates_.clear();
  mutationRates_.clear();
  dataTypes_.clear();
  rangeConstraints_.clear();
  microsatParameters_.clear();
  blocks_.clear();
  firstLocus_.clear();
}

int TGeneticParameters::fail() {
  clearChromosome();
  return 0;
}

int TGeneticParameters::countAllLoci(const std::string& fileName, std::ostream& log) {
  std::ifstream in(nativePath(fileName), std::ios::binary);
  if (fileName.empty() || !in) {
    log << "\n" << kNotRead << std::flush;
    return 1;
  }
  std::string line;
  std::string problem;
  int lineNumber = 0;
  const auto damaged = [&](const std::string& what) {
    log << kCountAllLoci << "line " << lineNumber << " of '" << fileName << "': " << what << "]"
        << std::endl;
    return 1;
  };
  if (!readTextLine(in, line, lineNumber)) return damaged("the file is empty");
  long long chromosomes = 0;
  if (!countOnLine(line, 0, kMaxChromosomes, chromosomes, problem, "number of chromosomes")) {
    return damaged(problem);
  }
  long long total = 0;
  for (long long c = 1; c <= chromosomes; ++c) {
    const std::string which = "chromosome " + std::to_string(c);
    if (!readTextLine(in, line, lineNumber) || !readTextLine(in, line, lineNumber)) {
      return damaged("the file ends before the number of blocks of " + which);
    }
    long long blocks = 0;
    if (!countOnLine(line, 1, kMaxBlocks, blocks, problem, "number of blocks")) {
      return damaged(problem + " (" + which + ")");
    }
    std::vector<std::string_view> fields;
    for (long long b = 0; b < blocks; ++b) {
      if (!readTextLine(in, line, lineNumber)) {
        return damaged("the file ends before the " + std::to_string(blocks) + " block lines of " +
                       which);
      }
      splitFields(line, fields);
      long long loci = 0;
      if (fields.size() < 2 || !leadingInteger(fields[1], loci) || loci < 1 ||
          loci > kMaxLociPerChromosome) {
        return damaged("the second field of a block line of " + which +
                       " must be a number of loci between 1 and " +
                       std::to_string(kMaxLociPerChromosome));
      }
      total += loci;
      if (total > INT_MAX) return damaged("more loci than the program can count");
    }
  }
  return static_cast<int>(total);
}

int TGeneticParameters::readChromosome(const std::string& fileName, int c, std::ostream& log) {
  clearChromosome();
  if (c < 0 || c >= numChromosomes()) {
    log << kReadChromosome << "chromosome " << c + 1 << " is not one of the " << numChromosomes()
        << " chromosomes of the run]" << std::endl;
    return 0;
  }
  std::ifstream in(nativePath(fileName), std::ios::binary);
  if (fileName.empty() || !in) {
    log << kNotRead << std::flush;
    return 0;
  }
  const std::size_t chromosome = static_cast<std::size_t>(c);
  blocksPerChromosome_[chromosome] = 0;
  recRateSumPerChromosome_[chromosome] = 0.0;
  lociPerBlock_[chromosome].clear();

  std::string line;
  int lineNumber = 0;
  const auto damaged = [&](const std::string& what) {
    log << kReadChromosome << "line " << lineNumber << " of '" << fileName << "', chromosome "
        << c + 1 << ": " << what << "]" << std::endl;
    blocksPerChromosome_[chromosome] = 0;
    recRateSumPerChromosome_[chromosome] = 0.0;
    lociPerBlock_[chromosome].clear();
    return fail();
  };
  if (!readTextLine(in, line, lineNumber)) return damaged("the file is empty");
  for (int found = 0; found <= c;) {
    if (!readTextLine(in, line, lineNumber)) {
      return damaged("the file has no line \"#chromosome\" for this chromosome");
    }
    if (line.find("#chromosome") != std::string::npos) ++found;
  }
  if (!readTextLine(in, line, lineNumber)) {
    return damaged("the file ends before the number of linkage blocks");
  }
  long long numBlocks = 0;
  std::string problem;
  if (!countOnLine(line, 1, kMaxBlocks, numBlocks, problem, "number of linkage blocks")) {
    return damaged(problem);
  }
  log << "\tNumber of linkage blocks to simulate : " << numBlocks << "\n";

  // The whole chromosome is checked before any per-locus array is filled, so a damaged file
  // allocates nothing in proportion to the counts it gives.
  long long loci = 0;
  std::vector<int> untypedLines;
  TBlockParameters previous;
  try {
    blocks_.reserve(static_cast<std::size_t>(numBlocks < 1024 ? numBlocks : 1024));
    for (long long b = 0; b < numBlocks; ++b) {
      if (!readTextLine(in, line, lineNumber)) {
        return damaged("the file ends after " + std::to_string(b) + " of the " +
                       std::to_string(numBlocks) + " block lines");
      }
      TBlockParameters block;
      bool untyped = false;
      if (!parseBlock(line, previous, b == 0, block, untyped, problem)) return damaged(problem);
      if (loci + block.numLoci > kMaxLociPerChromosome) {
        return damaged("the chromosome has more than " + std::to_string(kMaxLociPerChromosome) +
                       " loci");
      }
      untypedLines.push_back(untyped ? lineNumber : 0);
      firstLocus_.push_back(static_cast<int>(loci));
      blocks_.push_back(block);
      loci += block.numLoci;
      previous = block;
    }
    const std::size_t n = static_cast<std::size_t>(loci);
    recRates_.reserve(n);
    dataTypes_.reserve(n);
    mutationRates_.reserve(n);
    rangeConstraints_.reserve(n);
    microsatParameters_.reserve(n);
    lociPerBlock_[chromosome].reserve(blocks_.size());
  } catch (const std::bad_alloc&) {
    return damaged("not enough memory for the parameters of " + std::to_string(loci) + " loci");
  }
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    const TBlockParameters& block = blocks_[b];
    if (untypedLines[b] != 0) {
      log << " WARNING: {TDemeCollection::readChromosome()} [line " << untypedLines[b] << " of '"
          << fileName << "', chromosome " << c + 1
          << ": no data type (MICROSAT, DNA, SNP or RFLP); the block keeps the type and "
             "parameters of the previous block]"
          << std::endl;
    }
    recRateSumPerChromosome_[chromosome] += block.recRate;
    lociPerBlock_[chromosome].push_back(block.numLoci);
    const std::size_t n = static_cast<std::size_t>(block.numLoci);
    recRates_.insert(recRates_.end(), n, block.recRate);
    dataTypes_.insert(dataTypes_.end(), n, block.type);
    mutationRates_.insert(mutationRates_.end(), n, block.mutationRate);
    rangeConstraints_.insert(rangeConstraints_.end(), n, block.rangeConstraint);
    microsatParameters_.insert(microsatParameters_.end(), n, block.microsatParameter);
    logBlock(log, block);
  }
  blocksPerChromosome_[chromosome] = static_cast<int>(numBlocks);
  numLoci_ = static_cast<int>(loci);
  float sum = 0.0f;
  // Single-precision accumulator: each double rate is added, the sum rounded to float.
  for (int k = 0; k + 1 < numLoci_; ++k) sum = static_cast<float>(sum + recRates_[index(k)]);
  totalRecRate_ = sum;
  return 1;
}

}  // namespace orvantis

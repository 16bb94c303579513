// The sample file: where, how many and when genes are sampled.
//
//   line 1: the number of samples N
//   N lines: name, size (genes), population index, Y, X and an optional date (generation from
//   the start of the demography; missing or beyond EndTime: EndTime, the present)
//
// Every sample is checked against the world and the stored demography; an accepted sample joins
// the deme of its (cell, population). Bad lines are refused one by one with a log line naming
// the file and the line; the reading never goes past the end of the file.

#include <cmath>
#include <fstream>
#include <new>
#include <string_view>
#include <vector>

#include "coalescent/deme_collection.h"
#include "coalescent/text_fields.h"
#include "foundation/paths.h"
#include "world/landscape/world.h"
#include "world/output/immigrants_file.h"

namespace orvantis {

namespace {

constexpr const char* kPlace = " ERROR: {TDemeCollection::readSampleFile()} [";

}  // namespace

bool TDemeCollection::askOnce(bool& asked) {
  if (asked) return true;
  asked = true;
  return window_.askOkCancel(
      "One or more samples can not be used, see Friction.log for more details. Do you want to "
      "continue?",
      "WARNING: Cell(s) not colonised or it's density is smaller than the sample size");
}

int TDemeCollection::readSampleFile() {
  const TExtendedSettings& settings = world_.settings();
  const std::string fileName = settings.fileParameter(FileParam::SampleFile).str();
  std::ifstream in(nativePath(fileName), std::ios::binary);
  if (fileName.empty() || !in) {
    log_ << "\nthe .sam file has not been read\n" << std::flush;
    return 0;
  }
  genotypicData_ = settings.intParameter(IntParam::GenotypicData);
  const int endTime = settings.intParameter(IntParam::EndTime, true);
  discardDemes();
  if (numSlots_ == 0 || !reader_) {
    log_ << kPlace << "no demography to sample: build the world and run the demographic "
         << "simulation first]" << std::endl;
    return 0;
  }
  if (endTime < 0 || endTime > reader_->database().endTime()) {
    log_ << kPlace << "EndTime (" << endTime
         << ") is not a generation of the stored demography (0 to " << reader_->database().endTime()
         << ")]" << std::endl;
    return 0;
  }

  std::string line;
  int lineNumber = 0;
  std::vector<std::string_view> fields;
  long long announced = 0;
  if (!readTextLine(in, line, lineNumber)) {
    log_ << kPlace << "the sample file '" << fileName << "' is empty]" << std::endl;
    return 0;
  }
  splitFields(line, fields);
  if (fields.empty() || !leadingInteger(fields[0], announced) || announced < 0 ||
      announced > INT32_MAX) {
    log_ << kPlace << "line 1 of '" << fileName
         << "': the first line must give the number of samples]" << std::endl;
    return 0;
  }
  bool asked = false;
  for (int k = 0; k < announced; ++k) {
    if (!readTextLine(in, line, lineNumber)) {
      log_ << kPlace << "the sample file '" << fileName << "' ends after " << k << " of the "
           << announced << " samples it announces]" << std::endl;
      break;
    }
    const int status = readSampleLine(line, k, lineNumber, fileName, endTime, asked);
    if (status == 0) return 0;
    if (status < 0) break;
  }
  return 1;
}

int TDemeCollection::readSampleLine(const std::string& line, int sampleNumber, int lineNumber,
                                    const std::string& fileName, int endTime, bool& asked) {
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  const my_string name(fields.empty() ? std::string() : std::string(fields[0].substr(0, 1000)));
  const auto refuse = [&](const std::string& why) {
    log_ << kPlace << "line " << lineNumber << " of '" << fileName << "': " << why << "]"
         << std::endl;
    return 1;
  };
  if (fields.size() < 5) {
    return refuse("a sample needs a name, a size, a population index, Y and X");
  }
  long long size = 0;
  long long population = 0;
  double y = 0.0;
  double x = 0.0;
  if (!leadingInteger(fields[1], size) || size < 1 || size > kMaxSampledGenes) {
    return refuse("the size of sample '" + name.str() + "' must be a number of genes from 1 to " +
                  std::to_string(kMaxSampledGenes));
  }
  if (!leadingInteger(fields[2], population)) {
    return refuse("the population index of sample '" + name.str() + "' is not a number");
  }
  if (!leadingReal(fields[3], y) || !leadingReal(fields[4], x)) {
    return refuse("the coordinates of sample '" + name.str() + "' are not numbers");
  }
  long long date = endTime;
  if (fields.size() > 5 && !leadingInteger(fields[5], date)) date = 0;
  if (date > endTime) date = endTime;
  const int sampleSize = static_cast<int>(size);

  if (genotypicData_ != 0 && sampleSize % 2 != 0) {
    log_ << " ERROR: When simulating genotypic data, each (haploid) sample size" << std::endl
         << " must be an even number. Please correct your sample file (*.sam)." << std::endl;
    window_.messageBox(
        "When simulating genotypic data, each (haploid) sample size must be an even number. "
        "Please correct your sample file (*.sam).",
        "ERROR: uneven  sample size with gentotypic data");
    return 0;
  }
  // Coordinates are single-precision values of the grid's units.
  const float fy = static_cast<float>(y);
  const float fx = static_cast<float>(x);
  int row = 0;
  int col = 0;
  if (!world_.header().locate(fx, fy, row, col)) {
    // Also a point on the east or north edge, which lies on no cell.
    log_ << " ERROR: [the population '" << name << "' is out of World coordinates!]" << std::endl;
    return 1;
  }
  if (date < 1) {
    log_ << " ERROR:  [the date (" << date << ") of sample '" << name
         << "' is out of the simulated period [1," << endTime << "]!]" << std::endl;
    return 1;
  }
  if (population < 0 || population > numPopulations_ - 1) {
    log_ << "ERROR:[the no of deme # " << name << " does not exist!]" << std::endl;
    return -1;
  }
  const int pop = static_cast<int>(population);
  const cell* place = world_.cellAt(row, col);
  if (place == nullptr) {
    log_ << " WARNING: [the population '" << name << "' is on the water!]" << std::endl;
    return askOnce(asked) ? 1 : 0;
  }
  const int individuals = reader_->get_N(place->index, pop, static_cast<int>(date));
  if (individuals < sampleSize) {
    log_ << " WARNING:  [the population '" << name << "' has not been colonised or it's density ("
         << individuals << ") is smaller than the sample size (" << sampleSize << ")!]"
         << std::endl;
    return askOnce(asked) ? 1 : 0;
  }
  if (totalSampledGenes_ > kMaxSampledGenes - sampleSize) {
    return refuse("sample '" + name.str() + "' takes the genes of all samples beyond " +
                  std::to_string(kMaxSampledGenes));
  }

  const bool ancient = date < endTime;
  try {
    if (ancient) {
      TAncientSample a;
      a.name = name;
      a.date = static_cast<int>(date);
      a.size = sampleSize;
      a.popIndex = pop;
      a.y = fy;
      a.x = fx;
      ancientSamples_.push_back(a);
      ++numAncientSamples_;
      ++ancientSamplesLeft_;
    }
    ancientFlags_.push_back(ancient ? 1 : 0);
  } catch (const std::bad_alloc&) {
    log_ << kPlace << "not enough memory for the samples]" << std::endl;
    return 0;
  }
  if (world_.settings().intParameter(IntParam::ImmigDistrFile) == 1) {
    (void)writeImmigrantsFile(*reader_, outputBaseName_, place->index, pop, endTime, log_);
  }
  int lineageOffset = 0;
  if (addSample(*place, name, sampleSize, pop, sampleNumber, ancient, lineageOffset) == nullptr) {
    return 0;
  }
  if (ancient) ancientSamples_.back().lineageOffset = lineageOffset;
  return 1;
}

TDeme* TDemeCollection::addSample(const cell& place, const my_string& name, int size, int popIndex,
                                  int sampleNumber, bool isAncient, int& lineageOffset) {
  lineageOffset = 0;
  const int slot = slotOf(place.index, popIndex);
  if (slot < 0 || size < 1) {
    log_ << " ERROR: {TDemeCollection::addSample()} [no deme for cell " << place.index
         << ", population " << popIndex << ", size " << size << "]" << std::endl;
    return nullptr;
  }
  TDeme* d = demeAt(place.index, popIndex);
  try {
    if (d != nullptr) {
      d->sampleSize += size;
      if (isAncient) {
        lineageOffset = d->ancientSampleSize;
        d->ancientPending += size;
        d->ancientSampleSize += size;
      } else {
        d->numLineages += size;
      }
      ++d->extraSamples;
    } else {
      demes_.push_back(std::make_unique<TDeme>(*this, place.index, &place, popIndex));
      d = demes_.back().get();
      d->sampleSize = size;
      if (isAncient) {
        d->ancientPending = size;
        d->ancientSampleSize = size;
      } else {
        d->numLineages = size;
      }
      d->names.push_back(name);
      d->demeNumber = numDemes_;
      demeTable_[static_cast<std::size_t>(slot)] = static_cast<int>(demes_.size()) - 1;
      activeDemes_[static_cast<std::size_t>(numDemes_)] = TDemeSlot{place.index, popIndex};
      ++numDemes_;
    }
    d->samples.push_back(TDemeSample{size, sampleNumber});
    sampleList_.push_back(TSampleRef{d->demeNumber, static_cast<int>(d->samples.size()) - 1});
    d->names.push_back(name);
    d->ancientFlags.push_back(isAncient ? 1 : 0);
  } catch (const std::bad_alloc&) {
    log_ << " ERROR: {TDemeCollection::addSample()} [not enough memory]" << std::endl;
    return nullptr;
  }
  totalSampledGenes_ += size;
  return d;
}

int TDemeCollection::GetDemeFromCoordinates(float y, float x) const {
  int row = 0;
  int col = 0;
  const cell* place = world_.header().locate(x, y, row, col) ? world_.cellAt(row, col) : nullptr;
  if (place == nullptr) {
    log_ << " ERROR: {TDemeCollection::GetDemeFromCoordinates()} [a serial samples is out of "
            "World coordinates!]"
         << std::endl;
    return -1;
  }
  return place->index;
}

}  // namespace orvantis

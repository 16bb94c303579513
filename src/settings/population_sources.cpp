#include "settings/population_sources.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <utility>

#include "foundation/exception.h"
#include "foundation/paths.h"
#include "settings/text_position.h"

namespace orvantis {

namespace {

// Numbers are whole words: "1.5" is not an integer and "2x" not a number, so a record whose
// fields have shifted is refused instead of being read with wrong values.
bool readField(std::istream& in, int& value) {
  std::string word;
  if (!(in >> word)) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(word.c_str(), &end, 10);
  if (end != word.c_str() + word.size() || errno == ERANGE ||
      parsed < std::numeric_limits<int>::min() || parsed > std::numeric_limits<int>::max()) {
    return false;
  }
  value = static_cast<int>(parsed);
  return true;
}

bool readField(std::istream& in, float& value) {
  std::string word;
  if (!(in >> word)) return false;
  char* end = nullptr;
  const float parsed = std::strtof(word.c_str(), &end);
  if (end != word.c_str() + word.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

// Reads one source record. On failure names the field that could not be read.
bool readRecord(std::istream& in, PopulationSource& source, std::size_t& nameLength,
                const char*& missingField) {
  std::string name;
  missingField = "name";
  if (!(in >> name)) return false;
  nameLength = name.size();
  if (nameLength <= PopulationSource::kMaxNameLength) source.name = my_string(name);
  missingField = "initial size";
  if (!readField(in, source.size)) return false;
  missingField = "latitude";
  if (!readField(in, source.latitude)) return false;
  missingField = "longitude";
  if (!readField(in, source.longitude)) return false;
  missingField = "size before the expansion";
  if (!readField(in, source.sizeBeforeExpansion)) return false;
  missingField = "duration of the bottleneck";
  if (!readField(in, source.bottleneckDuration)) return false;
  missingField = "size before the bottleneck";
  if (!readField(in, source.sizeBeforeBottleneck)) return false;
  missingField = "migration before the expansion";
  if (!readField(in, source.migrationBeforeExpansion)) return false;
  missingField = "layer";
  if (!readField(in, source.layer)) return false;
  missingField = "expansion time";
  if (!readField(in, source.expansionTime)) return false;
  missingField = nullptr;
  return true;
}

void logSource(std::ostream& log, const PopulationSource& s, int sourceCount, bool twoPopulations) {
  log << "\tID: " << s.name << ", Initial density: " << s.size << ", Lat: " << s.latitude
      << ", Long: " << s.longitude << ", Initial size: " << s.size << ", Long: " << s.longitude;
  if (s.sizeBeforeExpansion >= 1) {
    log << ", Source size before the expansion: " << s.sizeBeforeExpansion;
  } else {
    log << ", No resize before the expansion: " << s.sizeBeforeExpansion;
  }
  if (s.sizeBeforeBottleneck >= 1) {
    log << ", Duration of the bottleneck: " << s.bottleneckDuration
        << ", Source size before the bottleneck: " << s.sizeBeforeBottleneck;
  } else {
    log << ", No bottleneck: " << s.sizeBeforeExpansion;
  }
  if (sourceCount == 1) {
    log << ", Only one source, no migration before the expansion.";
  } else {
    log << ", Migration from this source before the expansion:" << s.migrationBeforeExpansion;
    if (twoPopulations) log << ", Expansion time: " << s.expansionTime << ", Layer: " << s.layer;
  }
  log << std::endl;
}

// The reason a source is refused, or nullptr when it is valid.
const char* invalidReason(const PopulationSource& s, int numberOfPopulations, int endTime) {
  if (s.size <= 0) return " has an initial size of 0 individuals or less!";
  if (s.sizeBeforeExpansion < 0) return " has a first resize of less than 0 individuals!";
  if (s.sizeBeforeBottleneck < 0) return " has a second resize of less than 0 individuals!";
  if (s.layer < 0 || s.layer >= numberOfPopulations) return " has a wrong deme number!";
  if (s.expansionTime < 0 || s.expansionTime >= endTime) {
    return " has an expansion time outside the range of the number of generations simulated!";
  }
  return nullptr;
}

}  // namespace

int PopulationVector::readSources(const TExtendedSettings& settings, std::ostream& log) {
  return readSources(settings.fileParameter(FileParam::PopDensityFile, true), settings, log);
}

int PopulationVector::readSources(const my_string& path, const TExtendedSettings& settings,
                                  std::ostream& log) {
  clear();
  std::ifstream in(nativePath(path));
  if (!in) {
    throw TException(my_string("Unable to open the population sources file '") + path +
                         "'. Check its name in the settings file and retry.",
                     2);
  }
  const int endTime = settings.intParameter(IntParam::EndTime, true);
  const int numberOfPopulations = settings.numberOfPopulations();

  int announced = 0;
  if (!readField(in, announced)) {
    log << "****ERROR: the population sources file '" << path
        << "' does not begin with the number of sources" << std::endl;
    return 0;
  }
  log << "\tThe number of population source is " << announced << std::endl;
  if (announced < 1) {
    log << "****ERROR: the population sources file '" << path << "' lists no source" << std::endl;
    return 0;
  }

  std::vector<PopulationSource> sources;
  int firstPopulation = 0;
  for (int i = 0; i < announced; ++i) {
    PopulationSource source;
    in >> std::ws;
    const std::streamoff recordStart = in.good() ? static_cast<std::streamoff>(in.tellg()) : -1;
    const char* missingField = nullptr;
    std::size_t nameLength = 0;
    if (!readRecord(in, source, nameLength, missingField)) {
      log << "****ERROR: the population sources file '" << path << "' announces " << announced
          << " sources, but the " << missingField << " of source " << i + 1;
      if (recordStart >= 0) log << " (line " << lineOfPosition(path, recordStart) << ")";
      log << " is missing or not a number" << std::endl;
      return 0;
    }
    if (nameLength > PopulationSource::kMaxNameLength) {
      log << "****ERROR: the name of source " << i + 1 << " in '" << path << "' is longer than "
          << PopulationSource::kMaxNameLength << " characters" << std::endl;
      return 0;
    }
    if (source.layer == 0) ++firstPopulation;
    logSource(log, source, announced, numberOfPopulations == 2);

    if (const char* reason = invalidReason(source, numberOfPopulations, endTime)) {
      log << "****ERROR: Population " << source.name << reason << std::endl;
      return 0;
    }
    if (source.layer == 0 && source.expansionTime >= 1) {
      log << "****ERROR: Expansion time of population in layer 0 (" << source.name
          << ") must be equal to 0!" << std::endl;
      return 0;
    }
    sources.push_back(std::move(source));
  }

  if (firstPopulation > 1) {
    const int tau = settings.intParameter(IntParam::TauValue, true);
    for (const PopulationSource& source : sources) {
      if (source.sizeBeforeBottleneck > 0 && source.bottleneckDuration > tau) {
        log << "****ERROR: Duration of the bottleneck is too long compared to the tau value for "
               "source "
            << source.name << std::endl;
        return 0;
      }
    }
  }

  log << "\tInput file has been sucessfully read!" << std::endl;
  sources_ = std::move(sources);
  firstPopulationCount_ = firstPopulation;
  return count();
}

void PopulationVector::sortSources() {
  const int n = count();
  for (int k = 0; k < n; ++k) {
    for (int j = k + 1; j < n; ++j) {
      if (sources_[static_cast<std::size_t>(j)].expansionTime <
          sources_[static_cast<std::size_t>(k)].expansionTime) {
        std::swap(sources_[static_cast<std::size_t>(j)], sources_[static_cast<std::size_t>(k)]);
      }
    }
  }
}

void PopulationVector::add(const PopulationSource& source) {
  sources_.push_back(source);
  if (source.layer == 0) ++firstPopulationCount_;
}

void PopulationVector::clear() {
  sources_.clear();
  firstPopulationCount_ = 0;
}

}  // namespace orvantis

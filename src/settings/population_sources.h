#pragma once
// The source populations of an expansion: where they are, how many individuals they hold, when
// they enter the simulation and in which population (layer), and the history before the
// expansion that the coalescent uses.

#include <cstddef>
#include <ostream>
#include <vector>

#include "foundation/my_string.h"
#include "settings/settings.h"

namespace orvantis {

struct PopulationSource {
  static constexpr std::size_t kMaxNameLength = 99;

  my_string name;
  int size = 0;
  float latitude = 0.0f;         // y coordinate in the grid's units
  float longitude = 0.0f;        // x coordinate
  int sizeBeforeExpansion = 0;   // < 1: no resize before the expansion
  int bottleneckDuration = 0;    // generations
  int sizeBeforeBottleneck = 0;  // < 1: no bottleneck
  float migrationBeforeExpansion = 0.0f;
  int layer = 0;          // population index, 0 or 1
  int expansionTime = 0;  // generation at which the source enters the simulation
  int cellIndex = -1;     // cell the source was placed on; -1 until placed
};

class PopulationVector {
 public:
  // Reads and validates the sources file, logging each source. Returns the number of sources,
  // or 0 (the vector then empty) when the file is damaged or a source is invalid; the log holds
  // the reason. Throws TException when the file cannot be opened or a required key is missing.
  [[nodiscard]] int readSources(const my_string& path, const TExtendedSettings& settings,
                                std::ostream& log);
  // Reads the file named by PopDensityFile.
  [[nodiscard]] int readSources(const TExtendedSettings& settings, std::ostream& log);

  // Orders the sources by expansion time, ascending, by exchange (sources with equal times do not
  // keep their file order in general).
  void sortSources();

  int count() const { return static_cast<int>(sources_.size()); }
  int firstPopulationCount() const { return firstPopulationCount_; }
  PopulationSource& operator[](int i) { return sources_[static_cast<std::size_t>(i)]; }
  const PopulationSource& operator[](int i) const { return sources_[static_cast<std::size_t>(i)]; }
  void add(const PopulationSource& source);
  void clear();

  std::vector<PopulationSource>::iterator begin() { return sources_.begin(); }
  std::vector<PopulationSource>::iterator end() { return sources_.end(); }
  std::vector<PopulationSource>::const_iterator begin() const { return sources_.begin(); }
  std::vector<PopulationSource>::const_iterator end() const { return sources_.end(); }

 private:
  std::vector<PopulationSource> sources_;
  int firstPopulationCount_ = 0;
};

}  // namespace orvantis

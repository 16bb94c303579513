#pragma once
// The immigrants file of a sampled deme: for every generation 1..EndTime, the individuals of the
// population that arrived in the cell from its four neighbours.

#include <ostream>
#include <string>

namespace orvantis {

class TDemographyReader;

// `baseName`_Immigrants_`cellIndex`_P1.nm for population 0, _P2.nm for population 1.
std::string immigrantsFileName(const std::string& baseName, int cellIndex, int population);

// Writes the file: "Generation Immigrants", then one line "t n" per generation t = 1..endTime
// (endTime bounded by the database's). 1, or 0 after logging when the file cannot be written.
[[nodiscard]] int writeImmigrantsFile(TDemographyReader& reader, const std::string& baseName,
                                      int cellIndex, int population, int endTime,
                                      std::ostream& log);

}  // namespace orvantis

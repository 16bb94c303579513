#pragma once
// ASCII rasters of the stored demography: density, arrivals and occupation of one population at
// generations 0, s, 2s, ... and EndTime, under "ascii".

#include <filesystem>
#include <ostream>
#include <vector>

#include "foundation/run_context.h"
#include "settings/grid_header.h"
#include "world/output/map_names.h"
#include "world/output/map_source.h"

namespace orvantis {

// The ticks of the ASCII output group.
struct TAsciiMapChoice {
  bool density = false;
  bool migration = false;
  bool occupation = false;

  bool any() const { return density || migration || occupation; }
};

// Values of one map, row-major from row 0: size, land arrivals, or occupation (1 when the size is
// above 0, else 0) of the population at generation t; positions without a cell hold noDataValue.
std::vector<int> mapValues(const TDemographyMap& map, TMapKind kind, int population, int t);

// The header, then one line per row, every value followed by one blank.
void writeAsciiRaster(std::ostream& out, const TGridHeader& header, int noDataValue,
                      const std::vector<int>& values);

// Writes one ".asc" map; false (after logging it) when the file cannot be written.
bool writeAsciiMap(TRunContext& context, const TDemographyMap& map, TMapKind kind, int population,
                   int t, const std::filesystem::path& root = {});

// The ASCII list of one population. Nothing happens when the step is below 1 or nothing is
// ticked; creates "ascii" (box "Cannot create ascii directory" on failure); a step that reaches
// EndTime is logged and draws nothing. Returns 1, or 0 when the folder or a file could not be
// written.
int writeAsciiMaps(TRunContext& context, const TDemographyMap& map, const TAsciiMapChoice& choice,
                   int step, int population, const std::filesystem::path& root = {});

}  // namespace orvantis

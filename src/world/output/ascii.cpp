#include "world/output/ascii.h"

#include <fstream>

#include "settings/grid_writer.h"
#include "world/output/directory.h"
#include "world/output/timeframe.h"

namespace orvantis {

std::vector<int> mapValues(const TDemographyMap& map, TMapKind kind, int population, int t) {
  const TGridHeader& grid = map.grid();
  std::vector<int> values;
  values.reserve(static_cast<std::size_t>(grid.cellCount()));
  for (int row = 0; row < grid.nrows; ++row) {
    for (int col = 0; col < grid.ncols; ++col) {
      if (!map.hasDeme(row, col)) {
        values.push_back(map.noDataValue());
        continue;
      }
      switch (kind) {
        case TMapKind::Density:
          values.push_back(map.size(row, col, population, t));
          break;
        case TMapKind::Migration:
          values.push_back(landArrivals(map, row, col, population, t));
          break;
        case TMapKind::Occupation:
          values.push_back(map.size(row, col, population, t) > 0 ? 1 : 0);
          break;
      }
    }
  }
  return values;
}

void writeAsciiRaster(std::ostream& out, const TGridHeader& header, int noDataValue,
                      const std::vector<int>& values) {
  writeHeader(out, header, noDataValue);
  std::size_t at = 0;
  for (int row = 0; row < header.nrows; ++row) {
    for (int col = 0; col < header.ncols; ++col) {
      out << (at < values.size() ? values[at] : noDataValue) << ' ';
      ++at;
    }
    out << '\n';
  }
}

bool writeAsciiMap(TRunContext& context, const TDemographyMap& map, TMapKind kind, int population,
                   int t, const std::filesystem::path& root) {
  const std::string name =
      outputPath(root, asciiMapName(kind, map.numberOfPopulations(), population, t));
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  if (out) {
    writeAsciiRaster(out, map.grid(), map.noDataValue(), mapValues(map, kind, population, t));
    out.close();
  }
  if (!out) {
    context.log << "Cannot write the ascii file " << name << std::endl;
    return false;
  }
  return true;
}

int writeAsciiMaps(TRunContext& context, const TDemographyMap& map, const TAsciiMapChoice& choice,
                   int step, int population, const std::filesystem::path& root) {
  if (step < 1 || !choice.any()) return 1;
  if (!checkMapRequest(context.log, map, population)) return 0;
  if (!ensureOutputDirectory(context.window, root, kAsciiDirectory,
                             "Cannot create ascii directory")) {
    return 0;
  }
  const TTimeframe frame = outputGenerations(step, map.endTime());
  if (frame.status == TTimeframeStatus::ExceedsEndTime) {
    context.log << "Cannot draw the list of ascii, because timeframe exceeds EndTime..."
                << std::endl;
    return 1;
  }
  bool allWritten = true;
  for (int t : frame.generations) {
    if (choice.density)
      allWritten &= writeAsciiMap(context, map, TMapKind::Density, population, t, root);
    if (choice.migration)
      allWritten &= writeAsciiMap(context, map, TMapKind::Migration, population, t, root);
    if (choice.occupation)
      allWritten &= writeAsciiMap(context, map, TMapKind::Occupation, population, t, root);
  }
  return allWritten ? 1 : 0;
}

}  // namespace orvantis

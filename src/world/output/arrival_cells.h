#pragma once
// Times of arrival at named places: reads the arrival-cell file (".col") and writes, for every
// place, the first generation at which its population reached the place's cell.

#include <optional>
#include <string>

#include "foundation/my_string.h"
#include "foundation/run_context.h"
#include "settings/grid_header.h"
#include "world/output/map_source.h"

namespace orvantis {

// One place line: name, population index, Y, X, and an unused integer.
struct TArrivalPlace {
  std::string name;
  int population = 0;
  double y = 0.0;
  double x = 0.0;
};

struct TGridPosition {
  int row = 0;
  int col = 0;
};

// The input name up to its first ".col", then "_output.txt"; a name without ".col" gives
// "_output.txt".
std::string arrivalOutputName(const std::string& inputName);

// Reads a place line; false when the name, the population index, Y or X is missing or is not a
// number. The fifth field is not read.
bool parseArrivalPlace(const std::string& line, TArrivalPlace& place);

// The grid position of a point, or nothing when the point lies outside the world: beyond the
// extent, or on its east or north edge, which belongs to no cell.
std::optional<TGridPosition> arrivalCellPosition(const TGridHeader& grid, double x, double y);

// Writes "<input>_output.txt" with "TIMES OF ARRIVAL" and one line "name : generation" per place
// (-1 for a place never reached). A missing input file is logged and is not a failure; places
// out of the world are logged and skipped; an unknown population, a place without a cell, an
// unreadable line or a file shorter than announced are logged and stop the reading with 0.
// Lines written before stay.
int ReadAndWriteArrivalCell(TRunContext& context, const TDemographyMap& map,
                            const my_string& arrivalCellFile);

}  // namespace orvantis

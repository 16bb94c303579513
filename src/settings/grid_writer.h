#pragma once
// The header of the ".asc" rasters the simulation writes: the geometry of the input maps and the
// no-data value in force.

#include <ostream>

#include "settings/grid_header.h"

namespace orvantis {

// Six lines "keyword value": ncols, nrows, xllcorner, yllcorner, cellsize, nodata_value. The
// doubles are written as a default-formatted stream writes them (6 significant digits), whatever
// the flags of the given stream; its flags are left as they were.
void writeHeader(std::ostream& out, const TGridHeader& header, int noDataValue);

}  // namespace orvantis

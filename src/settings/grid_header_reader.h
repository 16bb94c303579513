#pragma once
// Reading the six-line header of an ASCII grid: ncols, nrows, xllcorner, yllcorner, cellsize and
// the no-data value, one keyword and one number per line.

#include <istream>
#include <string_view>

#include "foundation/run_context.h"
#include "settings/grid_header.h"

namespace orvantis {

// Reads the header. With first = true the values become the header of the world (after checks
// that the geometry is usable); otherwise they must equal the established ones. Either way the
// no-data value becomes the one in force (context.noDataValue). The keywords are skipped
// unread, so their spelling and case do not matter; a keyword may be followed by blanks or a
// tab. A header that announces more values than the rest of a seekable stream can hold is
// refused. Returns 1, or 0 after logging the reason; on 0 the header keeps its values.
// fileName only serves the messages.
int readHeader(TGridHeader& header, std::istream& in, bool first, TRunContext& context,
               std::string_view fileName = {});

}  // namespace orvantis

#include "settings/grid_writer.h"

#include <ios>

namespace orvantis {

void writeHeader(std::ostream& out, const TGridHeader& header, int noDataValue) {
  const std::ios_base::fmtflags flags = out.flags();
  const std::streamsize precision = out.precision();
  out.flags(std::ios_base::dec | std::ios_base::skipws);
  out.precision(6);
  out << "ncols " << header.ncols << "\n"
      << "nrows " << header.nrows << "\n"
      << "xllcorner " << header.xllcorner << "\n"
      << "yllcorner " << header.yllcorner << "\n"
      << "cellsize " << header.cellsize << "\n"
      << "nodata_value " << noDataValue << "\n";
  out.flags(flags);
  out.precision(precision);
}

}  // namespace orvantis

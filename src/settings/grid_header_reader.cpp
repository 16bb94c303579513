#include "settings/grid_header_reader.h"

#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

#include "foundation/my_string.h"

namespace orvantis {
namespace {

constexpr const char* kError = "      ERROR: {ImportExportUtils::readHeader()} [";
constexpr const char* kLineKeys[6] = {"ncols",     "nrows",    "xllcorner",
                                      "yllcorner", "cellsize", "NODATA_value"};

std::string describe(std::string_view fileName) {
  if (fileName.empty()) return "the grid";
  std::string text(1, '\'');
  text.append(fileName).push_back('\'');
  return text;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A header line whose first word is a number has lost its keyword: the header is shorter than
// six lines and the data have begun.
bool startsLikeNumber(const my_string& word) {
  const char c0 = word[0];
  if (isDigit(c0)) return true;
  if (c0 == '-' || c0 == '+' || c0 == '.') return word.length() > 1 && isDigit(word[1]);
  return false;
}

// Reads one header line: the keyword (skipped whatever it says), one number, and the rest of the
// line, which is dropped. A tab after the keyword keeps the number inside the token that
// readToken returns, so the number is then taken from behind the tab.
template <class T>
bool readHeaderLine(std::istream& in, int line, T& value, TRunContext& context,
                    std::string_view fileName) {
  my_string keyword;
  keyword.readToken(in);
  std::string inlineValue;
  const int tab = keyword.find("\t");
  if (tab >= 0) {
    const std::string token = keyword.str();
    const std::size_t start = token.find_first_not_of('\t', static_cast<std::size_t>(tab));
    if (start != std::string::npos) inlineValue = token.substr(start);
    keyword = my_string(token.substr(0, static_cast<std::size_t>(tab)));
  }
  if (keyword.isEmpty() && in.fail()) {
    context.log << kError << "the header of " << describe(fileName) << " ends before its line "
                << line + 1 << " (" << kLineKeys[line] << ")]" << std::endl;
    return false;
  }
  if (keyword.isEmpty() || startsLikeNumber(keyword)) {
    context.log << kError << "line " << line + 1 << " of the header of " << describe(fileName)
                << " has no keyword where " << kLineKeys[line]
                << " and its value were expected; a header has six lines: ncols, nrows, "
                   "xllcorner, yllcorner, cellsize and NODATA_value]"
                << std::endl;
    return false;
  }
  bool ok = false;
  if (!inlineValue.empty()) {
    std::istringstream text(inlineValue);
    text >> value;
    ok = !text.fail();
  } else {
    in >> value;
    ok = !in.fail();
  }
  if (!ok) {
    context.log << kError << "line " << line + 1 << " of the header of " << describe(fileName)
                << " (" << kLineKeys[line] << ") holds no readable number]" << std::endl;
    return false;
  }
  my_string rest;
  rest.readLine(in);
  return true;
}

// Checks a geometry that is to become the world's.
bool usableGeometry(const TGridHeader& h, TRunContext& context, std::string_view fileName) {
  if (h.ncols < 1 || h.nrows < 1) {
    context.log << kError << "the header of " << describe(fileName) << " announces " << h.ncols
                << " columns and " << h.nrows
                << " rows; a grid needs at least one column and one row]" << std::endl;
    return false;
  }
  if (h.cellCount() > TGridHeader::kMaxCells) {
    context.log << kError << "the header of " << describe(fileName) << " announces " << h.nrows
                << " rows of " << h.ncols << " columns, more grid positions than the "
                << TGridHeader::kMaxCells << " a world can hold]" << std::endl;
    return false;
  }
  if (!std::isfinite(h.cellsize) || !(h.cellsize > 0.0)) {
    context.log << kError << "the cell size of " << describe(fileName) << " is " << h.cellsize
                << "; it must be a finite number above 0]" << std::endl;
    return false;
  }
  if (!std::isfinite(h.xurcorner) || !std::isfinite(h.yurcorner)) {
    context.log << kError << "the corners of " << describe(fileName)
                << " lie beyond the coordinates a double can hold]" << std::endl;
    return false;
  }
  return true;
}

template <class T>
void logDifference(TRunContext& context, std::string_view fileName, T found, T established) {
  std::ostringstream detail;
  detail << std::setprecision(12) << "\tin " << describe(fileName) << ": " << found
         << " instead of " << established;
  context.log << detail.str() << std::endl;
}

// Compares a header with the established one; logs the first difference.
bool sameGeometry(const TGridHeader& found, const TGridHeader& held, TRunContext& context,
                  std::string_view fileName) {
  if (found.ncols != held.ncols) {
    context.log << "      ERROR: the number of columns is not equal among all input maps}"
                << std::endl;
    logDifference(context, fileName, found.ncols, held.ncols);
    return false;
  }
  if (found.nrows != held.nrows) {
    context.log << "      ERROR: the number of rows is not equal among all input maps}"
                << std::endl;
    logDifference(context, fileName, found.nrows, held.nrows);
    return false;
  }
  if (found.xllcorner != held.xllcorner) {
    context.log << "      ERROR: the lower left x coordinate is not equal among all input maps}"
                << std::endl;
    logDifference(context, fileName, found.xllcorner, held.xllcorner);
    return false;
  }
  if (found.yllcorner != held.yllcorner) {
    context.log << "      ERROR: the lower left y coordinate is not equal among all input maps}"
                << std::endl;
    logDifference(context, fileName, found.yllcorner, held.yllcorner);
    return false;
  }
  if (found.cellsize != held.cellsize) {
    context.log << "      ERROR: the cell size is not equal among all input maps}" << std::endl;
    logDifference(context, fileName, found.cellsize, held.cellsize);
    return false;
  }
  return true;
}

// Every value takes at least one character and every value but the last a separator, so the
// data of n values need 2n - 1 bytes. Checking that before anything is allocated refuses a
// header that announces far more than its file holds. Streams that cannot seek pass.
bool dataCanFit(std::istream& in, long long values, TRunContext& context,
                std::string_view fileName) {
  const std::streampos here = in.tellg();
  if (here < 0) return true;
  in.seekg(0, std::ios::end);
  const std::streampos end = in.tellg();
  in.clear();
  in.seekg(here);
  if (end < 0) return true;
  const long long available = static_cast<long long>(end - here);
  if (available >= 2 * values - 1) return true;
  context.log << kError << "the header of " << describe(fileName) << " announces " << values
              << " values, but only " << available
              << " bytes of data follow it, too few to hold them]" << std::endl;
  return false;
}

}  // namespace

int readHeader(TGridHeader& header, std::istream& in, bool first, TRunContext& context,
               std::string_view fileName) {
  if (in.fail()) {
    context.log << kError << "cannot read the header of " << describe(fileName) << "]" << std::endl;
    return 0;
  }
  TGridHeader found;
  int noData = 0;
  if (!readHeaderLine(in, 0, found.ncols, context, fileName) ||
      !readHeaderLine(in, 1, found.nrows, context, fileName) ||
      !readHeaderLine(in, 2, found.xllcorner, context, fileName) ||
      !readHeaderLine(in, 3, found.yllcorner, context, fileName) ||
      !readHeaderLine(in, 4, found.cellsize, context, fileName) ||
      !readHeaderLine(in, 5, noData, context, fileName)) {
    return 0;
  }
  context.noDataValue = noData;
  found.updateUpperCorner();
  if (first) {
    if (!usableGeometry(found, context, fileName)) return 0;
  } else if (!sameGeometry(found, header, context, fileName)) {
    return 0;
  }
  if (!dataCanFit(in, found.cellCount(), context, fileName)) return 0;
  header = found;
  return 1;
}

}  // namespace orvantis

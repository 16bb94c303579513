#include "world/output/arrival_cells.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "foundation/paths.h"

namespace orvantis {

namespace {

constexpr const char* kPlace = " ERROR: {TDemeCollection::ReadAndWriteArrivalCell()} [";

bool parseInt(const std::string& token, int& value) {
  if (token.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(token.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || parsed < -2147483647L || parsed > 2147483647L) {
    return false;
  }
  value = static_cast<int>(parsed);
  return true;
}

bool parseReal(const std::string& token, double& value) {
  if (token.empty()) return false;
  char* end = nullptr;
  const double parsed = std::strtod(token.c_str(), &end);
  if (*end != '\0' || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

void dropCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

bool isBlank(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

// Next line that is not blank; false at the end of the file.
bool nextLine(std::istream& in, std::string& line, int& lineNumber) {
  while (std::getline(in, line)) {
    ++lineNumber;
    dropCarriageReturn(line);
    if (!isBlank(line)) return true;
  }
  return false;
}

}  // namespace

std::string arrivalOutputName(const std::string& inputName) {
  const std::size_t at = inputName.find(".col");
  return (at == std::string::npos ? std::string() : inputName.substr(0, at)) + "_output.txt";
}

bool parseArrivalPlace(const std::string& line, TArrivalPlace& place) {
  std::istringstream in(line);
  std::string name, population, y, x;
  if (!(in >> name >> population >> y >> x)) return false;
  TArrivalPlace parsed;
  parsed.name = name;
  if (!parseInt(population, parsed.population) || !parseReal(y, parsed.y) ||
      !parseReal(x, parsed.x)) {
    return false;
  }
  place = parsed;
  return true;
}

std::optional<TGridPosition> arrivalCellPosition(const TGridHeader& grid, double x, double y) {
  const double right = grid.xllcorner + grid.cellsize * grid.ncols;
  const double top = grid.yllcorner + grid.cellsize * grid.nrows;
  if (!(grid.cellsize > 0.0) || !(x >= grid.xllcorner && x <= right) ||
      !(y >= grid.yllcorner && y <= top)) {
    return std::nullopt;
  }
  const double col = std::floor(std::fabs(grid.xllcorner - x) / grid.cellsize);
  const double rowFromBottom = std::floor(std::fabs(grid.yllcorner - y) / grid.cellsize);
  // A point on the east or north edge passes the extent test but has no cell.
  if (col >= grid.ncols || rowFromBottom >= grid.nrows) return std::nullopt;
  return TGridPosition{grid.nrows - 1 - static_cast<int>(rowFromBottom), static_cast<int>(col)};
}

int ReadAndWriteArrivalCell(TRunContext& context, const TDemographyMap& map,
                            const my_string& arrivalCellFile) {
  std::ostream& log = context.log;
  const std::string inputName = nativePath(arrivalCellFile);
  const std::string outputName = arrivalOutputName(inputName);
  std::ofstream out(outputName, std::ios::binary | std::ios::trunc);
  if (!out) {
    log << kPlace << "cannot create the output file '" << outputName << "']" << std::endl;
    return 0;
  }
  out << "TIMES OF ARRIVAL\n";

  std::ifstream in(inputName, std::ios::binary);
  if (inputName.empty() || !in) {
    log << "\nthe .col file has not been read" << std::endl;
    return 1;
  }

  std::string line;
  int lineNumber = 0;
  int count = 0;
  {
    std::string first;
    if (!nextLine(in, line, lineNumber) || !(std::istringstream(line) >> first) ||
        !parseInt(first, count) || count < 0) {
      log << kPlace << "the first line of the .col file must hold the number of places]"
          << std::endl;
      return 0;
    }
  }

  const TGridHeader& grid = map.grid();
  for (int k = 0; k < count; ++k) {
    if (!nextLine(in, line, lineNumber)) {
      log << kPlace << "the .col file announces " << count << " places but holds only " << k << "]"
          << std::endl;
      return 0;
    }
    TArrivalPlace place;
    if (!parseArrivalPlace(line, place)) {
      log << kPlace << "line " << lineNumber << " of the .col file cannot be read: '" << line
          << "']" << std::endl;
      return 0;
    }
    const std::optional<TGridPosition> position = arrivalCellPosition(grid, place.x, place.y);
    if (!position) {
      log << kPlace << "the cell '" << place.name << "' is out of World coordinates!]" << std::endl;
      continue;
    }
    if (place.population < 0 || place.population > map.numberOfPopulations() - 1) {
      log << "ERROR:{DemeCollection::ReadAndWriteArrivalCell()}:[the no of deme # " << place.name
          << " does not exist!]" << std::endl;
      return 0;
    }
    if (!map.hasDeme(position->row, position->col)) {
      log << "ERROR:{DemeCollection::ReadAndWriteArrivalCell()}:[the cell named " << place.name
          << "' falls on a uninstanciated cell!]" << std::endl;
      return 0;
    }
    out << place.name << " : "
        << map.arrivalGeneration(position->row, position->col, place.population) << '\n';
    if (!out) {
      log << kPlace << "cannot write to the output file '" << outputName << "']" << std::endl;
      return 0;
    }
  }
  out.close();
  if (!out) {
    log << kPlace << "cannot write to the output file '" << outputName << "']" << std::endl;
    return 0;
  }
  return 1;
}

}  // namespace orvantis

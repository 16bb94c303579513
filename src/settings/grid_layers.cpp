#include "settings/grid_layers.h"

#include <fstream>
#include <string>
#include <type_traits>

#include "foundation/exception.h"
#include "foundation/paths.h"
#include "settings/grid_header_reader.h"
#include "settings/grid_values.h"

namespace orvantis {
namespace {

struct TLayer {
  const char* reader;  // name of the reader, for the log
  std::string file;    // the file as the settings name it
  bool first;          // whether its header establishes the geometry
  const char* box;     // text of the box shown when the map cannot be read
};

// The longest part of a bad value that a message quotes.
constexpr std::size_t kQuotedLength = 40;

std::string quoted(std::string_view word) {
  std::string text(1, '\'');
  text.append(word.substr(0, kQuotedLength));
  if (word.size() > kQuotedLength) text.append("...");
  text.push_back('\'');
  return text;
}

int failReading(TRunContext& context, const TLayer& layer) {
  context.window.messageBox(layer.box, kReadingMapsCaption);
  return 0;
}

std::ostream& errorLine(TRunContext& context, const TLayer& layer) {
  return context.log << " ERROR: {ImportExportUtils::" << layer.reader << "(...)} [";
}

// Reads the header and then nrows x ncols values of type T, handing each to store(record, v).
template <class T, class Store>
int readLayer(std::istream& in, TInputGrid& grid, TExtendedSettings& settings, TRunContext& context,
              const TLayer& layer, Store store) {
  TGridHeader& header = settings.gridHeader();
  if (!readHeader(header, in, layer.first, context, layer.file)) {
    return failReading(context, layer);
  }
  if (grid.nrows != header.nrows || grid.ncols != header.ncols ||
      grid.size() != static_cast<std::size_t>(header.cellCount())) {
    errorLine(context, layer) << "the map '" << layer.file << "' has " << header.nrows
                              << " rows of " << header.ncols << " columns, the cells were made for "
                              << grid.nrows << " rows of " << grid.ncols << "]" << std::endl;
    return failReading(context, layer);
  }
  TGridTokenizer tokens(in);
  std::string_view word;
  TCellInput* record = grid.records.data();
  for (int row = 0; row < grid.nrows; ++row) {
    for (int col = 0; col < grid.ncols; ++col, ++record) {
      if (!tokens.next(word)) {
        errorLine(context, layer) << "the map '" << layer.file
                                  << "' holds fewer values than its header announces: reading "
                                     "stopped at row "
                                  << row << ", column " << col
                                  << " (counted from 0, row 0 being the first data line)]"
                                  << std::endl;
        return failReading(context, layer);
      }
      T value{};
      const TValueParse parsed =
          tokens.tooLong() ? TValueParse::NotANumber : parseGridValue(word, value);
      if (parsed != TValueParse::Ok) {
        errorLine(context, layer) << "the value " << quoted(word) << " at row " << row
                                  << ", column " << col << " (counted from 0) of the map '"
                                  << layer.file << "' is "
                                  << (parsed == TValueParse::OutOfRange ? "out of range"
                                      : std::is_integral_v<T>           ? "not an integer"
                                                                        : "not a number")
                                  << "]" << std::endl;
        return failReading(context, layer);
      }
      store(*record, value);
    }
  }
  return 1;
}

std::ifstream openMap(const my_string& file) {
  return std::ifstream(nativePath(file), std::ios::in | std::ios::binary);
}

TLayer layerOf(const char* reader, const my_string& file, bool first, const char* box) {
  return TLayer{reader, file.str(), first, box};
}

}  // namespace

int readAltitude(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.fileParameter(FileParam::AltitudeTopoFile);
  std::ifstream in = openMap(file);
  if (!in) throw TException(my_string("Cannot read the altitude topo file '") + file + "'");
  return readLayer<float>(in, grid, settings, context,
                          layerOf("readAltitude", file, false, kReadingMapsBox),
                          [](TCellInput& r, float v) { r.altitude = v; });
}

int readRoughness(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.textValue("RoughnessTopoFile");
  std::ifstream in = openMap(file);
  if (!in) throw TException(my_string("Cannot read the RoughnessTopoFile '") + file + "'");
  return readLayer<float>(in, grid, settings, context,
                          layerOf("readRoughness", file, false, kReadingMapsBox),
                          [](TCellInput& r, float v) { r.roughness = v; });
}

int readPresentVegetation(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.fileParameter(FileParam::PresVegetationFile, true);
  std::ifstream in = openMap(file);
  if (!in) {
    context.log << "ImportExportUtils::readPresentVegetation() : Cannot read the present "
                   "vegetation file '"
                << file << "'" << std::endl;
    return 0;
  }
  return readLayer<int>(in, grid, settings, context,
                        layerOf("readPresentVegetation", file, true, kReadingMapsBox),
                        [](TCellInput& r, int v) { r.presentVegetation = v; });
}

int readLGMVegetation(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.fileParameter(FileParam::LGMVegetationFile);
  std::ifstream in = openMap(file);
  if (!in) {
    context.log << "ImportExportUtils::readLGMVegetation() : Cannot read the LGMveg file '" << file
                << "'" << std::endl;
    return 0;
  }
  return readLayer<int>(in, grid, settings, context,
                        layerOf("readLGMVegetation", file, false, kReadingMapsBox),
                        [](TCellInput& r, int v) { r.lgmVegetation = v; });
}

int readHydro(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.fileParameter(FileParam::HydroFile);
  std::ifstream in = openMap(file);
  if (!in) {
    context.log << "ImportExportUtils::readHydro() : Cannot read the Hydro file '" << file << "'"
                << std::endl;
    return 0;
  }
  // The header just read has set the no-data value in force.
  const int& noData = context.noDataValue;
  return readLayer<int>(in, grid, settings, context,
                        layerOf("readHydro", file, false, kReadingMapsBox),
                        [&noData](TCellInput& r, int v) {
                          if (v != noData) r.river = true;
                        });
}

int readMMap(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.fileParameter(FileParam::mMapFile);
  std::ifstream in = openMap(file);
  if (!in) throw TException(my_string("Cannot read the m_MapFile '") + file + "'");
  return readLayer<int>(in, grid, settings, context,
                        layerOf("readMMap", file, false, kReadingMMapBox),
                        [](TCellInput& r, int v) { r.migrationClass = v; });
}

int readAdmixMap(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context) {
  const my_string file = settings.fileParameter(FileParam::AdmixMapFile);
  std::ifstream in = openMap(file);
  if (!in) throw TException(my_string("Cannot read the Admix_MapFile '") + file + "'");
  return readLayer<int>(in, grid, settings, context,
                        layerOf("readAdmixMap", file, false, kReadingAdmixMapBox),
                        [](TCellInput& r, int v) { r.admixtureClass = v; });
}

}  // namespace orvantis

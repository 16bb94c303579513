#include "settings/grid_layers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/exception.h"
#include "foundation/run_context.h"
#include "settings/grid_values.h"
#include "support/recording_window.h"
#include "support/scratch_dir.h"

namespace orvantis {
namespace {

using Reader = std::function<int(TInputGrid&, TExtendedSettings&, TRunContext&)>;

std::string gridText(int ncols, int nrows, const std::string& data, int noData = -9999,
                     const char* eol = "\n") {
  std::ostringstream text;
  text << "ncols " << ncols << eol << "nrows " << nrows << eol << "xllcorner 100" << eol
       << "yllcorner 200" << eol << "cellsize 10" << eol << "NODATA_value " << noData << eol
       << data;
  return text.str();
}

class GridLayersTest : public ::testing::Test {
 protected:
  GridLayersTest() {
    grid.nrows = 2;
    grid.ncols = 3;
    grid.records.assign(6, TCellInput{});
  }
  // Names a file in the settings and fills the tables, as loading a settings file would.
  std::string name(const char* key, const std::string& file, const std::string& content) {
    const std::string path = dir.write(file, content);
    settings.setValue(key, path.c_str());
    settings.fillTables();
    return path;
  }
  // The present vegetation map of 3 x 2 establishes the geometry the other maps must match.
  void establish() {
    name("PresVegetationFile", "veg.asc", gridText(3, 2, "1 2 3\n4 5 6\n"));
    ASSERT_EQ(readPresentVegetation(grid, settings, context), 1) << log.str();
    log.str("");
  }

  testing::ScratchDir dir;
  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context{log, window};
  TExtendedSettings settings{log};
  TInputGrid grid;
};

TEST_F(GridLayersTest, EveryLayerFillsItsField) {
  name("PresVegetationFile", "veg.asc", gridText(3, 2, "1\t2 3\r\n4 5\t6\r\n", -9999, "\r\n"));
  ASSERT_EQ(readPresentVegetation(grid, settings, context), 1);
  name("AltitudeTopoFile", "alt.asc", gridText(3, 2, "10.5 -2 3e2\n4 5 6"));
  ASSERT_EQ(readAltitude(grid, settings, context), 1);
  name("LGMVegetationFile", "lgm.asc", gridText(3, 2, "7 8 9\n10 11 12\n"));
  ASSERT_EQ(readLGMVegetation(grid, settings, context), 1);
  name("AdmixMapFile", "admix.asc", gridText(3, 2, "0 1 0\n1 0 +1\n"));
  ASSERT_EQ(readAdmixMap(grid, settings, context), 1);
  EXPECT_EQ(log.str(), "");
  const TCellInput& first = grid.at(0, 0);
  const TCellInput& last = grid.at(1, 2);
  EXPECT_EQ(first.presentVegetation, 1);
  EXPECT_FLOAT_EQ(first.altitude, 10.5f);
  EXPECT_EQ(last.lgmVegetation, 12);
  EXPECT_EQ(last.admixtureClass, 1);
}

TEST_F(GridLayersTest, ShortOrNonNumericDataNameFileRowAndColumn) {
  struct Case {
    Reader reader;
    const char* key;
    std::string data;
    const char* expected;
    const char* box;
  };
  const Case cases[] = {
      // Padding keeps the file long enough to pass the header's size check.
      {readAltitude, "AltitudeTopoFile", "1   2   3\n4   5      \n",
       "holds fewer values than its header announces: reading stopped at row 1, column 2",
       kReadingMapsBox},
      {readAltitude, "AltitudeTopoFile", "1 2 3\n4 abc 6\n",
       "the value 'abc' at row 1, column 1 (counted from 0) of the map '", kReadingMapsBox},
      {readMMap, "mMapFile", "1 2 3\n4 5 x\n", "is not an integer", kReadingMMapBox},
      {readAdmixMap, "AdmixMapFile", "1 2 3\n4 5 6e\n", "is not an integer", kReadingAdmixMapBox},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    establish();
    window.boxes.clear();
    const std::string path = name(c.key, "bad.asc", gridText(3, 2, c.data));
    EXPECT_EQ(c.reader(grid, settings, context), 0);
    EXPECT_NE(log.str().find(c.expected), std::string::npos) << log.str();
    EXPECT_NE(log.str().find(path), std::string::npos);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, c.box);
  }
}

// Damaged versions of every map: each read must end with 0 (or a TException), never with a
// crash, a hang or a partial success.
TEST_F(GridLayersTest, DamagedFilesNeverCrashOrHang) {
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<char>((i * 7919 + 13) % 256));
  const std::string full = gridText(3, 2, "1 2 3\n4 5 6\n");
  const std::string damaged[] = {
      "",
      full.substr(0, full.find("1 2 3")),  // header only
      full.substr(0, full.size() - 4),     // last row cut
      gridText(3, 2, std::string("1 2 3\n4 5 \0 6\n", 14)),
      gridText(3, 2, "1 2 3 4 5 ") + std::string(TGridTokenizer::kMaxWordLength + 10, '7'),
      gridText(30000, 30000, "1 2 3\n"),  // announces far more than the file holds
      binary,
  };
  const std::string directory = dir.path("folder");
  std::filesystem::create_directories(directory);

  const std::pair<Reader, const char*> layers[] = {
      {readAltitude, "AltitudeTopoFile"},
      {readRoughness, "RoughnessTopoFile"},
      {readPresentVegetation, "PresVegetationFile"},
      {readLGMVegetation, "LGMVegetationFile"},
      {readHydro, "HydroFile"},
      {readMMap, "mMapFile"},
      {readAdmixMap, "AdmixMapFile"},
  };
  for (const auto& [reader, key] : layers) {
    for (std::size_t i = 0; i <= std::size(damaged); ++i) {
      SCOPED_TRACE(std::string(key) + " damage " + std::to_string(i));
      establish();
      if (i < std::size(damaged)) {
        name(key, "damaged.asc", damaged[i]);
      } else {
        settings.setValue(key, directory.c_str());
        settings.fillTables();
      }
      int result = -1;
      try {
        result = reader(grid, settings, context);
      } catch (const TException&) {
        result = 0;
      }
      EXPECT_EQ(result, 0) << log.str();
      EXPECT_NE(log.str().find("ERROR"), std::string::npos) << log.str();
      EXPECT_EQ(grid.size(), 6u);
    }
  }
}

}  // namespace
}  // namespace orvantis

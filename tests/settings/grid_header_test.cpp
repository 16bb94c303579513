#include "settings/grid_header.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "foundation/run_context.h"
#include "settings/grid_header_reader.h"
#include "settings/grid_writer.h"
#include "support/recording_window.h"

namespace orvantis {
namespace {

class GridHeaderTest : public ::testing::Test {
 protected:
  int read(const std::string& text, bool first) {
    std::istringstream in(text);
    return readHeader(header, in, first, context, "map.asc");
  }

  std::ostringstream log;
  testing::RecordingWindow window;
  TRunContext context{log, window};
  TGridHeader header;
};

// Twelve values: as many as the header announces.
const std::string kData = "1 2 3 4\n5 6 7 8\n9 10 11 12\n";
const std::string kReference =
    "ncols 4\nnrows 3\nxllcorner 10.5\nyllcorner -20\ncellsize 0.5\nNODATA_value -9999\n" + kData;

// Keywords are never compared, and blanks, tabs and CR LF line ends separate the same way.
TEST_F(GridHeaderTest, SpellingCaseTabsAndLineEndsReadTheSame) {
  const std::string variants[] = {
      kReference,
      "NCOLS 4\nNROWS 3\nXLL 10.5\nYLLCORNER -20\nCELLSIZE 0.5\nNODATA_VALUE -9999\n" + kData,
      "ncols\t4\r\nnrows\t\t3\r\nxllcorner\t10.5\r\nyllcorner -20   trailing words\r\n"
      "cellsize \t 0.5\r\nNODATA_value\t-9999\r\n" +
          kData,
  };
  for (const std::string& text : variants) {
    SCOPED_TRACE(text);
    header = TGridHeader();
    context.noDataValue = 0;
    ASSERT_EQ(read(text, true), 1) << log.str();
    EXPECT_EQ(header.ncols, 4);
    EXPECT_EQ(header.nrows, 3);
    EXPECT_EQ(header.cellsize, 0.5);
    EXPECT_EQ(header.yurcorner, -18.5);
    EXPECT_EQ(context.noDataValue, -9999);
  }
  EXPECT_EQ(log.str(), "");
}

TEST_F(GridHeaderTest, LaterMapsMustMatchTheFirstExactly) {
  struct Case {
    const char* text;
    const char* line;
  };
  const Case cases[] = {
      {"ncols 5\nnrows 3\nxllcorner 10.5\nyllcorner -20\ncellsize 0.5\nNODATA_value 0\n",
       "      ERROR: the number of columns is not equal among all input maps}\n"},
      {"ncols 4\nnrows 3\nxllcorner 10.6\nyllcorner -20\ncellsize 0.5\nNODATA_value 0\n",
       "      ERROR: the lower left x coordinate is not equal among all input maps}\n"},
      // The fifth decimal differs.
      {"ncols 4\nnrows 3\nxllcorner 10.5\nyllcorner -20\ncellsize 0.50001\nNODATA_value 0\n",
       "      ERROR: the cell size is not equal among all input maps}\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(read(kReference, true), 1);
    log.str("");
    EXPECT_EQ(read(c.text, false), 0);
    EXPECT_EQ(log.str().rfind(c.line, 0), 0u) << log.str();
    EXPECT_NE(log.str().find("'map.asc'"), std::string::npos);
    // The established geometry is kept; the no-data value of the last header read is in force.
    EXPECT_EQ(header.ncols, 4);
    EXPECT_EQ(context.noDataValue, 0);
  }
}

TEST_F(GridHeaderTest, UnusableHeadersAreRefusedWithoutTouchingTheGeometry) {
  const std::string tail = "xllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
  const std::pair<std::string, const char*> cases[] = {
      // the text, part of the logged reason
      {"ncols -4\nnrows 3\n" + tail + "1", "announces -4 columns and 3 rows"},
      {"ncols 100000\nnrows 100000\n" + tail + "1", "more grid positions than the 2147483647"},
      {"ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 0\nNODATA_value -9\n1 1",
       "the cell size of 'map.asc' is 0"},
      {"ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize nan\nNODATA_value -9\n1 1",
       "line 5 of the header of 'map.asc' (cellsize) holds no readable number"},
      {"ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n3 4\n",
       "line 6 of the header of 'map.asc' has no keyword"},
      {"ncols 2\nnrows 2\nxllcorner 0\n", "ends before its line 4 (yllcorner)"},
      {"ncols 1000\nnrows 1000\n" + tail + "1 2 3\n",
       "announces 1000000 values, but only 6 bytes of data follow it"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    header = TGridHeader();
    header.ncols = 9;
    log.str("");
    EXPECT_EQ(read(text, true), 0);
    EXPECT_NE(log.str().find(expected), std::string::npos) << log.str();
    EXPECT_EQ(log.str().rfind("      ERROR: {ImportExportUtils::readHeader()} [", 0), 0u);
    EXPECT_EQ(header.ncols, 9);
  }
}

TEST(GridWriterTest, HeaderUsesDefaultFormattingWhateverTheStreamFlags) {
  TGridHeader h;
  h.ncols = 12;
  h.nrows = 7;
  h.xllcorner = 1234567.25;  // seven digits before the point: exponent notation
  h.yllcorner = -45.5;
  h.cellsize = 0.0833333333;
  std::ostringstream out;
  out << std::fixed;
  out.precision(2);
  writeHeader(out, h, -9999);
  EXPECT_EQ(out.str(),
            "ncols 12\nnrows 7\nxllcorner 1.23457e+06\nyllcorner -45.5\ncellsize 0.0833333\n"
            "nodata_value -9999\n");
  out.str("");
  out << 1.0;
  EXPECT_EQ(out.str(), "1.00");  // the caller's flags are back
}

}  // namespace
}  // namespace orvantis

// The output writers on a built World: values from its database, land and sea from its cells.

#include "world/output/world_map.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "world/landscape/build_fixture.h"
#include "world/output/bmp_reader.h"
#include "world/output/demographic_files.h"

namespace orvantis {
namespace {

class OutputWorldTest : public testing::WorldBuildTest {
 protected:
  // 2 x 3 cells of side 1 from (0, 0), (0, 1) is water. EndTime 10.
  void SetUp() override {
    map("PresVegetationFile", testing::gridText({"1 -9999 1", "1 1 1"}, 3));
    table("Veg2KFile", "1 100 forest\n");
    keys["ArrivalCellFile"] = dir.write("places.col", "2\nfar 0 0.5 2.5 0\nnear 0 1.5 0.5 0\n");
    ASSERT_EQ(build(), 1) << log.str();
    StateDB& db = world->database();
    ASSERT_TRUE(db.isAllocated());
    // (1, 2) holds t individuals from generation 3; at generation 10 it received 5 from (1, 1).
    const int target = world->cellAt(1, 2)->index;
    for (int t = 3; t <= 10; ++t) db.set_N(target, 0, t, t);
    db.recordMigrants(10, world->cellAt(1, 1)->index, 0, 0, 0, 5, 0);
    log.str("");
  }
};

TEST_F(OutputWorldTest, WritesEveryRequestedFileInOrder) {
  TDemographicOutputRequest request;
  request.step = 4;
  request.drawing.zoom = 1;
  request.bitmapOccupation = true;
  request.bitmapMigration = true;
  request.ascii.density = true;
  request.ascii.migration = true;
  request.root = dir.path("out");
  std::filesystem::create_directories(request.root);
  ASSERT_EQ(writeDemographicOutputs(*world, request), 1) << log.str();

  EXPECT_EQ(dir.read("places_output.txt"), "TIMES OF ARRIVAL\nfar : 3\nnear : -1\n");
  const std::string density = dir.read("out/ascii/density_g8.asc");
  EXPECT_NE(density.find("nodata_value -9999\n0 -9999 0 \n0 0 8 \n"), std::string::npos);
  const std::string migration = dir.read("out/ascii/migration_g10.asc");
  EXPECT_NE(migration.find("\n0 -9999 0 \n0 0 5 \n"), std::string::npos);
  const auto occupation = testing::readBmp(dir.path("out/bmp/occupation_g004.bmp"));
  ASSERT_TRUE(occupation.ok);
  EXPECT_EQ(occupation.at(2, 1), kBlack);
  EXPECT_EQ(occupation.at(1, 0), kWaterBlue);
  EXPECT_EQ(testing::readBmp(dir.path("out/bmp/migration_g10.bmp")).at(2, 1),
            (TRgbColour{250, 250, 0}));
  EXPECT_FALSE(std::filesystem::exists(dir.path("out/bmp/density_g0.bmp")));
}

}  // namespace
}  // namespace orvantis

// The cluster workflow of examples/cluster on this machine: the Snakemake workflow splits a
// prior table of 4 rows into chunks of 2, runs each chunk with orvantis batch on 2 cores and
// gathers the summaries; the plain job-array script runs one chunk as a SLURM task would.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/batch_study.h"
#include "cli/command_fixture.h"

namespace {

namespace fs = std::filesystem;
using orvantis::testing::CommandTest;
using orvantis::testing::linesOf;

class ClusterWorkflowTest : public CommandTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(std::system("command -v snakemake >/dev/null 2>&1"), 0)
        << "snakemake is missing: scripts/install-deps.sh installs it";
    copyExampleStudy();
    orvantis::testing::shortenStudy(at("study"), 60);
    dir_.write("priors.txt", "GrowthRate = UNIFORM 0.2 0.6\nMigrationRate = UNIFORM 0.1 0.3\n");
    ASSERT_EQ(run("priors priors.txt --n 4 --seed 2 -o table.tsv").status, 0);
  }
  std::string cluster(const std::string& file) {
    return (fs::path(ORVANTIS_SOURCE_DIR) / "examples" / "cluster" / file).string();
  }
};

TEST_F(ClusterWorkflowTest, SnakemakeRunsTheChunksAndGathersOneTable) {
  const auto r = shell("snakemake --snakefile '" + cluster("Snakefile") +
                       "' --directory work --cores 2 --quiet --config table=../table.tsv "
                       "settings=../study/settings.txt orvantis='" +
                       ORVANTIS_EXE + "' rows_per_chunk=2");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* chunk : {"chunk_0000", "chunk_0001"}) {
    EXPECT_TRUE(fs::exists(at("work/chunks") / (std::string(chunk) + ".tsv")));
    EXPECT_TRUE(fs::exists(at("work/runs") / chunk / "batch_summary.tsv"));
  }
  EXPECT_TRUE(fs::exists(at("work/runs/chunk_0001/row4/row_done.tsv")));
  const auto table = linesOf(dir_.read("table.tsv"));
  const auto summary = linesOf(dir_.read("work/abc_summary.tsv"));
  // Two genetic simulations per study: 8 lines after the header, in table order, each with
  // its row's name, seed and values, complete, and the statistics.
  ASSERT_EQ(summary.size(), 9u) << dir_.read("work/abc_summary.tsv");
  EXPECT_EQ(summary[0].substr(0, 54),
            "name\tseed\tGrowthRate\tMigrationRate\tstatus\texit\tmessage");
  EXPECT_NE(summary[0].find("\tsimulation\tnhap_Origin\t"), std::string::npos);
  for (std::size_t i = 1; i < 9; ++i) {
    const std::string& row = table[(i + 1) / 2];
    EXPECT_EQ(summary[i].substr(0, row.size() + 6), row + "\tdone\t") << summary[i];
  }
}

TEST_F(ClusterWorkflowTest, JobArrayScriptRunsTheChunkOfItsTask) {
  fs::create_directories(at("array"));
  const auto split =
      shell("cd array && python3 '" + cluster("split_table.py") + "' ../table.tsv 3 chunks");
  ASSERT_EQ(split.status, 0) << split.err;
  EXPECT_EQ(split.out, "2\n");
  EXPECT_EQ(linesOf(dir_.read("array/chunks/chunk_0001.tsv")).size(), 2u);
  const auto task =
      shell("cd array && SLURM_ARRAY_TASK_ID=1 ORVANTIS='" + std::string(ORVANTIS_EXE) +
            "' bash '" + cluster("slurm_array.sh") + "' ../study/settings.txt");
  ASSERT_EQ(task.status, 0) << task.out << task.err;
  const auto summary = linesOf(dir_.read("array/runs/chunk_0001/batch_summary.tsv"));
  ASSERT_EQ(summary.size(), 3u);
  EXPECT_EQ(summary[1].substr(0, 4), "row4");
  EXPECT_EQ(summary[2].substr(0, 4), "row4");
  EXPECT_FALSE(fs::exists(at("array/runs/chunk_0000")));
}

}  // namespace

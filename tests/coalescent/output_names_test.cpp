// Names of the files of a run: the settings file's and the sample file's names, with either
// separator, and the output directory made on demand.

#include "coalescent/output_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/recording_window.h"
#include "support/scratch_dir.h"

namespace orvantis {
namespace {

TEST(OutputNamesTest, FromTheSettingsAndSampleFileNames) {
  struct Case {
    const char* settings;
    const char* samples;
    const char* directory;  // O
    const char* run;        // R
  };
  for (const Case& c : {
           Case{"run1.txt", "data/pop.sam", "data/GeneticsOutput/", "run1_pop"},
           Case{"run1.txt", "data\\pop.sam", "data/GeneticsOutput/", "run1_pop"},
           Case{"studies\\run1.txt", "pop.sam", "GeneticsOutput/", "run1_pop"},
           Case{"/a/b/run1.txt", "/x/y/pop.sam", "/x/y/GeneticsOutput/", "run1_pop"},
           // Cut before the first ".txt" or ".sam", wherever it lies.
           Case{"run.txt.old", "pop.sample.sam", "GeneticsOutput/", "run_pop"},
           Case{"a.sam.d/run.txt", "a.sam.d/pop.sam", "GeneticsOutput/", "run_a"},
           // Without ".txt" or ".sam" the part is empty, and so is the sample's directory.
           Case{"settings", "pop.sam", "GeneticsOutput/", "_pop"},
           Case{"run1.txt", "data/samples.txt", "GeneticsOutput/", "run1_"},
       }) {
    const TOutputNames names = makeOutputNames(c.settings, c.samples);
    EXPECT_EQ(names.outputDirectory, c.directory) << c.settings << " " << c.samples;
    EXPECT_EQ(names.runName, c.run) << c.settings << " " << c.samples;
    EXPECT_EQ(names.baseName, std::string(c.directory) + c.run);
    EXPECT_EQ(outputBaseName(c.settings, c.samples), names.baseName);
  }
  EXPECT_EQ(sampleDirectory("data\\sub/pop.sam"), "data/sub/");
  const std::string base = makeOutputNames("run1.txt", "data/pop.sam").baseName;
  EXPECT_EQ(base + "_1.arp", "data/GeneticsOutput/run1_pop_1.arp");
  EXPECT_EQ(resultsFileName(base), "data/GeneticsOutput/run1_pop_results.txt");
  EXPECT_EQ(projectListEntry("run1_pop", 12), "run1_pop_12.arp");
}

TEST(OutputNamesTest, TheOutputDirectoryIsMadeWhenMissing) {
  testing::ScratchDir dir;
  testing::RecordingWindow window;
  std::ostringstream log;
  std::ostringstream console;
  const std::string directory = dir.path("data/GeneticsOutput/");
  ASSERT_EQ(makeOutputDirectory(directory, log, &console, window), 1);
  EXPECT_TRUE(std::filesystem::is_directory(directory));
  EXPECT_EQ(console.str(), "create folder " + directory + " ?\n");
  console.str("");
  ASSERT_EQ(makeOutputDirectory(directory, log, &console, window), 1);
  EXPECT_EQ(console.str(), "") << "an existing directory is entered silently";
  EXPECT_EQ(log.str(), "");

  // A file in the way: the reason is logged and shown.
  dir.write("blocked", "");
  EXPECT_EQ(makeOutputDirectory(dir.path("blocked/GeneticsOutput/"), log, nullptr, window), 0);
  EXPECT_NE(log.str().find("create folder "), std::string::npos) << "no console: the log";
  EXPECT_NE(log.str().find("cannot create the output directory"), std::string::npos);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].caption, "ERROR: folder");
}

}  // namespace
}  // namespace orvantis

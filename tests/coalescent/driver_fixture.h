#pragma once
// Small worlds with a stored demography written by hand, on which the tests run whole series of
// genetic simulations through SimulateGeneticData, and readers of the files a series writes.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "coalescent/driver.h"
#include "walk_fixture.h"

namespace orvantis::testing {

class DriverTest : public WalkTest {
 protected:
  DriverTest() {
    keys["GenealogiesFile"] = "0";
    keys["NumGeneticSimulations"] = "2";
  }

  // One cell of `size` individuals at every generation 0..EndTime, holding the only source.
  void oneCellWorld(int size, int endTime) {
    buildWorld({"1"}, endTime);
    setSize(0, 0, size);
    addSource("Origin", 0, 0);
  }

  // The series on a fresh collection over the world, after the demography is marked finished
  // (the sizes were written by hand).
  TGeneticRunReport simulate(const TGeneticOptions& options = TGeneticOptions(),
                             bool summaryStatistics = false) {
    EXPECT_EQ(world->database().finishRun(), 1);
    collection = std::make_unique<TDemeCollection>(*world, log, window, context.random);
    TGeneticRunInputs inputs;
    inputs.options = options;
    inputs.console = &console;
    inputs.summaryStatistics = summaryStatistics;
    return SimulateGeneticData(*world, inputs, *collection);
  }

  // A file of the run: the output base name (settings "settings.txt", samples "samples.sam")
  // followed by `suffix`; "" when it does not exist.
  std::string output(const std::string& suffix) const {
    return dir.read("GeneticsOutput/settings_samples" + suffix);
  }
  bool outputExists(const std::string& suffix) const {
    return std::ifstream(dir.path("GeneticsOutput/settings_samples" + suffix)).good();
  }

  // The data lines of a project file: for each gene in file order, its data string (the text
  // between the label's "\t1\t" and the closing tab).
  static std::vector<std::string> geneData(const std::string& project) {
    std::vector<std::string> genes;
    std::istringstream lines(project);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t label = line.find("\t1\t");
      if (line.empty() || line[0] == '\t' || line[0] == '#' || label == std::string::npos) continue;
      genes.push_back(line.substr(label + 3, line.size() - label - 4));
    }
    return genes;
  }

  std::unique_ptr<TDemeCollection> collection;
  std::ostringstream console;
};

}  // namespace orvantis::testing

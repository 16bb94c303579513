#pragma once
// The study the batch tests run: the example study, short and stochastic (model 3, so that the
// seed matters), its density rasters as the demographic outputs, and small genetic simulations
// (two samples of 6 genes next to the source, 40 DNA sites and 4 microsatellites, 2 simulations,
// no tree or genealogy files), so that a row takes a fraction of a second.

#include <filesystem>
#include <fstream>
#include <string>

namespace orvantis::testing {

inline void shortenStudy(const std::filesystem::path& study, int endTime) {
  std::ofstream(study / "short.sam") << "2\nOrigin 6 0 215.0 585.0\nNorth 6 0 225.0 585.0\n";
  std::ofstream(study / "short.par")
      << "1\n#chromosome 1\n2\nDNA 40 0 0.0005 0.25 0.25 0.25 0.25 1 4 1 1 4 1\n"
         "MICROSAT 4 0 0.005 0 0\n";
  std::ofstream(study / "settings.txt", std::ios::app)
      << "\nEndTime = " << endTime << "\nChosenDemographicModel = 3\n"
      << "GenerateOutputMDensityBMP = 0\nGenerateOutputOccupationBMP = 0\n"
      << "GenerateOutputOccupationASCII = 0\n"
      << "SampleFile = short.sam\nGeneticFile = short.par\nNumGeneticSimulations = 2\n"
      << "NexusFile = 0\nGenealogiesFile = 0\nTemporalCoalescenceFile = 0\n";
}

}  // namespace orvantis::testing

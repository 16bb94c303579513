// The run manifest's text: JSON string literals and the keys a replay needs.

#include <gtest/gtest.h>

#include <string>

#include "coalescent/driver_manifest.h"
#include "support/scratch_dir.h"

namespace orvantis {
namespace {

TEST(RunManifest, StringsAreValidJsonLiterals) {
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"plain", "\"plain\""},
      {"a \"b\" c\\d", "\"a \\\"b\\\" c\\\\d\""},
      {"line\nnext\ttab\r", "\"line\\nnext\\ttab\\r\""},
      {std::string("bell\x07", 5), "\"bell\\u0007\""},
      {"caf\xc3\xa9", "\"caf\xc3\xa9\""},  // UTF-8 is kept as it is
      {"caf\xe9", "\"caf\\u00e9\""},       // anything else is read as Latin-1
  };
  for (const auto& c : cases) EXPECT_EQ(jsonString(c.text), c.expected) << c.expected;
}

TEST(RunManifest, RecordsStreamsOnlyForReplicates) {
  TRunManifest manifest;
  manifest.record.commandLine = {"orvantis", "--threads", "2", "s.txt"};
  manifest.record.replayCommand = "orvantis --seed 5 --threads 1 --simulations S s.txt";
  manifest.settings = {{"NumGeneticSimulations", "2"}};
  manifest.inputs = {{"GeneticFile", "g.par", ""}};
  manifest.report.seed = 5;
  manifest.report.simulations = 2;
  manifest.report.records = {{1, 0xabcdefULL, true, 0.5}, {2, 0x1ULL, false, 0.25}};
  manifest.replicates = true;
  const std::string text = manifestText(manifest);
  for (const char* part :
       {"\"seed\": 5,", "\"randomNumbers\": \"one stream per simulation\"",
        "{\"simulation\": 1, \"stream\": \"0000000000abcdef\", \"finished\": "
        "true, \"seconds\": 0.5}",
        "{\"role\": \"GeneticFile\", \"file\": \"g.par\", \"sha256\": null}",
        "\"command\": \"orvantis --seed 5 --threads 1 --simulations S s.txt\""}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
  manifest.replicates = false;
  EXPECT_EQ(manifestText(manifest).find("\"stream\""), std::string::npos);
}

TEST(RunManifest, DigestsAreThoseOfTheContent) {
  testing::ScratchDir dir;
  dir.write("abc.txt", "abc");
  // The SHA-256 of "abc" (FIPS 180-2, appendix B.1).
  EXPECT_EQ(fileSha256(dir.path("abc.txt")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(fileSha256(dir.path("missing.txt")), "");
  EXPECT_EQ(fileSha256(""), "");
}

}  // namespace
}  // namespace orvantis

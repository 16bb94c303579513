#pragma once
// What the harnesses of the genetic input files share: the settings that run the genetic
// simulations of the tiny study on a given sample file and genetic parameters file, and the
// bound on the numbers an input may hold.

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/tiny_study.h"

namespace orvantis::fuzz {

// The genetic simulations of the tiny study: two simulations, few generations back.
inline TOverrides geneticOverrides(const std::string& samples, const std::string& parameters) {
  return {{"SampleFile", samples},          {"GeneticFile", parameters},
          {"NumGeneticSimulations", "2"},   {"MaxNumGenerations", "400"},
          {"GenealogiesFile", "1"},         {"NexusFile", "1"},
          {"TemporalCoalescenceFile", "1"}, {"PropFile", "1"}};
}

// Whether `accept` holds for every whole number written in the text, each given as its digits
// are read (so that a long run of digits stops early instead of overflowing) together with the
// total of the numbers before it.
template <typename Accept>
bool everyNumber(std::string_view text, Accept accept) {
  long total = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      value = value * 10 + (text[i] - '0');
      if (!accept(value, total)) return false;
      ++i;
    }
    total += value;
  }
  return true;
}

// Whether every number written in the text stays below `bound`: counts of loci, blocks,
// chromosomes and genes grow a run's memory and time with them, and beyond a few thousand an
// input only takes longer without reaching other code.
inline bool numbersBelow(std::string_view text, long bound) {
  return everyNumber(text, [bound](long value, long) { return value < bound; });
}

// Whether the numbers written in the text add up to less than `bound`. A recombining DNA block
// costs time and memory in proportion to the square of its loci, and blocks and chromosomes add
// up: one number's bound lets a file ask for a run of minutes under the sanitizers.
inline bool numbersAddUpBelow(std::string_view text, long bound) {
  return everyNumber(text, [bound](long value, long total) { return total + value < bound; });
}

}  // namespace orvantis::fuzz

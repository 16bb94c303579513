#include "genetics/summary_table.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace orvantis {

namespace {

constexpr const char* kSequenceNames[] = {"nhap", "hapdiv", "segsites", "pi", "tajimaD"};
constexpr const char* kMicrosatNames[] = {"nalleles", "het", "varsize", "gwM"};

bool labelCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-';
}

void appendGroup(std::vector<double>& values, const TGroupStatistics& group, bool sequences,
                 bool microsats) {
  if (sequences) {
    const TSequenceStatistics& s = group.sequence;
    values.insert(values.end(), {s.haplotypes, s.haplotypeDiversity, s.segregatingSites,
                                 s.meanPairwiseDifferences, s.tajimaD});
  }
  if (microsats) {
    const TMicrosatStatistics& m = group.microsat;
    values.insert(values.end(), {m.alleles, m.heterozygosity, m.sizeVariance, m.garzaWilliamsonM});
  }
}

}  // namespace

std::vector<std::string> sampleLabels(const std::vector<std::string>& names) {
  std::vector<std::string> labels;
  std::set<std::string> taken{"pooled"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string label = names[i];
    for (char& c : label) {
      if (!labelCharacter(c)) c = '_';
    }
    const std::string number = std::to_string(i + 1);
    if (label.empty()) label.append("S").append(number);
    if (taken.count(label) != 0) label.append("_").append(number);
    taken.insert(label);
    labels.push_back(label);
  }
  return labels;
}

std::vector<std::string> summaryColumnNames(const std::vector<std::string>& labels, bool sequences,
                                            bool microsats) {
  std::vector<std::string> columns;
  const auto addGroup = [&](const std::string& label) {
    if (sequences) {
      for (const char* name : kSequenceNames) columns.push_back(std::string(name) + "_" + label);
    }
    if (microsats) {
      for (const char* name : kMicrosatNames) columns.push_back(std::string(name) + "_" + label);
    }
  };
  for (const std::string& label : labels) addGroup(label);
  addGroup("pooled");
  for (std::size_t a = 0; a < labels.size(); ++a) {
    for (std::size_t b = a + 1; b < labels.size(); ++b) {
      const std::string pair = "_" + labels[a] + "_" + labels[b];
      if (sequences) {
        columns.push_back("dxy" + pair);
        columns.push_back("FST" + pair);
      }
      if (microsats) {
        columns.push_back("dmu2" + pair);
        columns.push_back("RST" + pair);
      }
    }
  }
  return columns;
}

std::vector<double> summaryColumnValues(const TSummaryStatistics& statistics) {
  const bool sequences = statistics.hasSequences;
  const bool microsats = statistics.hasMicrosats;
  std::vector<double> values;
  for (const TGroupStatistics& group : statistics.samples) {
    appendGroup(values, group, sequences, microsats);
  }
  appendGroup(values, statistics.pooled, sequences, microsats);
  for (const TSamplePairStatistics& pair : statistics.pairs) {
    if (sequences) values.insert(values.end(), {pair.meanPairwiseDifferences, pair.fst});
    if (microsats) values.insert(values.end(), {pair.deltaMuSquared, pair.rst});
  }
  return values;
}

std::string formatStatistic(double value) {
  if (std::isnan(value)) return "NA";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  if (value == 0.0) return "0";  // no "-0"
  char text[32];
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else {
    std::snprintf(text, sizeof text, "%.8g", value);
  }
  return text;
}

}  // namespace orvantis

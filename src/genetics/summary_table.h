#pragma once
// The summary statistics of a simulation as one wide table row with named columns, the shape
// that ABC tools read: per sample and pooled, then per pair of samples.
//
//   sequences       nhap_<g> hapdiv_<g> segsites_<g> pi_<g> tajimaD_<g>
//   microsatellites nalleles_<g> het_<g> varsize_<g> gwM_<g>
//   pairs           dxy_<a>_<b> FST_<a>_<b> (sequences), dmu2_<a>_<b> RST_<a>_<b> (microsatellites)
//
// with <g> each sample's label and then "pooled", and the sequence columns only when the data
// hold sequence loci (likewise for microsatellites). Missing values are written "NA".

#include <string>
#include <vector>

#include "genetics/summary_statistics.h"

namespace orvantis {

// Column labels of the samples: the names with every character other than a letter, digit,
// '.' or '-' replaced by '_' ("S" followed by the sample's number for an empty name); a label
// already taken, or "pooled", gets "_" and the sample's number (from 1) appended.
std::vector<std::string> sampleLabels(const std::vector<std::string>& names);

// The columns of a data set with these sample labels and types.
std::vector<std::string> summaryColumnNames(const std::vector<std::string>& labels, bool sequences,
                                            bool microsats);
// The values in the order of summaryColumnNames(labels of its samples, its types).
std::vector<double> summaryColumnValues(const TSummaryStatistics& statistics);

// A value as written in the tables: "NA" for NaN, integers without decimals, other values with
// up to 8 significant digits.
std::string formatStatistic(double value);

}  // namespace orvantis

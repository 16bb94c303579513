#include "genetics/coalescence_statistics_report.h"

#include "coalescent/genetic_parameters.h"
#include "genetics/coalescence_statistics.h"
#include "genetics/nexus_files.h"
#include "genetics/tree.h"

namespace orvantis {

namespace {

const char* resultsTypeName(int dataType) {
  switch (dataType) {
    case MICROSAT:
      return "MICROSAT";
    case RFLP:
    case SNP:
      return "RFLP";
    case DNA:
      return "DNA";
    case STANDARD:
      return "STANDARD";
    default:
      return "";
  }
}

}  // namespace

void writeFinalResults(std::ostream& out, const TFinalResultsInput& input,
                       TPairStatistics& statistics, const TTreeLengthSums& sums) {
  // The text sets the stream's format as it goes (later numbers inherit it); what follows the
  // text does not.
  const TStreamFormatGuard keepFormat(out);
  const int genealogies = statistics.genealogies();
  (void)statistics.meanTimes.toMean(genealogies);
  (void)statistics.meanDifferences.toMean(genealogies);
  (void)statistics.sdTimes.toSD(genealogies, statistics.meanTimes);
  (void)statistics.sdDifferences.toSD(genealogies, statistics.meanDifferences);

  const int d = input.numSimulations;
  out << "\nFinal results"
      << "\n=============\n";
  out << "\nData type : " << resultsTypeName(input.dataType);
  if (input.dataType == DNA) {
    if (input.alpha > 0.0) {
      out << "\nHeterogeneity of mutation rates: Gamma value = ";
      writeScientific(out, input.alpha, 5, 10);
    } else {
      out << "\nNo heterogeneity of mutation rates";
    }
  }
  out << "\nNumber of loci : " << input.numLoci;
  out << "\nTotal mutation rate per generation : " << input.mutationRate;
  if (input.numLoci > 0) {
    out << "\nMutation rate per locus per generation : "
        << input.mutationRate / static_cast<float>(input.numLoci);
  }
  out << "\nMean coalescence times within and among demes over " << genealogies
      << " random samples\n";
  statistics.meanTimes.print(out);
  out << "\nS.D. coalescence times within and among demes \n";
  statistics.sdTimes.print(out);
  out << "\nMean number of pairwise differences within and among demes over " << genealogies
      << " random samples\n";
  statistics.meanDifferences.print(out);
  out << "\nS.D. number of pairwise differences within and among demes \n";
  statistics.sdDifferences.print(out);

  out << "\nMean length of the trees (subst. rate per site) : ";
  writeScientific(out, sums.meanTreeLength(d, input.totalLoci), -1, 0);
  if (d > 1) {
    out << " +- ";
    writeScientific(out, sums.sdTreeLength(d, input.totalLoci), 5, 10);
    out << "\n";
  }
  out << "\nMean length of the trees (total number of mutations) : " << sums.meanMutations(d);
  if (d > 1) {
    out << " +- ";
    writeScientific(out, sums.sdMutations(d), 5, 10);
    out << "\n";
  }
}

std::string temporalCoalescenceFileName(const std::string& baseName) {
  return baseName + ".coal";
}

void writeTemporalCoalescenceHeading(std::ostream& out) {
  out << "Coalescence times for every simulations"
      << "\n";
}

void writeCoalescenceTimes(std::ostream& out, const TTree& tree, int simulation, int chromosome) {
  out << "Sim_" << simulation << "_Chrom_" << chromosome;
  const int n = tree.sampleSize();
  const int last = 2 * n - 2 < tree.numNodes() - 1 ? 2 * n - 2 : tree.numNodes() - 1;
  for (TNodeRef r = n; r <= last; ++r) {
    const TNode& v = tree.node(r);
    if (v.locTime.empty()) continue;
    out << " " << v.locTime.front();
  }
  out << "\n";
}

void writeRecombinationNotice(std::ostream* temporalFile, std::ostream& log) {
  if (temporalFile != nullptr) {
    *temporalFile << " No coalescence distribution when recombination occurs!"
                  << "\n";
  }
  log << "WARNING: Recombination occuring, MRCA location map can not be trusted!" << std::endl;
}

}  // namespace orvantis

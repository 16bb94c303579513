#pragma once
// Gathers the allelic states of the sampled genes of one genetic simulation, chromosome after
// chromosome, into the data set of the summary statistics (summary_statistics.h): one sample per
// sample of the sample file that holds genes (those the project file lists), in the same order,
// each gene's states read from its tip of the genealogy after the mutations.

#include "genetics/summary_statistics.h"

namespace orvantis {

class TDemeCollection;

class TSummaryDataCollector {
 public:
  // Starts a simulation: the samples named as in the sample file, without loci yet.
  void begin(const TDemeCollection& collection);
  // Appends the loci of the chromosome just mutated, with their data types. Call after the
  // mutations and before resetDemes. A gene without states leaves the data incomplete.
  void addChromosome(const TDemeCollection& collection);
  // The simulation ended before its last chromosome (a genealogy could not be finished).
  void markIncomplete() { complete_ = false; }

  // True when every chromosome was added with the states of every gene.
  bool complete() const { return complete_; }
  const TGeneticDataSet& data() const { return data_; }
  // The sample names, for the column labels.
  std::vector<std::string> sampleNames() const;

 private:
  // Where a sample's genes are: its deme's number and the first of its genes in the deme.
  struct TSampleGenes {
    int demeNumber = -1;
    int offset = 0;
  };

  TGeneticDataSet data_;
  std::vector<TSampleGenes> genes_;
  bool complete_ = true;
};

}  // namespace orvantis

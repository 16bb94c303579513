// One genetic simulation of a series: for every chromosome in order, its genealogy, its
// mutations and its data; the simulation's own files; what the series merges.

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"
#include "foundation/paths.h"
#include "genetics/coalescence_statistics_report.h"
#include "genetics/locus_data.h"
#include "genetics/mutation.h"
#include "genetics/newick.h"
#include "genetics/paup_file.h"
#include "genetics/project_file.h"
#include "genetics/summary_data.h"
#include "genetics/vcf.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

bool demographyUnreadable(TDemeCollection& worker) {
  const TDemographyReader* reader = worker.reader();
  return reader == nullptr || reader->failed();
}

void fail(TSimulationResult& result, std::ostream& log, const std::string& problem) {
  result.fatal = true;
  result.finished = false;
  result.problem = problem;
  log << "ERROR: {SimulateGeneticData()} [simulation " << result.simulation << ": " << problem
      << "]" << std::endl;
}

bool openOutput(std::ofstream& file, const std::string& name) {
  file.open(nativePath(name), std::ios::binary | std::ios::trunc);
  return static_cast<bool>(file);
}

// The cells where the genealogy just built had coalescences.
void addCoalescences(const std::vector<int>& perCell, std::vector<std::pair<int, int>>& into) {
  for (std::size_t cell = 0; cell < perCell.size(); ++cell) {
    if (perCell[cell] != 0) into.emplace_back(static_cast<int>(cell), perCell[cell]);
  }
}

// The chromosome's genealogy is done with: its parameters emptied, the demes back to their tips.
void endGenealogy(TDemeCollection& worker) {
  worker.parameters().clearChromosome();
  worker.resetDemes();
}

}  // namespace

namespace {

// The simulation itself (see simulateGenetics).
TSimulationResult simulateChromosomes(const TSeriesPlan& plan, TDemeCollection& worker, int s) {
  TSimulationResult result;
  result.simulation = s;
  result.finished = true;
  std::ostream& log = worker.log();
  const std::string& base = plan.names.baseName;
  const int numChromosomes = plan.numChromosomes;
  result.mrcaCells.assign(static_cast<std::size_t>(numChromosomes), TMrcaLocations::kUnset);
  if (!result.pairs.create(plan.numSampleDemes, log) ||
      (plan.numPopulations == 2 &&
       !result.proportions.create(plan.numSampleDemes, 1, numChromosomes, log))) {
    fail(result, log, "not enough memory for the statistics of the simulation");
    return result;
  }

  // The demes' data strings of the last simulation go; this simulation fills them again.
  worker.clearGeneticData();
  result.projectList = projectListEntry(plan.names.runName, s) + "\n";
  const std::string projectName = projectFileName(base, s);
  std::ofstream project;
  if (!openOutput(project, projectName)) {
    fail(result, log, "cannot create the project file '" + projectName + "'");
    return result;
  }
  writeProjectHeader(project, worker, numChromosomes);
  std::optional<TVcfWriter> vcfWriter;
  std::ofstream vcf;
  const std::string vcfName = vcfFileName(base, s);
  if (plan.vcf) {
    vcfWriter.emplace(worker, worker.genotypicData());
    if (!openOutput(vcf, vcfName)) {
      fail(result, log, "cannot create the VCF file '" + vcfName + "'");
      return result;
    }
    vcfWriter->writeHeader(vcf, s, plan.chromosomeLoci);
  }

  // The sampled genes' states, chromosome after chromosome, for the summary statistics.
  TSummaryDataCollector summaryData;
  if (plan.summaryStatistics) summaryData.begin(worker);

  std::ostringstream batch;
  std::ostringstream trueTrees;
  std::ostringstream mutationTrees;
  std::ostringstream temporal;
  TTree& tree = worker.tree();
  TGeneticParameters& parameters = worker.parameters();
  for (int c = 1; c <= numChromosomes; ++c) {
    // Chromosome 1 is still in place after the setup; every other reading follows an emptying.
    if (c > 1 || parameters.numLoci() == 0) {
      if (!worker.readChromosome(c - 1)) {
        fail(result, log,
             "chromosome " + std::to_string(c) +
                 " of the genetic parameters file "
                 "cannot be read any more");
        break;
      }
      tree.setNumLoci(parameters.numLoci());
    }
    const int numLoci = parameters.numLoci();
    const bool recombining = parameters.totalRecRate() > 0.0;
    writeChromosomeHeader(project, c, parameters, worker.mutation());

    std::ofstream paup;
    if (plan.nexusFiles) {
      const std::string paupName = paupFileName(base, s, c);
      if (!openOutput(paup, paupName)) {
        fail(result, log, "cannot create the PAUP command file '" + paupName + "'");
        endGenealogy(worker);
        break;
      }
      writeBatchLine(batch, paupName);
      writePaupOpening(paup,
                       {plan.numTaxa, numLoci, plan.numSampleDemes,
                        worker.mutation().currentBlock().mutationRate, plan.alpha},
                       paupLogFileName(base, s, c), s, plan.dataType);
    }

    const int built = plan.oneSourceWalk ? worker.buildTreeOneOriginOneLayerRecombination(s)
                                         : worker.buildTree(s);
    if (demographyUnreadable(worker)) {
      fail(result, log, "the stored demography cannot be read (damaged saved demography?)");
      endGenealogy(worker);
      break;
    }
    if (built == 0) {
      log << "WARNING: the genealogy of simulation " << s << ", chromosome " << c
          << " could not be finished; the simulation's remaining chromosomes are not simulated"
          << std::endl;
      result.finished = false;
      endGenealogy(worker);
      break;
    }

    if (plan.numPopulations == 2 && !recombining) {
      (void)LineagesProportionInSamples(tree, worker.world().sources(), 0, c - 1,
                                        result.proportions, log);
    }

    // Each locus's mutation tree is written while the nodes hold that locus's counts.
    const bool mutationTreeLines = plan.nexusFiles && plan.dataType != SNP;
    const int mutations = mutateChromosome(worker, numLoci, recombining, [&](int locus) {
      if (mutationTreeLines) {
        (void)writeTreeLine(mutationTrees, tree, s, c, locus, TBranchLength::Mutations);
      }
    });
    const TMutationState& state = worker.mutation();
    result.lengths.push_back({state.treeLength(), mutations});
    if (vcfWriter) (void)vcfWriter->writeChromosome(vcf, worker, c);
    if (plan.nexusFiles) {
      writePaupMatrix(paup, worker, plan.dataType);
      writePaupTreesAndCommands(paup, tree, s, c, state.treeLength(), state.sitesHit(), plan.alpha);
      paup.close();
      if (!paup) {
        fail(result, log, "cannot write the PAUP command file '" + paupFileName(base, s, c) + "'");
        endGenealogy(worker);
        break;
      }
      for (int locus = 0; locus < numLoci; ++locus) {
        (void)writeTreeLine(trueTrees, tree, s, c, locus, TBranchLength::Generations);
      }
    }

    if (!recombining) {
      (void)result.pairs.addGenealogy(tree, plan.tipDeme);
      if (plan.temporalFile) writeCoalescenceTimes(temporal, tree, s, c);
      if (plan.genealogyFiles) (void)tree.writeGenealogyFile(s, c, base);
      if (plan.spatialMaps) {
        (void)writeGenealogyCoalescenceMap(base, s, c, plan.grid, worker.coalescencesPerCell(),
                                           log);
      }
      result.mrcaCells[static_cast<std::size_t>(c - 1)] = mrcaCell(tree);
    } else {
      writeRecombinationNotice(plan.temporalFile ? &temporal : nullptr, log);
    }
    storeDemeData(worker);
    if (plan.summaryStatistics) summaryData.addChromosome(worker);
    addCoalescences(worker.coalescencesPerCell(), result.coalescences);
    endGenealogy(worker);
  }

  // The project file is completed whatever happened to the genealogies.
  writeProfile(project, countProfileSamples(worker), plan.dataType, worker.genotypicData());
  writeSamples(project, worker, worker.genotypicData());
  writeStructure(project, worker);
  project.close();
  if (!project && !result.fatal)
    fail(result, log, "cannot write the project file '" + projectName + "'");
  if (vcfWriter) {
    vcf.close();
    if (!vcf && !result.fatal) fail(result, log, "cannot write the VCF file '" + vcfName + "'");
  }

  if (plan.summaryStatistics) {
    if (!result.finished) summaryData.markIncomplete();
    result.summary = summarizeSimulation(s, summaryData);
  }
  result.batch = batch.str();
  result.trueTrees = trueTrees.str();
  result.mutationTrees = mutationTrees.str();
  result.temporal = temporal.str();
  return result;
}

}  // namespace

TSimulationResult simulateGenetics(const TSeriesPlan& plan, TDemeCollection& worker, int s) {
  const auto start = std::chrono::steady_clock::now();
  TSimulationResult result = simulateChromosomes(plan, worker, s);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace orvantis

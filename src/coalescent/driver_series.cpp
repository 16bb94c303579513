#include "coalescent/driver_series.h"

#include <filesystem>
#include <system_error>

#include "coalescent/deme_collection.h"
#include "coalescent/driver_observer.h"
#include "coalescent/driver_seeds.h"
#include "foundation/exception.h"
#include "foundation/paths.h"
#include "genetics/coalescence_statistics_report.h"
#include "genetics/mutation_rates.h"
#include "genetics/nexus_data_type.h"
#include "genetics/vcf.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

// The current directory, from which the run reads its relative file names.
std::string currentDirectory() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  return error ? std::string() : here.string();
}

// Writes a setting the run computes (NumIndeLoci, NumLinkedLoci) into the world's settings.
void storeSetting(TExtendedSettings& settings, const char* key, int value) {
  settings.setValue(my_string(key), value);
  settings.fillTables();
}

}  // namespace

TGeneticSeries::TGeneticSeries(World& world, const TGeneticRunInputs& inputs,
                               TDemeCollection& collection)
    : world_(world), inputs_(inputs), collection_(collection), log_(collection.log()) {}

TWalkObserver* TGeneticSeries::walkWriters() const {
  return writers_.get();
}

TGeneticSeries::~TGeneticSeries() {
  closeFiles();
  if (writers_ && collection_.walkObserver() == writers_.get()) {
    collection_.setWalkObserver(nullptr);
  }
}

bool TGeneticSeries::notRun(const std::string& problem) {
  report_.status = TGeneticRunStatus::NotRun;
  report_.problem = problem;
  return false;
}

bool TGeneticSeries::checkDemography() {
  const StateDB& db = world_.database();
  if (world_.numberOfCells() > 0 && db.isAllocated() && db.runFinished()) return true;
  log_ << "ERROR: {SimulateGeneticData()} [no stored demography: build the world and run the "
          "demographic simulation (or load a saved demography) before the genetic simulations]"
       << std::endl;
  collection_.window().messageBox(
      "There is no stored demography to simulate genetic data on: run the demographic "
      "simulation first.",
      "ERROR: genetic simulation");
  return notRun("no stored demography (the demographic simulation has not been run)");
}

bool TGeneticSeries::checkSources() {
  const PopulationVector& sources = world_.sources();
  if (world_.numberOfPopulations() == 1) {
    for (int i = 0; i < sources.count(); ++i) {
      if (sources[i].expansionTime == 0) continue;
      log_ << "****ERROR: Population source " << sources[i].name
           << " must start at generation 0! Genetic simulation aborted!" << std::endl;
      report_.result = 0;
      return notRun("population source " + sources[i].name.str() + " must start at generation 0");
    }
    return true;
  }
  for (int i = 0; i < sources.count(); ++i) {
    if (sources[i].layer == 1) return true;
  }
  log_ << "****ERROR: At least one population source must be located in layer 1! Genetic "
          "simulation aborted!"
       << std::endl;
  report_.result = 0;
  return notRun("at least one population source must be located in layer 1");
}

bool TGeneticSeries::openFile(std::ofstream& file, const std::string& name) {
  file.open(nativePath(name), std::ios::binary | std::ios::trunc);
  if (file) return true;
  log_ << "ERROR: {SimulateGeneticData()} [cannot create the file '" << name << "']" << std::endl;
  return notRun("cannot create " + name);
}

bool TGeneticSeries::openSharedFiles() {
  const std::string& base = plan_.names.baseName;
  if (plan_.numChromosomes == 1 && !openFile(results_, resultsFileName(base))) return false;
  if (!openFile(projectList_, projectListFileName(base))) return false;
  if (plan_.nexusFiles && !openFile(batch_, batchFileName(base))) return false;
  if (plan_.temporalFile && !openFile(temporal_, temporalCoalescenceFileName(base))) return false;
  if (plan_.summaryStatistics) {
    const std::string name = base + kSummaryStatsSuffix;
    if (!summaryStats_.open(name)) {
      log_ << "ERROR: {SimulateGeneticData()} [cannot create the file '" << name << "']"
           << std::endl;
      return notRun("cannot create " + name);
    }
  }
  return true;
}

bool TGeneticSeries::readRunSettings() {
  const TExtendedSettings& settings = world_.settings();
  const TGeneticOptions& options = inputs_.options;
  plan_.numSimulations = settings.intParameter(IntParam::NumGeneticSimulations);
  report_.simulations = plan_.numSimulations;
  if (plan_.numSimulations < 1) {
    log_ << "ERROR: {SimulateGeneticData()} [NumGeneticSimulations (" << plan_.numSimulations
         << ") must be at least 1]" << std::endl;
    return notRun("NumGeneticSimulations must be at least 1");
  }
  if (settings.intParameter(IntParam::MaxNumGenerations) < 1) {
    log_ << "ERROR: {SimulateGeneticData()} [MaxNumGenerations ("
         << settings.intParameter(IntParam::MaxNumGenerations)
         << ") must be at least 1: no genealogy could be built]" << std::endl;
    return notRun("MaxNumGenerations must be at least 1");
  }
  if (!readReplicateOptions()) return false;
  plan_.numPopulations = world_.numberOfPopulations();
  if (options.geneticBitmaps &&
      (options.population < 0 || options.population >= plan_.numPopulations)) {
    log_ << "ERROR: {SimulateGeneticData()} [the genetic bitmaps draw population "
         << options.population + 1 << ", which the run does not have]" << std::endl;
    return notRun("the genetic bitmaps ask for a population the run does not have");
  }
  plan_.oneSourceWalk = plan_.numPopulations == 1 && world_.sources().count() == 1;
  plan_.nexusFiles = settings.intParameter(IntParam::NexusFile) == 1;
  plan_.genealogyFiles = settings.intParameter(IntParam::GenealogiesFile) == 1;
  plan_.temporalFile =
      settings.intParameter(IntParam::TemporalCoalescenceFile) != 0 && options.temporalCoalescence;
  plan_.spatialMaps = options.spatialCoalescence;
  plan_.proportionFiles =
      plan_.numPopulations == 2 && settings.intParameter(IntParam::PropFile) == 1;
  plan_.summaryStatistics = inputs_.summaryStatistics;
  return true;
}

bool TGeneticSeries::readReplicateOptions() {
  const TReplicateOptions& replicates = inputs_.replicates;
  plan_.replicates = replicates.threads.has_value();
  plan_.first = 1;
  plan_.last = plan_.numSimulations;
  report_.first = plan_.first;
  report_.last = plan_.last;
  if (!plan_.replicates) {
    if (replicates.first == 0 && replicates.last == 0) return true;
    log_ << "ERROR: {SimulateGeneticData()} [simulations " << replicates.first << " to "
         << replicates.last
         << " cannot run alone: simulations drawn from one sequence depend on every simulation "
            "before them (run them as replicates on threads)]"
         << std::endl;
    return notRun("simulations can be chosen only when they run as replicates on threads");
  }
  const int threads = *replicates.threads;
  if (threads < 0 || threads > kMaxReplicateThreads) {
    log_ << "ERROR: {SimulateGeneticData()} [" << threads
         << " threads: the number of threads must be 0 (one per core) to " << kMaxReplicateThreads
         << "]" << std::endl;
    return notRun("the number of threads must be 0 to " + std::to_string(kMaxReplicateThreads));
  }
  if (replicates.first != 0 || replicates.last != 0) {
    if (replicates.first < 1 || replicates.last < replicates.first ||
        replicates.last > plan_.numSimulations) {
      log_ << "ERROR: {SimulateGeneticData()} [simulations " << replicates.first << " to "
           << replicates.last << " are not simulations of the run (1 to " << plan_.numSimulations
           << ")]" << std::endl;
      return notRun("simulations " + std::to_string(replicates.first) + " to " +
                    std::to_string(replicates.last) + " are not simulations of the run (1 to " +
                    std::to_string(plan_.numSimulations) + ")");
    }
    plan_.first = replicates.first;
    plan_.last = replicates.last;
  }
  report_.first = plan_.first;
  report_.last = plan_.last;
  return true;
}

bool TGeneticSeries::setUp() {
  start_ = std::chrono::steady_clock::now();
  TExtendedSettings& settings = world_.settings();
  for (const auto& [key, value] : settings.values()) {
    settingsAtStart_.emplace_back(key.str(), value.str());
  }
  report_.seed = world_.context().random.seed();
  log_ << "Starting Coalescent simulation" << std::endl;
  if (!checkDemography()) return false;
  TWindowServices& window = collection_.window();
  const TGeneticOptions& options = inputs_.options;

  // The chromosomes of the genetic parameters file.
  const std::string geneticFile = settings.fileParameter(FileParam::GeneticFile).str();
  const int numChromosomes = readNumChromosomes(geneticFile, log_);
  if (!checkNumChromosomes(numChromosomes, log_, window)) {
    return notRun("the genetic parameters file '" + geneticFile + "' gives no chromosome");
  }
  storeSetting(settings, "NumIndeLoci", numChromosomes);
  plan_.numChromosomes = numChromosomes;

  if (!checkSources()) return false;

  if (!collection_.createDemesFromWorld()) return notRun("not enough memory for the demes");
  collection_.parameters().setNumChromosomes(numChromosomes);
  if (!readRunSettings()) return false;

  // Names, directory and the files every simulation adds to.
  plan_.names = makeOutputNames(settings.settingsPath().str(),
                                settings.fileParameter(FileParam::SampleFile).str());
  report_.names = plan_.names;
  if (!makeOutputDirectory(plan_.names.outputDirectory, log_, inputs_.console, window)) {
    return notRun("cannot create the output directory " + plan_.names.outputDirectory);
  }
  outputDirectoryMade_ = true;
  inputDigests_ =
      digestRunInputs(settings, inputs_.record.inputFiles, inputs_.record.startDirectory);
  if (!openSharedFiles()) return false;

  // The samples, the loci and the first chromosome.
  collection_.setOptions(options);
  collection_.setOutputBaseName(plan_.names.baseName);
  if (collection_.readSampleFile() != 1) {
    return notRun("the sample file '" + settings.fileParameter(FileParam::SampleFile).str() +
                  "' was not used (unreadable, refused, or cancelled: see the log)");
  }
  if (collection_.reader()->failed()) {
    log_ << "ERROR: {SimulateGeneticData()} [the stored demography cannot be read]" << std::endl;
    return notRun("the stored demography cannot be read (damaged saved demography?)");
  }
  return prepareRun();
}

bool TGeneticSeries::prepareRun() {
  TExtendedSettings& settings = world_.settings();
  const std::string geneticFile = settings.fileParameter(FileParam::GeneticFile).str();
  TMutationState& mutation = collection_.mutation();
  mutation.startRun();
  double alpha = 0.0;
  int categories = 0;
  if (!readMutationRateHeterogeneity(settings, log_, alpha, categories)) {
    return notRun("bad mutation rate heterogeneity settings (see the log)");
  }
  mutation.setGammaParameters(alpha, categories);
  plan_.alpha = mutation.gammaShape();
  // Every chromosome's block types are known before the first simulation, so a run mixing
  // types prints its states as such from simulation 1 on.
  if (noteRunDataType(mutation, geneticFile, plan_.numChromosomes, log_) < 0) {
    return notRun("the genetic parameters file '" + geneticFile + "' cannot be read");
  }
  plan_.dataType = mutation.fileDataType();

  plan_.totalLoci = collection_.countAllLoci();
  if (!collection_.readChromosome(0)) {
    return notRun("chromosome 1 of the genetic parameters file '" + geneticFile +
                  "' cannot be read");
  }
  TGeneticParameters& parameters = collection_.parameters();
  plan_.firstChromosomeLoci = parameters.numLoci();
  if (parameters.numBlocks() > 0) {
    plan_.lastBlockMutationRate = parameters.block(parameters.numBlocks() - 1).mutationRate;
  }
  storeSetting(settings, "NumLinkedLoci", plan_.firstChromosomeLoci);
  plan_.vcf = inputs_.vcf;
  if ((plan_.vcf || plan_.replicates) && !readChromosomeSummaries(geneticFile)) {
    return notRun("the genetic parameters file '" + geneticFile + "' cannot be read");
  }
  collection_.fixSettings();
  collection_.createInitialDemeList();
  plan_.numSampleDemes = collection_.numSampleDemes();

  TTree& tree = collection_.tree();
  tree.setNodeCounter(0);
  tree.setNumLoci(parameters.numLoci());
  if (!pairs_.create(plan_.numSampleDemes, log_)) {
    return notRun("not enough memory for the statistics matrices");
  }
  if (plan_.nexusFiles) {
    if (!openFile(trueTrees_, trueTreesFileName(plan_.names.baseName)) ||
        !openFile(mutationTrees_, mutationTreesFileName(plan_.names.baseName))) {
      return false;
    }
    writeTreeFileHeading(trueTrees_);
    writeTreeFileHeading(mutationTrees_);
  }

  if (!collection_.createlineages()) {
    return notRun("no sampled gene to simulate (no sample was accepted, see the log)");
  }
  plan_.numTaxa = tree.sampleSize();
  if (plan_.temporalFile) writeTemporalCoalescenceHeading(temporal_);
  if (!mrca_.create(plan_.numSimulations, plan_.numChromosomes, log_)) {
    return notRun("not enough memory for the MRCA locations");
  }
  if (plan_.numPopulations == 2 && !proportions_.create(plan_.numSampleDemes, plan_.numSimulations,
                                                        plan_.numChromosomes, log_)) {
    return notRun("not enough memory for the introgression proportions");
  }
  tipDemeIndexes(collection_, plan_.tipDeme);
  plan_.grid = TCellGrid::fromWorld(world_);
  coalescenceTotals_.assign(collection_.coalescencesPerCellCumulated().size(), 0);

  const TGeneticOptions& options = inputs_.options;
  if (options.geneticBitmaps || options.coalescentTrees) {
    writers_ = std::make_unique<TGeneticFileWriters>(
        world_, collection_, options, inputs_.onePixelMaps, plan_.names.baseName, plan_.grid);
    collection_.setWalkObserver(writers_.get());
  }
  ready_ = true;
  return true;
}

bool TGeneticSeries::readChromosomeSummaries(const std::string& geneticFile) {
  // The chromosomes' own log lines are those of the simulations' readings.
  std::ostream quiet(nullptr);
  chromosomeSummaries_.setNumChromosomes(plan_.numChromosomes);
  plan_.chromosomeLoci.assign(static_cast<std::size_t>(plan_.numChromosomes), 0);
  for (int c = 0; c < plan_.numChromosomes; ++c) {
    if (!chromosomeSummaries_.readChromosome(geneticFile, c, quiet)) {
      log_ << "ERROR: {SimulateGeneticData()} [chromosome " << c + 1
           << " of the genetic parameters file '" << geneticFile << "' cannot be read]"
           << std::endl;
      return false;
    }
    plan_.chromosomeLoci[static_cast<std::size_t>(c)] = chromosomeSummaries_.numLoci();
  }
  chromosomeSummaries_.clearChromosome();
  return true;
}

bool TGeneticSeries::merge(const TSimulationResult& result) {
  if (!ready_ || stopped_) return false;
  ++merged_;
  const int s = result.simulation;
  report_.records.push_back({s, result.streamKey, result.finished, result.seconds});
  if (!result.log.empty()) log_ << result.log << std::flush;
  for (const auto& [text, caption] : result.messages)
    collection_.window().messageBox(text, caption);
  projectList_ << result.projectList;
  if (batch_.is_open()) batch_ << result.batch;
  if (trueTrees_.is_open()) trueTrees_ << result.trueTrees;
  if (mutationTrees_.is_open()) mutationTrees_ << result.mutationTrees;
  if (temporal_.is_open()) temporal_ << result.temporal;
  if (summaryStats_.isOpen()) summaryStats_.add(result.summary);

  for (const auto& [cell, count] : result.coalescences) {
    if (cell >= 0 && static_cast<std::size_t>(cell) < coalescenceTotals_.size()) {
      coalescenceTotals_[static_cast<std::size_t>(cell)] += count;
    }
  }
  for (std::size_t c = 0; c < result.mrcaCells.size(); ++c) {
    if (result.mrcaCells[c] != TMrcaLocations::kUnset) {
      mrca_.set(s, static_cast<int>(c) + 1, result.mrcaCells[c]);
    }
  }
  if (proportions_.numSimulations() > 0) {
    for (int k = 0; k <= proportions_.numDemes(); ++k) {
      for (int c = 0; c < plan_.numChromosomes; ++c) {
        if (result.proportions.contains(k, 0, c)) {
          proportions_.set(k, s - 1, c, result.proportions.at(k, 0, c));
        }
      }
    }
  }
  (void)pairs_.merge(result.pairs);
  for (const TChromosomeLength& length : result.lengths) {
    sums_.add(length.treeLength, length.mutations);
  }
  if (result.finished) {
    ++report_.completed;
  } else {
    ++report_.failed;
  }

  std::string problem;
  if (result.fatal) {
    problem = result.problem;
  } else if (!projectList_ || (batch_.is_open() && !batch_) ||
             (trueTrees_.is_open() && !trueTrees_) ||
             (mutationTrees_.is_open() && !mutationTrees_) || (temporal_.is_open() && !temporal_)) {
    problem = "a file shared by the simulations cannot be written";
  }
  if (!problem.empty()) {
    stopped_ = true;
    report_.status = TGeneticRunStatus::Failed;
    report_.problem = problem;
    log_ << "ERROR: {SimulateGeneticData()} [the genetic simulations stop after simulation " << s
         << ": " << problem << "]" << std::endl;
  }
  return !stopped_;
}

void TGeneticSeries::writeSummaries() {
  const std::string& base = plan_.names.baseName;
  const int entries = plan_.numSimulations * plan_.numChromosomes;
  const int simulations = plan_.last - plan_.first + 1;
  (void)writeTotalCoalescenceMap(base, plan_.grid, coalescenceTotals_, log_);
  (void)writeMrcaDensityMap(base, plan_.grid, mrca_, entries, log_);
  if (plan_.proportionFiles) {
    // Workers read the chromosomes: the series' own collection has read the first only.
    const TGeneticParameters& chromosomes =
        plan_.replicates ? chromosomeSummaries_ : collection_.parameters();
    for (int i = plan_.first - 1; i < plan_.last; ++i) {
      (void)writeProportionFile(i, base, collection_, chromosomes, proportions_, log_);
    }
  }
  if (plan_.nexusFiles) {
    writeTrueTreesClosing(trueTrees_, sums_, simulations, plan_.totalLoci);
    writeMutationTreesClosing(mutationTrees_, sums_, simulations);
  }
  if (plan_.numChromosomes == 1) {
    TFinalResultsInput input;
    input.dataType = plan_.dataType;
    input.alpha = plan_.alpha;
    input.numLoci = plan_.firstChromosomeLoci;
    input.mutationRate = plan_.lastBlockMutationRate;
    input.numSimulations = simulations;
    input.totalLoci = plan_.totalLoci;
    writeFinalResults(results_, input, pairs_, sums_);
  }
}

void TGeneticSeries::finish() {
  if (finished_) return;
  finished_ = true;
  const int simulations = plan_.last - plan_.first + 1;
  const bool completed = ready_ && !stopped_ && merged_ == simulations;
  if (ready_ && !stopped_ && !completed) {
    report_.status = TGeneticRunStatus::Failed;
    report_.problem = "the series stopped after " + std::to_string(merged_) + " of " +
                      std::to_string(simulations) + " simulations";
  }
  if (completed) writeSummaries();
  closeFiles();
  if (writers_ && collection_.walkObserver() == writers_.get()) {
    collection_.setWalkObserver(nullptr);
  }
  report_.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (completed && report_.problem.empty()) report_.status = TGeneticRunStatus::Completed;
  if (completed && !report_.problem.empty()) report_.status = TGeneticRunStatus::Failed;
  writeManifest();
  if (report_.status != TGeneticRunStatus::Completed) return;
  log_ << "... Done! (Duration of SimulateGeneticData function : " << report_.seconds << " sec.\n"
       << std::flush;
}

void TGeneticSeries::writeManifest() {
  if (!outputDirectoryMade_) return;
  TRunManifest manifest;
  manifest.record = inputs_.record;
  manifest.settingsDirectory = currentDirectory();
  manifest.settings = settingsAtStart_;
  manifest.inputs = inputDigests_;
  manifest.replicates = plan_.replicates;
  manifest.threadsAsked = inputs_.replicates.threads.value_or(0);
  const std::string name = manifestFileName(plan_.names.baseName);
  manifest.report = report_;
  manifest.report.manifest = name;
  std::ofstream file(nativePath(name), std::ios::binary | std::ios::trunc);
  if (file) file << manifestText(manifest);
  file.close();
  if (!file) {
    log_ << "ERROR: {SimulateGeneticData()} [cannot write the run manifest '" << name << "']"
         << std::endl;
    if (report_.status == TGeneticRunStatus::Completed) {
      report_.status = TGeneticRunStatus::Failed;
      report_.problem = "cannot write the run manifest " + name;
    }
    return;
  }
  report_.manifest = name;
}

void TGeneticSeries::closeFiles() {
  if (summaryStats_.isOpen() && !summaryStats_.close() && report_.problem.empty() && ready_) {
    report_.problem = "a file shared by the simulations cannot be written";
    log_ << "ERROR: {SimulateGeneticData()} [" << report_.problem << "]" << std::endl;
  }
  for (std::ofstream* file :
       {&results_, &projectList_, &batch_, &trueTrees_, &mutationTrees_, &temporal_}) {
    if (!file->is_open()) continue;
    file->close();
    if (!*file && report_.problem.empty() && ready_) {
      report_.problem = "a file shared by the simulations cannot be written";
      log_ << "ERROR: {SimulateGeneticData()} [" << report_.problem << "]" << std::endl;
    }
  }
}

}  // namespace orvantis

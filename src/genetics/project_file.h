#pragma once
// The project file of one genetic simulation, in the input format of the Tessarin
// population-genetics program: a header of comment lines with the simulation's parameters,
// then [Profile], [Data] with its [[Samples]], and [[Structure]].
//
// The writers take the stream they write to (the driver opens the file, or a buffer when
// simulations run on threads) and write every character themselves: line ends are "\n", and
// real numbers use the stream's default format with 6 significant digits whatever the
// stream's own settings (0.0005, 1e-05, 2.5e-07, 1000).
//
// Order: writeProjectHeader once; writeChromosomeHeader for each chromosome before its
// genealogy; after the last chromosome writeProfile, writeSamples and writeStructure.

#include <ostream>
#include <string>

namespace orvantis {

class TDemeCollection;
class TGeneticParameters;
class TMutationState;

// B, "_", the simulation number (from 1), ".arp".
std::string projectFileName(const std::string& baseName, int simulation);

// The header: the program line, the sample size of every deme of the initial deme list, the
// number of chromosomes.
void writeProjectHeader(std::ostream& file, const TDemeCollection& collection, int numChromosomes);

// The header of chromosome c (from 1) with its blocks as read last. For each block in order the
// current block parameters of `state` are set to the block's and its type is noted as a type of
// the run (the first block of the run gives the run's data type, any other type makes it mixed).
void writeChromosomeHeader(std::ostream& file, int chromosome, const TGeneticParameters& parameters,
                           TMutationState& state);

// Samples of the simulation: extraSamples + 1 for every deme of the initial deme list that holds
// sampled genes.
int countProfileSamples(const TDemeCollection& collection);

// [Profile] for `numSamples` samples, the file-level data type (MICROSAT, RFLP, DNA, STANDARD
// or SNP, which is declared as RFLP) and the genotypic flag; then the opening of [Data] and
// [[Samples]].
void writeProfile(std::ostream& file, int numSamples, int dataType, int genotypicData);

// One sample block per accepted sample whose deme holds genes, with the data strings of every
// chromosome of the simulation.
void writeSamples(std::ostream& file, const TDemeCollection& collection, int genotypicData);

// [[Structure]]: one group holding every sample written by writeSamples.
void writeStructure(std::ostream& file, const TDemeCollection& collection);

}  // namespace orvantis

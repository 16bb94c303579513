#pragma once
// The data type a run declares in its outputs (PAUP command files, project files, final
// results): the type of the first block of the first chromosome, or STANDARD as soon as any
// block of any chromosome has another type.
//
// The outputs of simulation 1 already need it (a run mixing DNA and microsatellites prints its
// states as integers from the start), so it is computed from every chromosome of the genetic
// parameters file before the first simulation.

#include <ostream>
#include <string>
#include <vector>

namespace orvantis {

class TMutationState;

// The run's data type from the type codes of its blocks, in file order; -1 when there is none.
int runDataType(const std::vector<int>& blockTypes);

// Reads chromosomes 0..numChromosomes - 1 of the genetic parameters file and returns the run's
// data type; stops reading at the first block of another type. The chromosomes' log lines are
// not repeated in `log`; a file that cannot be read logs its error there and gives -1.
int readRunDataType(const std::string& fileName, int numChromosomes, std::ostream& log);

// The same reading, noting every block type in the run's mutation state (after its
// startRun()), so that the state's file-level data type is the run's before the first
// simulation; the chromosome headers of the project files then note nothing new.
int noteRunDataType(TMutationState& state, const std::string& fileName, int numChromosomes,
                    std::ostream& log);

}  // namespace orvantis

#include "world/demography/cell_demography.h"

#include "world/landscape/cell.h"

namespace orvantis {

void reportNegativeSize(int size, const cell& where, int generation, std::ostream& log) {
  log << "[Error in State::add_BilanMigr_to_N()]: _N_POP<0 when add_BilanMigr_to_N, _N_POP= "
      << size << std::endl;
  log << "  at generation " << generation << " for cell " << where.row << ";" << where.column
      << std::endl;
}

int add_BilanMigr_to_N(State& state, const cell& where, int generation, std::ostream& log) {
  TSizeLimit unreported;
  return applyBalance(state, where, generation, log, unreported);
}

}  // namespace orvantis

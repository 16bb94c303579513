#include "settings/settings.h"
#include "world/database/state_db.h"

namespace orvantis {

bool StateDB::shortIntRequested(TSettings& settings) {
  const my_string key("AllowShortIntForNumberOfIndividuals");
  return settings.hasKey(key) && settings.intValue(key) == 1;
}

}  // namespace orvantis

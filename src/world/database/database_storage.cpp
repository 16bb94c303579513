#include "world/database/database_storage.h"

namespace orvantis {

const char* storageName(TDatabaseStorage storage) {
  switch (storage) {
    case TDatabaseStorage::Memory:
      return "memory";
    case TDatabaseStorage::Compressed:
      return "compressed";
    case TDatabaseStorage::Auto:
      break;
  }
  return "auto";
}

bool parseStorage(std::string_view text, TDatabaseStorage& storage) {
  for (const TDatabaseStorage s :
       {TDatabaseStorage::Memory, TDatabaseStorage::Compressed, TDatabaseStorage::Auto}) {
    if (text == storageName(s)) {
      storage = s;
      return true;
    }
  }
  return false;
}

}  // namespace orvantis

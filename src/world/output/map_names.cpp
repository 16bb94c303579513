#include "world/output/map_names.h"

#include <cstdio>

namespace orvantis {

namespace {

// Built by appending: chains of string additions trip a false -Wrestrict warning of GCC 12.
std::string generationSuffix(int populations, int population, int t) {
  std::string suffix;
  if (populations >= 2) {
    suffix += 'P';
    suffix += std::to_string(population + 1);
    suffix += '_';
  }
  suffix += 'g';
  suffix += std::to_string(t);
  return suffix;
}

std::string mapName(const char* directory, TMapKind kind, const std::string& suffix,
                    const char* extension) {
  std::string name = directory;
  name += '/';
  name += mapKindName(kind);
  name += '_';
  name += suffix;
  name += extension;
  return name;
}

}  // namespace

const char* mapKindName(TMapKind kind) {
  switch (kind) {
    case TMapKind::Density:
      return "density";
    case TMapKind::Migration:
      return "migration";
    case TMapKind::Occupation:
      return "occupation";
  }
  return "";
}

std::string asciiMapName(TMapKind kind, int populations, int population, int t) {
  return mapName(kAsciiDirectory, kind, generationSuffix(populations, population, t), ".asc");
}

std::string bitmapMapName(TMapKind kind, int populations, int population, int t) {
  return mapName(kBitmapDirectory, kind, generationSuffix(populations, population, t), ".bmp");
}

std::string occupationBitmapName(int populations, int t) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", t);
  std::string suffix = populations < 2 ? "g" : "P";
  suffix += digits;
  return mapName(kBitmapDirectory, TMapKind::Occupation, suffix, ".bmp");
}

}  // namespace orvantis

#pragma once
// File names of the demographic maps, relative to the output directory (normally the working
// directory): "ascii/density_g50.asc", "bmp/migration_P2_g50.bmp", "bmp/occupation_g050.bmp".

#include <string>

namespace orvantis {

enum class TMapKind { Density, Migration, Occupation };

inline constexpr const char* kAsciiDirectory = "ascii";
inline constexpr const char* kBitmapDirectory = "bmp";
inline constexpr const char* kLegendFileName = "bmp/legend.bmp";

// "density", "migration" or "occupation".
const char* mapKindName(TMapKind kind);

// "ascii/<kind>_g<t>.asc" with one population, "ascii/<kind>_P<p + 1>_g<t>.asc" with two.
std::string asciiMapName(TMapKind kind, int populations, int population, int t);
// "bmp/density_..." or "bmp/migration_..." as for the ASCII names, with ".bmp".
std::string bitmapMapName(TMapKind kind, int populations, int population, int t);
// "bmp/occupation_g" (one population) or "bmp/occupation_P" (two), t padded with zeros to at
// least three digits, ".bmp".
std::string occupationBitmapName(int populations, int t);

}  // namespace orvantis

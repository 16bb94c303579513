#pragma once
// The legend beside the result maps: the count scale with ten labels, or the occupation bands.
// Saved as "bmp/legend.bmp" on request.

#include <filesystem>

#include "foundation/run_context.h"
#include "world/output/colour_scale.h"
#include "world/output/image.h"
#include "world/output/map_names.h"

namespace orvantis {

inline constexpr int kLegendWidth = 50;
inline constexpr int kCountLegendHeight = 500;
inline constexpr int kOccupationLegendHeight = 300;

// Label j (0 to 9) of the count legend: (maximum + 1) * 10 * j div 100.
long long countLegendLabel(long long maximum, int j);

// Density or migration (maximum = the scale maximum M of the quantity at EndTime): 50 x 500
// pixels, one scale row per pixel row, labels at (3, 50 j). Occupation (maximum unused): 50 x 300
// pixels with the bands of one or two populations.
TRgbImage drawLegend(TMapKind kind, long long maximum, int populations, TColourStyle style);

// Saves the legend as "bmp/legend.bmp" under root, creating "bmp" (box "Cannot create bmp
// directory" on failure). Returns 1 or 0.
int saveLegend(TRunContext& context, const TRgbImage& legend,
               const std::filesystem::path& root = {});

}  // namespace orvantis

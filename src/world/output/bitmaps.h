#pragma once
// Bitmaps of the stored demography: density and arrivals on the count scale, occupation, and the
// lists of them written under "bmp" at generations 0, s, 2s, ... and EndTime.

#include <filesystem>

#include "foundation/run_context.h"
#include "world/output/drawing.h"
#include "world/output/image.h"
#include "world/output/map_names.h"
#include "world/output/map_source.h"

namespace orvantis {

// Scale maximum M of a list: the largest size (density) or land arrivals (migration) over all
// cells at EndTime.
long long scaleMaximum(const TDemographyMap& map, TMapKind kind, int population);

// The count of a cell drawn on a density or migration map.
long long mapCount(const TDemographyMap& map, TMapKind kind, int row, int col, int population,
                   int t);

// Density (kind Density) or arrivals (kind Migration) of the population at generation t on the
// count scale of maximum M; positions without a cell and cells under water are blue; the
// immigration arrows go on top when asked. Throws std::out_of_range for a generation outside
// 0..EndTime, std::length_error or std::bad_alloc when the picture cannot be made.
TRgbImage drawDensityBitmap(const TDemographyMap& map, TMapKind kind, int population, int t,
                            long long maximum, const TMapDrawing& drawing);

// Occupation of all populations at generation t; throws as drawDensityBitmap.
TRgbImage drawOccupationBitmap(const TDemographyMap& map, int t, const TMapDrawing& drawing);

// The density or migration list of one population. Creates "bmp" (box "Cannot create bmp
// directory" on failure; the list goes on and its files fail to save); a step below 1 draws
// nothing; a step that reaches EndTime is logged and draws nothing. A bitmap that cannot be made
// or saved is logged and the list goes on. Returns 1, or 0 when something could not be written.
int writeBitmapList(TRunContext& context, const TDemographyMap& map, TMapKind kind, int population,
                    int step, const TMapDrawing& drawing, const std::filesystem::path& root = {});

// The occupation list of all populations, with the same rules.
int writeOccupationList(TRunContext& context, const TDemographyMap& map, int step,
                        const TMapDrawing& drawing, const std::filesystem::path& root = {});

// Saves a picture, logging "Could not load or save the bitmap to file" on failure.
bool saveBitmap(TRunContext& context, const TRgbImage& image, const std::string& path);

}  // namespace orvantis

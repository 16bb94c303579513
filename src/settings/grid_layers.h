#pragma once
// Readers of the input maps that the settings name. Each opens its file, reads the header
// (establishing the world's geometry for the present vegetation map, matching it for the
// others) and stores one value per grid position into the input records, row 0 first.
// Each returns 1, or 0 after a log line and, for map contents, the reading box; files that
// cannot be opened are reported as each map's convention wants (see grid_layers.cpp).

#include "foundation/run_context.h"
#include "settings/cell_input.h"
#include "settings/settings.h"

namespace orvantis {

inline constexpr const char* kReadingMapsCaption = "ERROR: reading input maps";
inline constexpr const char* kReadingMapsBox =
    "A problem occurs with the reading of the input maps, please see winfriction.log for more "
    "details";
inline constexpr const char* kReadingMMapBox =
    "A problem occurs with the reading of the input maps m_MapFile, please see winfriction.log "
    "for more details";
inline constexpr const char* kReadingAdmixMapBox =
    "A problem occurs with the reading of the input maps AdmixMapFile, please see "
    "winfriction.log for more details";

// AltitudeTopoFile: altitude (real). Throws TException when the file cannot be opened.
int readAltitude(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);
// RoughnessTopoFile (read by name): roughness (real). Throws when the file cannot be opened.
int readRoughness(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);
// PresVegetationFile (required): present vegetation class; its header is read as the first.
int readPresentVegetation(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);
// LGMVegetationFile: vegetation class of the last glacial maximum.
int readLGMVegetation(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);
// HydroFile: sets the river flag where the value differs from the no-data value.
int readHydro(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);
// mMapFile: migration class. Throws when the file cannot be opened.
int readMMap(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);
// AdmixMapFile: admixture class. Throws when the file cannot be opened.
int readAdmixMap(TInputGrid& grid, TExtendedSettings& settings, TRunContext& context);

}  // namespace orvantis

#pragma once
// Choices of a run of genetic simulations that no settings key carries: the window's check
// boxes and edit fields of the coalescent page. The command line fills them from its options,
// the desktop program from its controls.

namespace orvantis {

enum class TGeneticBitmapBackground { Occupation, Density };
enum class TGeneticBitmapColours { Colour, Gray };

struct TGeneticOptions {
  bool coalescentTrees = false;      // "Coalecent trees" (CheckBoxCoalTree)
  bool spatialCoalescence = false;   // "Coalescent spatial distribution" (CheckBoxCoaldist)
  bool temporalCoalescence = false;  // "Coalescent temporal distribution" (CheckBoxTempCoal)
  bool geneticBitmaps = false;       // lineage snapshots (CheckBoxGeneticBitmap)
  int geneticBitmapStep = 100;       // generations between snapshots (EditEveryGeneration)
  TGeneticBitmapBackground background = TGeneticBitmapBackground::Occupation;
  TGeneticBitmapColours colours = TGeneticBitmapColours::Colour;
  int population = 0;       // population drawn by the snapshots (0 or 1)
  int coalescenceZoom = 4;  // pixels per cell of the coalescence maps
  int refreshRate = 10;     // steps between window refreshes (EditRefreshRateCoalescence)
};

}  // namespace orvantis

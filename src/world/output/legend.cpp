#include "world/output/legend.h"

#include <string>

#include "world/output/bitmaps.h"
#include "world/output/directory.h"

namespace orvantis {

namespace {

struct TBand {
  const char* label;
  TRgbColour colour;
};

TRgbImage bandLegend(const TBand* bands, int count) {
  TRgbImage image(kLegendWidth, kOccupationLegendHeight);
  const int height = kOccupationLegendHeight / count;
  for (int i = 0; i < count; ++i) {
    image.fillRect(0, i * height, kLegendWidth, (i + 1) * height, bands[i].colour);
    image.drawText(3, i * height, bands[i].label);
  }
  return image;
}

}  // namespace

long long countLegendLabel(long long maximum, int j) {
  return (maximum + 1) * 10 * j / 100;
}

TRgbImage drawLegend(TMapKind kind, long long maximum, int populations, TColourStyle style) {
  const bool colour = style == TColourStyle::Colour;
  if (kind == TMapKind::Occupation && populations < 2) {
    const TBand bands[] = {{"Empty", kWhite}, {"Colonized", kBlack}};
    return bandLegend(bands, 2);
  }
  if (kind == TMapKind::Occupation) {
    // The first population is red here, as in the viewer's own occupation map.
    const TBand bands[] = {{"Empty", kWhite},
                           {"P1", colour ? kRed : kSilver},
                           {"P2", colour ? kBlack : TRgbColour{128, 128, 128}},
                           {"Both", colour ? TRgbColour{0, 128, 0} : kBlack}};
    return bandLegend(bands, 4);
  }
  TRgbImage image(kLegendWidth, kCountLegendHeight);
  for (int row = 0; row < kCountLegendHeight; ++row) {
    image.drawLine(0, row, kLegendWidth - 1, row, countLegendRowColour(row, style));
  }
  for (int j = 0; j < 10; ++j) {
    image.drawText(3, 50 * j, std::to_string(countLegendLabel(maximum, j)));
  }
  return image;
}

int saveLegend(TRunContext& context, const TRgbImage& legend, const std::filesystem::path& root) {
  if (!ensureOutputDirectory(context.window, root, kBitmapDirectory,
                             "Cannot create bmp directory")) {
    return 0;
  }
  return saveBitmap(context, legend, outputPath(root, kLegendFileName)) ? 1 : 0;
}

}  // namespace orvantis

#include "cli/priors_keys.h"

#include <cctype>

#include "settings/settings.h"

namespace orvantis {

namespace {

constexpr const char* kByNameIntegerKeys[] = {
    "GenerateOutputMDensityBMP", "GenerateOutputOccupationBMP", "GenerateOutputMigrationASCII",
    "GenerateOutputMDensityASCII", "GenerateOutputOccupationASCII"};
constexpr const char* kByNameRealKeys[] = {"GammaShapeParamAllCells"};

// Calls f(key, kind) for every known key.
template <typename F>
void forEachKey(F f) {
  for (int i = 0; i < IntParam::Count; ++i) {
    const char* key = TExtendedSettings::intKey(i);
    if (key[0] != '\0') f(key, TKeyKind::Integer);
  }
  for (int i = 0; i < RealParam::Count; ++i) f(TExtendedSettings::realKey(i), TKeyKind::Real);
  for (int i = 0; i < FileParam::Count; ++i) f(TExtendedSettings::fileKey(i), TKeyKind::File);
  for (const char* key : kByNameIntegerKeys) f(key, TKeyKind::Integer);
  for (const char* key : kByNameRealKeys) f(key, TKeyKind::Real);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

TKeyKind settingsKeyKind(std::string_view key) {
  TKeyKind kind = TKeyKind::Unknown;
  forEachKey([&](std::string_view known, TKeyKind k) {
    if (known == key) kind = k;
  });
  return kind;
}

std::string similarSettingsKey(std::string_view key) {
  std::string similar;
  forEachKey([&](std::string_view known, TKeyKind) {
    if (similar.empty() && equalIgnoringCase(known, key)) similar = known;
  });
  return similar;
}

}  // namespace orvantis

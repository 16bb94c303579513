#include "world/database/demography_digest.h"

#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

#include "foundation/paths.h"

namespace orvantis {

namespace {

// The keys that shape the world or its demography, by table. Genetic keys (sample and
// parameter files, loci, simulations, TauValue ...) and output switches are left out: they may
// change between genetic runs over one demography. RealBPTime is left out too: building the
// world derives it from EndTime and GenerationTime.
constexpr int kIntKeys[] = {
    IntParam::EndTime,
    IntParam::GenerationTime,
    IntParam::ChosenDemographicModel,
    IntParam::DoublePopulationMode,
    IntParam::CompetitionModel,
    IntParam::DispersalModel,
    IntParam::DemoMigrStochasticity,
    IntParam::AllowBairdEfficientLattice,
    IntParam::AllowShortIntForNumberOfIndividuals,
    IntParam::DynamicVegetationChangeTime,
    IntParam::CoastAdaptationDuration,
    IntParam::FrictionChoice,
    IntParam::DispersalConstraint,
    IntParam::LDDModel,
    IntParam::LDD_max_treshold,
    IntParam::LDDMaxNumTry,
    IntParam::MigrDecrease,
};
// Every real key is demographic.
constexpr const char* kByNameRealKeys[] = {"GammaShapeParamAllCells"};
// Input files read as they are (maps, sources, series).
constexpr int kFileKeys[] = {
    FileParam::PopDensityFile,    FileParam::AltitudeTopoFile, FileParam::RoughnessTopoFile,
    FileParam::mMapFile,          FileParam::AdmixMapFile,     FileParam::PresVegetationFile,
    FileParam::LGMVegetationFile, FileParam::HydroFile,        FileParam::VostokFile,
    FileParam::SeaLevelFile,
};

std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// "sha256 <hex>" of a file's content, or "missing file" when it cannot be read.
std::string fileDigest(const my_string& name) {
  std::ifstream in(nativePath(name), std::ios::binary);
  if (!in) return "missing file";
  TSha256 hash;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    hash.update(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return "unreadable file";
  return "sha256 " + toHex(hash.finish());
}

void addSetting(std::ostringstream& out, const TExtendedSettings& settings, const char* key,
                const std::string& value) {
  out << key << " = " << (settings.hasKey(my_string(key)) ? value : std::string("absent")) << '\n';
}

}  // namespace

std::string demographyManifest(const TExtendedSettings& settings, const TDynamicTables& tables) {
  std::ostringstream out;
  for (const int i : kIntKeys) {
    addSetting(out, settings, TExtendedSettings::intKey(i), std::to_string(settings.rawInt(i)));
  }
  for (int i = 0; i < RealParam::Count; ++i) {
    addSetting(out, settings, TExtendedSettings::realKey(i), shortest(settings.rawReal(i)));
  }
  for (const char* key : kByNameRealKeys) {
    const auto found = settings.values().find(my_string(key));
    addSetting(
        out, settings, key,
        found == settings.values().end() ? std::string() : shortest(found->second.toDouble()));
  }
  out << "dynamic vegetation = " << (settings.dynamicVegetation() ? 1 : 0) << '\n';
  for (const int i : kFileKeys) {
    const char* key = TExtendedSettings::fileKey(i);
    const my_string name = settings.rawFile(i);
    out << key << " = "
        << (settings.hasKey(my_string(key)) && !name.isEmpty() ? fileDigest(name)
                                                               : std::string("absent"))
        << '\n';
  }
  // The conversion tables through their index files: the generation from which each table
  // holds and the table's content.
  for (int kind = 0; kind < TableKind::Count; ++kind) {
    const TDynamicTableIndex& index = tables[kind];
    const char* key = TExtendedSettings::fileKey(tableKindInfo(kind).fileParam);
    for (int e = 0; e < index.count(); ++e) {
      out << key << " table from generation " << index.entry(e).generation << " = "
          << fileDigest(index.entry(e).file) << '\n';
    }
  }
  return out.str();
}

std::string demographyManifest(const TExtendedSettings& settings) {
  TExtendedSettings copy(settings);  // reading the index files rewrites the tables' keys
  TDynamicTables tables;
  initDynamicTables(copy, tables);
  return demographyManifest(settings, tables);
}

std::vector<std::string> manifestDifferences(std::string_view saved, std::string_view current,
                                             std::size_t limit) {
  const auto items = [](std::string_view text) {
    std::map<std::string, std::string> found;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
      const auto at = line.find(" = ");
      if (at != std::string::npos) found[line.substr(0, at)] = line.substr(at + 3);
    }
    return found;
  };
  const std::map<std::string, std::string> before = items(saved);
  const std::map<std::string, std::string> now = items(current);
  std::vector<std::string> differences;
  const auto describe = [](const std::string& value) { return value.empty() ? "absent" : value; };
  auto note = [&](const std::string& name, const std::string& was, const std::string& is) {
    if (differences.size() >= limit) return;
    const bool file = was.rfind("sha256 ", 0) == 0 || is.rfind("sha256 ", 0) == 0;
    if (file && was != "absent" && is != "absent" && was.rfind("sha256 ", 0) == 0 &&
        is.rfind("sha256 ", 0) == 0) {
      differences.push_back(name +
                            ": the file's content differs from the one that built the "
                            "saved demography");
    } else {
      differences.push_back(name + ": " + describe(was) + " in the saved demography, " +
                            describe(is) + " in these settings");
    }
  };
  for (const auto& [name, value] : before) {
    const auto other = now.find(name);
    const std::string is = other == now.end() ? std::string() : other->second;
    if (is != value) note(name, value, is);
  }
  for (const auto& [name, value] : now) {
    if (before.find(name) == before.end()) note(name, std::string(), value);
  }
  return differences;
}

}  // namespace orvantis

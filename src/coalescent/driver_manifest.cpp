#include "coalescent/driver_manifest.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/exception.h"
#include "foundation/paths.h"
#include "settings/dynamic_tables.h"
#include "world/database/sha256.h"

namespace orvantis {

namespace {

// Length of the UTF-8 sequence starting at text[i] (1 to 4), 0 when it is not one.
std::size_t utf8Sequence(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

bool isUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8Sequence(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string hexKey(std::uint64_t key) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(key));
  return text;
}

const char* statusName(TGeneticRunStatus status) {
  switch (status) {
    case TGeneticRunStatus::Completed:
      return "completed";
    case TGeneticRunStatus::Failed:
      return "failed";
    case TGeneticRunStatus::NotRun:
      break;
  }
  return "not run";
}

void addInput(std::vector<TManifestInputFile>& inputs, const std::string& role,
              const std::string& file) {
  inputs.push_back({role, file, fileSha256(file)});
}

}  // namespace

std::string jsonString(const std::string& text) {
  const bool utf8 = isUtf8(text);
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || (!utf8 && byte >= 0x80)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string fileSha256(const std::string& path) {
  std::ifstream in(nativePath(path), std::ios::binary);
  if (path.empty() || !in) return {};
  TSha256 hash;
  static constexpr std::size_t kChunk = 1 << 16;
  std::string buffer(kChunk, '\0');
  while (in.read(buffer.data(), static_cast<std::streamsize>(kChunk)) || in.gcount() > 0) {
    hash.update(buffer.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return {};
  return toHex(hash.finish());
}

std::vector<TManifestInputFile> digestRunInputs(const TExtendedSettings& settings,
                                                const std::vector<TNamedInputFile>& extra,
                                                const std::string& startDirectory) {
  std::vector<TManifestInputFile> inputs;
  // The settings file is named as the command was given it, from where it started; the run
  // itself reads from the settings' directory.
  const std::string settingsFile = settings.settingsPath().str();
  const std::filesystem::path settingsPath(settingsFile);
  inputs.push_back(
      {"settings file", settingsFile,
       fileSha256(startDirectory.empty() || settingsPath.is_absolute()
                      ? settingsFile
                      : (std::filesystem::path(startDirectory) / settingsPath).string())});
  for (int i = 0; i < FileParam::Count; ++i) {
    const my_string name = settings.rawFile(i);
    if (!name.isEmpty()) addInput(inputs, TExtendedSettings::fileKey(i), name.str());
  }
  // The conversion tables in force from each generation, listed by the index files.
  try {
    TExtendedSettings copy(settings);  // reading the index files rewrites the tables' keys
    TDynamicTables tables;
    initDynamicTables(copy, tables);
    for (int kind = 0; kind < TableKind::Count; ++kind) {
      const TDynamicTableIndex& index = tables[kind];
      const std::string key = TExtendedSettings::fileKey(tableKindInfo(kind).fileParam);
      for (int e = 0; e < index.count(); ++e) {
        addInput(inputs,
                 key + " table from generation " + std::to_string(index.entry(e).generation),
                 index.entry(e).file.str());
      }
    }
  } catch (const TException&) {
    // An index file that cannot be read is listed above without digest.
  }
  for (const TNamedInputFile& file : extra) addInput(inputs, file.role, file.path);
  return inputs;
}

std::string manifestFileName(const std::string& baseName) {
  return baseName + "_manifest.json";
}

std::string manifestText(const TRunManifest& m) {
  const TGeneticRunReport& r = m.report;
  std::ostringstream out;
  out.precision(6);
  out << "{\n  \"program\": \"ORVANTIS 3.0\",\n  \"command\": [";
  for (std::size_t i = 0; i < m.record.commandLine.size(); ++i) {
    out << (i > 0 ? ", " : "") << jsonString(m.record.commandLine[i]);
  }
  out << "],\n"
      << "  \"startDirectory\": " << jsonString(m.record.startDirectory) << ",\n"
      << "  \"settingsDirectory\": " << jsonString(m.settingsDirectory) << ",\n"
      << "  \"seed\": " << r.seed << ",\n"
      << "  \"randomNumbers\": "
      << (m.replicates ? "\"one stream per simulation\"" : "\"one sequence\"") << ",\n"
      << "  \"threads\": {\"asked\": " << m.threadsAsked << ", \"used\": " << r.threads << "},\n"
      << "  \"simulations\": {\"total\": " << r.simulations << ", \"first\": " << r.first
      << ", \"last\": " << r.last << ", \"finished\": " << r.completed
      << ", \"failed\": " << r.failed << "},\n"
      << "  \"status\": \"" << statusName(r.status) << "\",\n"
      << "  \"problem\": " << jsonString(r.problem) << ",\n"
      << "  \"seconds\": " << r.seconds << ",\n"
      << "  \"outputs\": {\"directory\": " << jsonString(r.names.outputDirectory)
      << ", \"runName\": " << jsonString(r.names.runName) << "},\n"
      << "  \"settings\": {";
  for (std::size_t i = 0; i < m.settings.size(); ++i) {
    out << (i > 0 ? ",\n    " : "\n    ") << jsonString(m.settings[i].first) << ": "
        << jsonString(m.settings[i].second);
  }
  out << (m.settings.empty() ? "},\n" : "\n  },\n") << "  \"inputs\": [";
  for (std::size_t i = 0; i < m.inputs.size(); ++i) {
    const TManifestInputFile& f = m.inputs[i];
    out << (i > 0 ? ",\n    " : "\n    ") << "{\"role\": " << jsonString(f.role)
        << ", \"file\": " << jsonString(f.file)
        << ", \"sha256\": " << (f.sha256.empty() ? std::string("null") : jsonString(f.sha256))
        << "}";
  }
  out << (m.inputs.empty() ? "],\n" : "\n  ],\n") << "  \"perSimulation\": [";
  for (std::size_t i = 0; i < r.records.size(); ++i) {
    const TSimulationRecord& s = r.records[i];
    out << (i > 0 ? ",\n    " : "\n    ") << "{\"simulation\": " << s.simulation;
    if (m.replicates) out << ", \"stream\": \"" << hexKey(s.streamKey) << "\"";
    out << ", \"finished\": " << (s.finished ? "true" : "false") << ", \"seconds\": " << s.seconds
        << "}";
  }
  out << (r.records.empty() ? "],\n" : "\n  ],\n");
  const std::string note =
      m.replicates
          ? "replace S by the number of a simulation to run it alone with its own generator; "
            "the shared files (tree files, temporal coalescence file, final results, list of "
            "project files) then hold that simulation only, so run it in a copy of the study"
          : "the simulations draw from one sequence: simulation s follows from the seed and "
            "every simulation before it, so the command with --seed replays the whole run";
  out << "  \"replay\": {\"command\": " << jsonString(m.record.replayCommand)
      << ", \"note\": " << jsonString(note) << "}\n}\n";
  return out.str();
}

}  // namespace orvantis

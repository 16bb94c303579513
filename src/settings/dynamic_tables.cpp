#include "settings/dynamic_tables.h"

#include <fstream>
#include <string>

#include "foundation/exception.h"
#include "foundation/paths.h"

namespace orvantis {

namespace {

const TTableKindInfo kKinds[TableKind::Count] = {
    {FileParam::Veg2KFile, 0,
     "Unable to open the dynamic conversion table Veg2K file. Check its name in the settings file "
     "and retry.",
     "Error: the generations in the corresponding table for K are not in an increasing order!",
     "Problems with adding K values in vector"},
    {FileParam::Veg2FFile, 0,
     "Unable to open the dynamic conversion table Veg2F file. Check its name in the settings file "
     "and retry.",
     "Error: the generations in the corresponding table for F are not in an increasing order!",
     "Problems with adding F values in vector"},
    {FileParam::Veg2mFile, 0,
     "Unable to open the dynamic conversion table Veg2m file. Check its name in the settings file "
     "and retry.",
     "Error: the generations in the corresponding table for m are not in an increasing order!",
     "Problems with adding m values in vector"},
    {FileParam::Veg2AdmixFile, 0,
     "Unable to open the dynamic conversion table Veg2F file. Check its name in the settings file "
     "and retry.",
     "Error: the generations in the corresponding table for admixure are not in an increasing "
     "order!",
     "Problems with adding admixture values in vector"},
    {FileParam::Veg2K_P2_File, 1,
     "Unable to open the dynamic conversion table Veg2K file for POP2. Check its name in the "
     "settings file and retry.",
     "Error: the generations in the corresponding table for K of P2 are not in an increasing "
     "order!",
     "Problems with adding K values in vector P2"},
    {FileParam::Veg2F_P2_File, 1,
     "Unable to open the dynamic conversion table Veg2F file for P2. Check its name in the "
     "settings file and retry.",
     "Error: the generations in the corresponding table for F of P2 are not in an increasing "
     "order!",
     "Problems with adding F values in vector for P2"},
    {FileParam::Veg2m_P2_File, 1,
     "Unable to open the dynamic conversion table Veg2m_P2 file for P2. Check its name in the "
     "settings file and retry.",
     "Error: the generations in the corresponding table for m of P2 are not in an increasing "
     "order!",
     "Problems with adding m values in vector for P2"},
};

[[noreturn]] void refuse(int kind, const my_string& path, const std::string& reason) {
  const std::string message =
      std::string(kKinds[kind].readFailure) + ": the index file '" + path.str() + "' " + reason;
  throw TException(my_string(message), 2);
}

}  // namespace

const TTableKindInfo& tableKindInfo(int kind) {
  return kKinds[kind];
}

const my_string& TDynamicTableIndex::currentFile() const {
  static const my_string kNone;
  if (current_ < 0 || current_ >= count()) return kNone;
  return entries_[static_cast<std::size_t>(current_)].file;
}

void TDynamicTableIndex::clear() {
  entries_.clear();
  current_ = 0;
}

void TDynamicTableIndex::read(const my_string& path, int kind) {
  clear();
  std::ifstream in(nativePath(path));
  if (!in) throw TException(kKinds[kind].cannotOpen, 2);

  int count = 0;
  if (!(in >> count)) refuse(kind, path, "does not begin with the number of tables");
  if (count < 1) refuse(kind, path, "lists no table");
  if (count > kMaxEntries) {
    refuse(kind, path,
           "lists " + std::to_string(count) + " tables; at most " + std::to_string(kMaxEntries) +
               " are allowed");
  }

  std::vector<TDynamicTableEntry> entries(static_cast<std::size_t>(count));
  my_string rest;
  for (int i = 0; i < count; ++i) {
    TDynamicTableEntry& entry = entries[static_cast<std::size_t>(i)];
    if (!(in >> entry.generation)) {
      refuse(kind, path,
             "announces " + std::to_string(count) + " tables but the generation of table " +
                 std::to_string(i + 1) + " cannot be read");
    }
    entry.file.readToken(in);
    if (entry.file.isEmpty()) {
      refuse(kind, path, "gives no file name for table " + std::to_string(i + 1));
    }
    rest.readLine(in);
  }

  for (int i = 1; i < count; ++i) {
    if (entries[static_cast<std::size_t>(i)].generation <=
        entries[static_cast<std::size_t>(i - 1)].generation) {
      throw TException(kKinds[kind].notIncreasing, 2);
    }
  }
  entries_ = std::move(entries);
}

void TDynamicTables::clear() {
  for (TDynamicTableIndex& index : indexes_) index.clear();
}

void makeTableEntryCurrent(TExtendedSettings& settings, TDynamicTables& indexes, int kind,
                           int entry) {
  TDynamicTableIndex& index = indexes[kind];
  index.setCurrentEntry(entry);
  settings.setValue(TExtendedSettings::fileKey(kKinds[kind].fileParam), index.currentFile());
}

void initDynamicTables(TExtendedSettings& settings, TDynamicTables& indexes) {
  indexes.clear();
  const bool twoPopulations = settings.numberOfPopulations() == 2;
  for (int kind = 0; kind < TableKind::Count; ++kind) {
    const TTableKindInfo& info = kKinds[kind];
    if (info.population == 1 && !twoPopulations) continue;
    const bool required = kind == TableKind::K || kind == TableKind::K_P2;
    if (!required && !settings.hasKey(TExtendedSettings::fileKey(info.fileParam))) continue;
    const my_string path = settings.fileParameter(info.fileParam, required);
    if (path.isEmpty()) continue;
    indexes[kind].read(path, kind);
    makeTableEntryCurrent(settings, indexes, kind, 0);
  }
}

int readCurrentTable(int kind, const TDynamicTables& indexes, TConversionTables& tables,
                     std::ostream& log) {
  const int population = kKinds[kind].population;
  if (population >= tables.numberOfPopulations()) {
    log << "ERROR: {readCurrentTable()} [no conversion tables for population " << population + 1
        << "]" << std::endl;
    return 0;
  }
  const my_string& file = indexes[kind].currentFile();
  switch (kind) {
    case TableKind::K:
    case TableKind::K_P2:
      return readConversionTable_for_K(file, tables.K(population), log);
    case TableKind::F:
    case TableKind::F_P2:
      return readConversionTable_for_F(file, tables.F(population), log);
    case TableKind::m:
    case TableKind::m_P2:
      return readConversionTable_for_m(file, tables.m(population), log);
    case TableKind::Admix:
      return readConversionTable_for_Admix(file, tables.admixture(), log);
    default:
      return 0;
  }
}

int readAllTables(int numberOfPopulations, const TDynamicTables& indexes, TConversionTables& tables,
                  std::ostream& log) {
  bool ok = readCurrentTable(TableKind::K, indexes, tables, log) == 1;
  if (indexes[TableKind::F].inUse())
    ok = readCurrentTable(TableKind::F, indexes, tables, log) && ok;
  if (indexes[TableKind::m].inUse())
    ok = readCurrentTable(TableKind::m, indexes, tables, log) && ok;
  bool admixtureOk = true;
  if (indexes[TableKind::Admix].inUse()) {
    admixtureOk = readCurrentTable(TableKind::Admix, indexes, tables, log) == 1;
  }
  if (numberOfPopulations == 2) {
    ok = readCurrentTable(TableKind::K_P2, indexes, tables, log) && ok;
    if (indexes[TableKind::F_P2].inUse()) {
      ok = readCurrentTable(TableKind::F_P2, indexes, tables, log) && ok;
    }
    if (indexes[TableKind::m_P2].inUse()) {
      ok = readCurrentTable(TableKind::m_P2, indexes, tables, log) && ok;
    }
    ok = ok && admixtureOk;
  }
  return ok ? 1 : 0;
}

}  // namespace orvantis

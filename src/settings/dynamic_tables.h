#pragma once
// Time-dependent conversion tables. For each kind of table the settings name a small index file
// that lists, by generation, the table file in force from that generation on. Building the world
// reads the index files and the first listed tables; the simulation switches to the later
// entries as their generations are reached.

#include <ostream>
#include <vector>

#include "foundation/my_string.h"
#include "settings/conversion_tables.h"
#include "settings/settings.h"

namespace orvantis {

// The kinds of dynamic tables, in the order the simulation updates them.
struct TableKind {
  enum : int { K = 0, F, m, Admix, K_P2, F_P2, m_P2, Count };
};

// Facts about one kind: its settings key, population and failure messages.
struct TTableKindInfo {
  int fileParam;              // index in the settings' file table
  int population;             // 0 or 1
  const char* cannotOpen;     // the index file cannot be opened
  const char* notIncreasing;  // the generations do not increase
  const char* readFailure;    // any other failure while reading the index file
};

const TTableKindInfo& tableKindInfo(int kind);

struct TDynamicTableEntry {
  int generation = 0;
  my_string file;
};

// The entries of one index file and the entry in force.
class TDynamicTableIndex {
 public:
  static constexpr int kMaxEntries = 200;

  // Reads and checks an index file; throws TException with the kind's messages.
  void read(const my_string& path, int kind);
  void clear();

  // True when the settings name an index file for this kind and it has been read.
  bool inUse() const { return !entries_.empty(); }
  int count() const { return static_cast<int>(entries_.size()); }
  const TDynamicTableEntry& entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
  int currentEntry() const { return current_; }
  // File name of the table in force; empty when the kind is not in use.
  const my_string& currentFile() const;
  void setCurrentEntry(int i) { current_ = i; }

 private:
  std::vector<TDynamicTableEntry> entries_;
  int current_ = 0;
};

// The index lists of every kind.
class TDynamicTables {
 public:
  TDynamicTableIndex& operator[](int kind) { return indexes_[kind]; }
  const TDynamicTableIndex& operator[](int kind) const { return indexes_[kind]; }
  void clear();

 private:
  TDynamicTableIndex indexes_[TableKind::Count];
};

// Reads the index files named in the settings (the K index of the first population always; the
// second population's only with two populations, its K index then required; the others when
// their keys are present) and makes entry 0 of each current. Throws TException.
void initDynamicTables(TExtendedSettings& settings, TDynamicTables& indexes);

// Makes an entry of a kind the table in force, also as the settings value of the kind's key.
void makeTableEntryCurrent(TExtendedSettings& settings, TDynamicTables& indexes, int kind,
                           int entry);

// Reads the current table file of one kind into its table; 1 on success, 0 on failure.
[[nodiscard]] int readCurrentTable(int kind, const TDynamicTables& indexes,
                                   TConversionTables& tables, std::ostream& log);

// Reads every current table: K of the first population always, its F, m and admixture tables
// when in use; with two populations also K of the second population always and its F and m when
// in use. 1 when every read succeeded (with one population the admixture result does not count).
[[nodiscard]] int readAllTables(int numberOfPopulations, const TDynamicTables& indexes,
                                TConversionTables& tables, std::ostream& log);

}  // namespace orvantis

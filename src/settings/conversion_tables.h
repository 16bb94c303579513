#pragma once
// Conversion tables: each turns a class number of a map (vegetation, migration or admixture
// class) into the value the simulation needs. A table holds one entry per class 0..10000;
// entries that no table line sets keep the table's initial value (-1).

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

#include "foundation/my_string.h"

namespace orvantis {

inline constexpr int kMaxClassNumber = 10000;
inline constexpr int kClassCount = kMaxClassNumber + 1;

// Direction order of the four migration rates of a migration class.
struct MigrationDirection {
  enum : int { North = 0, East, South, West, Count };
};

using TMigrationRates = std::array<float, MigrationDirection::Count>;
using TAdmixtureRates = std::array<float, 2>;

// A table indexed by class number: every lookup is an array index.
template <class Entry>
class TClassTable {
 public:
  explicit TClassTable(const Entry& initial)
      : initial_(initial), entries_(static_cast<std::size_t>(kClassCount), initial) {}

  static bool validClass(int classNumber) {
    return classNumber >= 0 && classNumber <= kMaxClassNumber;
  }

  // Entry of a class. A class outside 0..10000 (a no-data value, a stray map value) has no
  // line in any table and reads as the initial value, like an unlisted class.
  const Entry& operator[](int classNumber) const {
    return validClass(classNumber) ? entries_[static_cast<std::size_t>(classNumber)] : initial_;
  }
  // Stores an entry; the caller checks the class with validClass.
  void set(int classNumber, const Entry& value) {
    entries_[static_cast<std::size_t>(classNumber)] = value;
  }
  void reset() { std::fill(entries_.begin(), entries_.end(), initial_); }
  const Entry& initialValue() const { return initial_; }

 private:
  Entry initial_;
  std::vector<Entry> entries_;
};

class TKTable : public TClassTable<int> {
 public:
  TKTable() : TClassTable<int>(-1) {}
};

class TFTable : public TClassTable<float> {
 public:
  TFTable() : TClassTable<float>(-1.0f) {}
};

class TMigrationTable : public TClassTable<TMigrationRates> {
 public:
  TMigrationTable() : TClassTable<TMigrationRates>({-1.0f, -1.0f, -1.0f, -1.0f}) {}
};

class TAdmixtureTable : public TClassTable<TAdmixtureRates> {
 public:
  TAdmixtureTable() : TClassTable<TAdmixtureRates>({-1.0f, -1.0f}) {}
};

// The K, F and migration tables of one population.
struct TPopulationTables {
  TKTable K;
  TFTable F;
  TMigrationTable m;
};

// Every table of a world: one K, F and m table per population and one admixture table.
class TConversionTables {
 public:
  explicit TConversionTables(int numberOfPopulations = 1)
      : populations_(static_cast<std::size_t>(std::max(1, numberOfPopulations))) {}

  int numberOfPopulations() const { return static_cast<int>(populations_.size()); }
  TPopulationTables& population(int p) { return populations_[static_cast<std::size_t>(p)]; }
  const TPopulationTables& population(int p) const {
    return populations_[static_cast<std::size_t>(p)];
  }
  TKTable& K(int p) { return population(p).K; }
  const TKTable& K(int p) const { return population(p).K; }
  TFTable& F(int p) { return population(p).F; }
  const TFTable& F(int p) const { return population(p).F; }
  TMigrationTable& m(int p) { return population(p).m; }
  const TMigrationTable& m(int p) const { return population(p).m; }
  TAdmixtureTable& admixture() { return admixture_; }
  const TAdmixtureTable& admixture() const { return admixture_; }

 private:
  std::vector<TPopulationTables> populations_;
  TAdmixtureTable admixture_;
};

// Readers of one table file. Each fills the given table (entries absent from the file keep their
// value), logs its problems and returns 1 on success, 0 on failure.
//
// K: each line is a class number and a value, optionally followed by a label; a line with a
// class number and nothing after it ends the table. A class outside 0..10000 fails the read.
[[nodiscard]] int readConversionTable_for_K(const my_string& file, TKTable& table,
                                            std::ostream& log);
// F, m and admixture: each line is a class number, one, four or two reals, and a label; a line
// without a label ends the table without being stored. A class outside 0..10000 is skipped with
// a warning.
[[nodiscard]] int readConversionTable_for_F(const my_string& file, TFTable& table,
                                            std::ostream& log);
[[nodiscard]] int readConversionTable_for_m(const my_string& file, TMigrationTable& table,
                                            std::ostream& log);
[[nodiscard]] int readConversionTable_for_Admix(const my_string& file, TAdmixtureTable& table,
                                                std::ostream& log);

}  // namespace orvantis

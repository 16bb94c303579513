#include "settings/conversion_tables.h"

#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>

#include "foundation/paths.h"
#include "settings/text_position.h"

namespace orvantis {

namespace {

// True when an integer extraction failed because the number does not fit (the stream then
// holds the largest or smallest int), as opposed to text that is not a number.
bool overflowed(int value) {
  return value == std::numeric_limits<int>::max() || value == std::numeric_limits<int>::min();
}

// After a failed extraction: warns when the table stops before the end of the file, so that
// lines lost behind a damaged one do not go unnoticed.
void noteEarlyStop(const char* reader, const my_string& file, std::istream& in, std::ostream& log) {
  in.clear();
  in >> std::ws;
  if (in.peek() == std::char_traits<char>::eof()) return;
  log << "ImportExportUtils::" << reader << "() : WARNING: the reading of '" << file
      << "' stops at line " << lineOfPosition(file, in.tellg())
      << ", which does not begin with a class number"
      << " followed by its values" << std::endl;
}

void noteEmptyTable(const char* reader, const my_string& file, int stored, std::ostream& log) {
  if (stored > 0) return;
  log << "ImportExportUtils::" << reader << "() : WARNING: no class has been read from '" << file
      << "'" << std::endl;
}

// Reads the class number at the start of a line and notes where the line starts. Returns false
// when the table ends here; a number too large for an int reads as a class out of range.
bool readClassNumber(std::istream& in, int& classNumber, std::streamoff& lineStart) {
  classNumber = 0;
  in >> std::ws;
  lineStart = in.good() ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (in >> classNumber) return true;
  if (!overflowed(classNumber)) return false;
  classNumber = classNumber > 0 ? kMaxClassNumber + 1 : -1;
  in.clear();
  return true;
}

// F, m and admixture tables: a class number, Count reals and a label on each line.
template <class Table, int Count, class Store>
int readRealsTable(const char* reader, const my_string& file, Table& table, std::ostream& log,
                   Store store) {
  std::ifstream in(nativePath(file));
  if (!in) {
    log << "ImportExportUtils::" << reader << "() : Cannot read one of the conversion Tables"
        << std::endl;
    log << "ImportExportUtils::" << reader << "() : file '" << file << "'" << std::endl;
    return 0;
  }
  int stored = 0;
  my_string rest;
  for (;;) {
    int classNumber = 0;
    std::streamoff lineStart = -1;
    if (!readClassNumber(in, classNumber, lineStart)) {
      noteEarlyStop(reader, file, in, log);
      break;
    }
    float values[Count] = {};
    bool read = true;
    for (int i = 0; i < Count && read; ++i) read = static_cast<bool>(in >> values[i]);
    if (!read) {
      noteEarlyStop(reader, file, in, log);
      break;
    }
    rest.readLine(in);
    if (rest.isEmpty()) break;  // a line without a label ends the table
    if (classNumber > kMaxClassNumber) {
      log << "ImportExportUtils::" << reader
          << "() : WARNING: one of the vegetation ID is greater than " << kMaxClassNumber
          << std::endl;
      continue;
    }
    if (classNumber < 0) {
      log << "ImportExportUtils::" << reader << "() : WARNING: the vegetation ID " << classNumber
          << " on line " << lineOfPosition(file, lineStart) << " of '" << file
          << "' is negative; the line is skipped" << std::endl;
      continue;
    }
    store(table, classNumber, values);
    ++stored;
  }
  noteEmptyTable(reader, file, stored, log);
  return 1;
}

}  // namespace

int readConversionTable_for_K(const my_string& file, TKTable& table, std::ostream& log) {
  static constexpr const char* kReader = "readConversionTable_for_K";
  std::ifstream in(nativePath(file));
  if (!in) {
    log << "ImportExportUtils::readConversionTable_for_K() : Cannot read the conversion Table for K"
        << std::endl;
    log << "ImportExportUtils::readConversionTable_for_K() : file '" << file << "'" << std::endl;
    return 0;
  }
  int stored = 0;
  my_string rest;
  for (;;) {
    int classNumber = 0;
    std::streamoff lineStart = -1;
    if (!readClassNumber(in, classNumber, lineStart)) {
      noteEarlyStop(kReader, file, in, log);
      break;
    }
    rest.readLine(in);
    if (rest.isEmpty()) break;  // a class number alone ends the table
    // The value is the first word; a tab glued to it starts the label.
    my_string word = rest.before(' ');
    if (word.containsChar('\t')) word = word.before('\t');
    word.removeBlanks();
    const long value = std::strtol(word.c_str(), nullptr, 10);
    if (!TKTable::validClass(classNumber)) {
      if (classNumber > kMaxClassNumber) {
        log << "ImportExportUtils::readConversionTable_for_K() : ERROR: one of the vegetation ID "
               "is greater than "
            << kMaxClassNumber << std::endl;
      } else {
        log << "ImportExportUtils::readConversionTable_for_K() : ERROR: one of the vegetation ID "
               "is negative"
            << std::endl;
      }
      log << "ImportExportUtils::readConversionTable_for_K() : Problems with adding K values in "
             "vector"
          << std::endl;
      log << "ImportExportUtils::readConversionTable_for_K() : refused line "
          << lineOfPosition(file, lineStart) << " of '" << file << "'" << std::endl;
      return 0;
    }
    const long clamped =
        std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    table.set(classNumber, static_cast<int>(clamped));
    ++stored;
  }
  noteEmptyTable(kReader, file, stored, log);
  return 1;
}

int readConversionTable_for_F(const my_string& file, TFTable& table, std::ostream& log) {
  return readRealsTable<TFTable, 1>("readConversionTable_for_F", file, table, log,
                                    [](TFTable& t, int c, const float* v) { t.set(c, v[0]); });
}

int readConversionTable_for_m(const my_string& file, TMigrationTable& table, std::ostream& log) {
  return readRealsTable<TMigrationTable, MigrationDirection::Count>(
      "readConversionTable_for_m", file, table, log, [](TMigrationTable& t, int c, const float* v) {
        t.set(c, {v[0], v[1], v[2], v[3]});
      });
}

int readConversionTable_for_Admix(const my_string& file, TAdmixtureTable& table,
                                  std::ostream& log) {
  return readRealsTable<TAdmixtureTable, 2>("readConversionTable_for_Admix", file, table, log,
                                            [](TAdmixtureTable& t, int c, const float* v) {
                                              t.set(c, {v[0], v[1]});
                                            });
}

}  // namespace orvantis

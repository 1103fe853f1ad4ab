#include "tools/mkdb/source.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/utf8.h"
#include "tools/mkdb/utf16.h"

namespace ostrolen::mkdb {
namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

// Lines are checked whole before they are split, so every part converts.
std::u16string Wide(std::string_view text) { return ToUcs2(text).value_or(std::u16string()); }

// Access refuses these in object names.
constexpr std::string_view kNameForbidden = ".!`[]";

std::string CheckName(std::string_view name, int line, std::string_view what) {
  const std::string quoted = std::string(what) + " name \"" + std::string(name) + "\"";
  if (name.empty()) throw InputError(line, std::string(what) + " name is empty");
  const std::u16string wide = Wide(name);
  if (wide.size() > static_cast<std::size_t>(kMaxNameLength)) {
    throw InputError(line, quoted + " is longer than " + std::to_string(kMaxNameLength) + " characters");
  }
  if (wide.front() == u' ') throw InputError(line, quoted + " starts with a blank");
  for (const char16_t c : wide) {
    if (c < 0x20 || c == 0x7F) throw InputError(line, quoted + " holds a control character");
    if (c < 0x80 && kNameForbidden.find(static_cast<char>(c)) != std::string_view::npos) {
      throw InputError(line, quoted + " holds one of the characters " + std::string(kNameForbidden));
    }
  }
  return std::string(name);
}

Column ParseColumn(std::string_view name, std::string_view type, int line) {
  Column column;
  column.name = CheckName(name, line, "column");
  if (type.starts_with("calculated ")) {
    type.remove_prefix(11);
    column.calculated = true;
    if (type != "long" && type != "text" && !type.starts_with("text(")) {
      throw InputError(line, "a calculated column is long, text or text(N), not \"" + std::string(type) + "\"");
    }
  }
  if (type == "guid") {
    column.kind = ColumnKind::Guid;
    column.size = 0;
  } else if (type == "extdate") {
    column.kind = ColumnKind::ExtendedDate;
    column.size = 0;
  } else if (type == "complex") {
    column.kind = ColumnKind::Complex;
    column.size = 0;
  } else if (type == "text") {
    column.kind = ColumnKind::Text;
    column.size = 255;
  } else if (type == "long") {
    column.kind = ColumnKind::Long;
    column.size = 0;
  } else if (type == "bool") {
    column.kind = ColumnKind::Bool;
    column.size = 0;
  } else if (type.starts_with("text(") && type.ends_with(")") && type.size() > 6) {
    const std::string_view digits = type.substr(5, type.size() - 6);
    int size = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '-' || size < 1 ||
        size > 255) {
      throw InputError(line, "text size in \"" + std::string(type) + "\" must be a number 1..255");
    }
    column.kind = ColumnKind::Text;
    column.size = size;
  } else {
    throw InputError(line, "unknown column type \"" + std::string(type) +
                               "\" (expected text, text(N), long, bool, guid, extdate, complex or calculated TYPE)");
  }
  return column;
}

std::string ValueLabel(const Column& column, std::size_t index) {
  return "value " + std::to_string(index + 1) + " (column " + column.name + ")";
}

Value ParseText(std::string_view field, const Column& column, std::size_t index, int line) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      text.push_back(field[i]);
      continue;
    }
    const char next = i + 1 < field.size() ? field[i + 1] : '\0';
    switch (next) {
      case 't': text.push_back('\t'); break;
      case 'n': text.push_back('\n'); break;
      case '\\': text.push_back('\\'); break;
      default:
        throw InputError(line, ValueLabel(column, index) + ": unknown escape \"\\" +
                                   (next ? std::string(1, next) : std::string()) +
                                   "\" (use \\t, \\n, \\\\, or \\N alone for null)");
    }
    ++i;
  }
  std::u16string wide = Wide(text);
  // libmdb takes a text that starts with FF FE for compressed Unicode, so
  // such a text would be read back as something else.
  if (!wide.empty() && wide.front() == u'\uFEFF') {
    throw InputError(line, ValueLabel(column, index) + ": a text cannot start with U+FEFF");
  }
  if (wide.find(u'\0') != std::u16string::npos) {
    throw InputError(line, ValueLabel(column, index) + ": a text cannot hold the character U+0000");
  }
  if (wide.size() > static_cast<std::size_t>(column.size)) {
    throw InputError(line, ValueLabel(column, index) + ": text of " + std::to_string(wide.size()) +
                               " characters is longer than text(" + std::to_string(column.size) + ")");
  }
  return wide;
}

Value ParseLong(std::string_view field, const Column& column, std::size_t index, int line) {
  std::string_view digits = field;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  std::int32_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  const bool signed_twice = field.starts_with('+') && digits.starts_with('-');
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || signed_twice) {
    throw InputError(line, ValueLabel(column, index) + ": \"" + std::string(field) +
                               "\" is not a Long Integer (decimal, -2147483648..2147483647)");
  }
  return number;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "{6A27398E-A8BC-C44A-891E-49911D8438DD}" as Access writes it: the first
// three groups are kept little-endian.
Value ParseGuid(std::string_view field, const Column& column, std::size_t index, int line) {
  const auto fail = [&] {
    return InputError(line, ValueLabel(column, index) + ": \"" + std::string(field) +
                                "\" is not a replication id ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
  };
  if (field.size() != 38 || field.front() != '{' || field.back() != '}') throw fail();
  std::u16string bytes;
  for (std::size_t i = 1; i < 37; ++i) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (field[i] != '-') throw fail();
      continue;
    }
    const int high = HexDigit(field[i]);
    const int low = HexDigit(field[++i]);
    if (high < 0 || low < 0) throw fail();
    bytes.push_back(static_cast<char16_t>(high * 16 + low));
  }
  std::swap(bytes[0], bytes[3]);
  std::swap(bytes[1], bytes[2]);
  std::swap(bytes[4], bytes[5]);
  std::swap(bytes[6], bytes[7]);
  return bytes;
}

// "2021-06-14 22:45:12.3456789" (the fraction may be left out, or have
// fewer digits) as the engine keeps it: days since 1 January of year 1,
// the second of the day and the fraction in 100 ns, and the precision.
Value ParseExtendedDate(std::string_view field, const Column& column, std::size_t index, int line) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char fraction[8] = {};
  const std::string text(field);
  int used = 0;
  const int got =
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used);
  std::string rest = got == 6 ? text.substr(static_cast<std::size_t>(used)) : std::string();
  bool fraction_ok = rest.empty() || (rest.size() >= 2 && rest.size() <= 8 && rest[0] == '.');
  for (std::size_t i = 1; fraction_ok && i < rest.size(); ++i) fraction_ok = rest[i] >= '0' && rest[i] <= '9';
  if (got != 6 || !fraction_ok || year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59) {
    throw InputError(line, ValueLabel(column, index) + ": \"" + text +
                               "\" is not an extended date/time (YYYY-MM-DD hh:mm:ss[.fffffff])");
  }
  for (std::size_t i = 0; i < 7; ++i) fraction[i] = i + 1 < rest.size() ? rest[i + 1] : '0';
  // Days since 0001-01-01 in the proleptic Gregorian calendar.
  const long long y = month <= 2 ? year - 1 : year;
  const long long era = y / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097 + doe - 306;
  char out[64];
  std::snprintf(out, sizeof out, "%019lld:%012lld%s:7", days,
                static_cast<long long>(hour * 3600 + minute * 60 + second), fraction);
  std::u16string bytes(out, out + std::strlen(out));
  bytes.push_back(u'\0');
  return bytes;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 0x20) : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

Value ParseBool(std::string_view field, const Column& column, std::size_t index, int line) {
  if (field == "1" || EqualsIgnoringCase(field, "true")) return true;
  if (field == "0" || EqualsIgnoringCase(field, "false")) return false;
  throw InputError(
      line, ValueLabel(column, index) + ": \"" + std::string(field) + "\" is not a Yes/No value (0, 1, true or false)");
}

Value ParseValue(std::string_view field, const Column& column, std::size_t index, int line) {
  if (field == "\\N") {
    // Jet keeps a Yes/No value in the null mask itself, so it has no null.
    if (column.kind == ColumnKind::Bool) {
      throw InputError(line, ValueLabel(column, index) + ": a Yes/No value cannot be null");
    }
    return std::monostate{};
  }
  switch (column.kind) {
    case ColumnKind::Text: return ParseText(field, column, index, line);
    case ColumnKind::Long: return ParseLong(field, column, index, line);
    case ColumnKind::Bool: return ParseBool(field, column, index, line);
    case ColumnKind::Guid: return ParseGuid(field, column, index, line);
    case ColumnKind::ExtendedDate: return ParseExtendedDate(field, column, index, line);
    case ColumnKind::Complex: return ParseLong(field, column, index, line);
  }
  return std::monostate{};
}

bool IsBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

std::size_t LiveColumns(const Table& table) {
  std::size_t live = 0;
  for (const Column& column : table.columns) live += column.deleted ? 0 : 1;
  return live;
}

void CheckHasColumns(const Database& db) {
  if (!db.tables.empty() && LiveColumns(db.tables.back()) == 0) {
    throw InputError(db.tables.back().line, "table " + db.tables.back().name + " has no columns");
  }
}

}  // namespace

Database ParseDescription(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Database db;
  int number = 0;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with('#') || IsBlank(line)) continue;
    if (!ToUcs2(line)) {
      throw InputError(number,
                       "line is not valid UTF-8 or holds a character beyond U+FFFF "
                       "(Jet 4 keeps text as UCS-2)");
    }

    const std::vector<std::string_view> fields = SplitTabs(line);
    const std::string_view keyword = fields.front();
    if (keyword == "table") {
      if (fields.size() != 2) throw InputError(number, "expected: table<TAB>NAME");
      CheckHasColumns(db);
      const std::string name = CheckName(fields[1], number, "table");
      if (name.size() >= 4 && SameName(name.substr(0, 4), "MSys")) {
        throw InputError(number, "table names starting with MSys are kept for the system tables");
      }
      for (const Table& other : db.tables) {
        if (SameName(other.name, name)) {
          throw InputError(number, "table " + name + " is already defined on line " + std::to_string(other.line));
        }
      }
      db.tables.push_back(Table{name, number, {}, {}});
    } else if (keyword == "column") {
      if (fields.size() != 3) throw InputError(number, "expected: column<TAB>NAME<TAB>TYPE");
      if (db.tables.empty()) throw InputError(number, "column before any table");
      Table& table = db.tables.back();
      if (!table.rows.empty()) {
        throw InputError(number, "columns of table " + table.name + " must come before its rows");
      }
      Column column = ParseColumn(fields[1], fields[2], number);
      for (const Column& other : table.columns) {
        if (!other.deleted && SameName(other.name, column.name)) {
          throw InputError(number, "table " + table.name + " already has a column " + other.name);
        }
      }
      if (table.columns.size() >= static_cast<std::size_t>(kMaxColumns)) {
        throw InputError(number, "table " + table.name + " has more than " + std::to_string(kMaxColumns) + " columns");
      }
      table.columns.push_back(std::move(column));
    } else if (keyword == "deleted") {
      // A column deleted after rows were written: it keeps its number, and
      // its place in the rows, which hold it null.
      if (fields.size() != 2) throw InputError(number, "expected: deleted<TAB>TYPE");
      if (db.tables.empty()) throw InputError(number, "deleted column before any table");
      Table& table = db.tables.back();
      if (!table.rows.empty()) {
        throw InputError(number, "columns of table " + table.name + " must come before its rows");
      }
      Column column = ParseColumn("deleted", fields[1], number);
      column.name.clear();
      column.deleted = true;
      if (table.columns.size() >= static_cast<std::size_t>(kMaxColumns)) {
        throw InputError(number, "table " + table.name + " has more than " + std::to_string(kMaxColumns) + " columns");
      }
      table.columns.push_back(std::move(column));
    } else if (keyword == "index") {
      if (fields.size() != 2) throw InputError(number, "expected: index<TAB>COLUMN");
      if (db.tables.empty()) throw InputError(number, "index before any table");
      Table& table = db.tables.back();
      if (table.index >= 0) throw InputError(number, "table " + table.name + " has an index already");
      for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (!table.columns[i].deleted && SameName(table.columns[i].name, fields[1])) table.index = static_cast<int>(i);
      }
      if (table.index < 0) {
        throw InputError(number, "table " + table.name + " has no column " + std::string(fields[1]));
      }
    } else if (keyword == "row" || keyword == "moved") {
      if (db.tables.empty()) throw InputError(number, "row before any table");
      Table& table = db.tables.back();
      if (LiveColumns(table) == 0) throw InputError(number, "row before any column of table " + table.name);
      const std::size_t count = fields.size() - 1;
      if (count != LiveColumns(table)) {
        throw InputError(number, "row has " + std::to_string(count) + " values, table " + table.name + " has " +
                                     std::to_string(LiveColumns(table)) + " columns");
      }
      Row row{number, {}, keyword == "moved"};
      row.values.reserve(table.columns.size());
      std::size_t field = 1;
      for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].deleted) {
          row.values.emplace_back(std::monostate{});
          continue;
        }
        row.values.push_back(ParseValue(fields[field], table.columns[i], field - 1, number));
        ++field;
      }
      table.rows.push_back(std::move(row));
    } else {
      throw InputError(number, "unknown line kind \"" + std::string(keyword) +
                                   "\" (expected table, column, deleted, index, row or moved)");
    }
  }
  CheckHasColumns(db);
  return db;
}

}  // namespace ostrolen::mkdb

// The tables that ostrolen-mkdb writes: columns, rows and the values in them,
// as read from the plain-text description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace ostrolen::mkdb {

// Guid: a replication id; ExtendedDate: Access 2019's extended date/time;
// Complex: a complex column (attachments, multiple values), which keeps a
// number in the table.
enum class ColumnKind { Text, Long, Bool, Guid, ExtendedDate, Complex };

struct Column {
  std::string name;  // UTF-8, case kept; empty for a deleted column
  ColumnKind kind = ColumnKind::Text;
  int size = 255;           // characters, for text
  bool calculated = false;  // keeps the value an expression gave (Access 2010)
  bool deleted = false;     // deleted from the table: its rows still hold it, null
};

// A null (monostate), a text (UTF-16), a Long Integer or a Yes/No value.
// A replication id is its 16 bytes, an extended date/time its 42 as a text
// of one byte a character.
using Value = std::variant<std::monostate, std::u16string, std::int32_t, bool>;

struct Row {
  int line = 0;               // where the row stands in the description
  std::vector<Value> values;  // one a column, a deleted one's null
  bool moved = false;         // an update moved it to another page
};

struct Table {
  std::string name;  // UTF-8, case kept
  int line = 0;
  std::vector<Column> columns;  // in column-number order, deleted ones too
  std::vector<Row> rows;
  int index = -1;  // the column an index is on, or -1
};

struct Database {
  std::vector<Table> tables;
};

// A fault in the description, with its 1-based line number.
class InputError : public std::runtime_error {
 public:
  InputError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int line() const noexcept { return line_; }

 private:
  int line_;
};

}  // namespace ostrolen::mkdb

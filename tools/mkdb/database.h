// The tables that ostrolen-mkdb writes: columns, rows and the values in them,
// as read from the plain-text description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace ostrolen::mkdb {

enum class ColumnKind { Text, Long, Bool };

struct Column {
  std::string name;  // UTF-8, case kept
  ColumnKind kind = ColumnKind::Text;
  int size = 255;  // characters, for text
};

// A null (monostate), a text (UTF-16), a Long Integer or a Yes/No value.
using Value = std::variant<std::monostate, std::u16string, std::int32_t, bool>;

struct Row {
  int line = 0;  // where the row stands in the description
  std::vector<Value> values;
};

struct Table {
  std::string name;  // UTF-8, case kept
  int line = 0;
  std::vector<Column> columns;
  std::vector<Row> rows;
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

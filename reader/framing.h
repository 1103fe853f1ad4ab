// The pages of an Access file as the engine writes them, looked at before
// either Access reader (libmdb in the reader program, the worker's reader in
// the browser) reads a table. The two readers part ways on what the engine
// never writes: a page the file lost, a row that runs outside its page, a
// value whose offsets or long-value pointer lead nowhere. One skips such a
// row or reads a little garbage, the other stops; so a table, or the whole
// file, that holds one is damaged for both before either reads it, and the
// same file gets the same message in every edition.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/access_file.h"
#include "reader/runner.h"

namespace ostrolen {

class FileFraming {
 public:
  FileFraming(RowSource& source, const AccessHeader& header);

  // The catalog's (MSysObjects') first definition page.
  static constexpr std::uint32_t kCatalog = 2;

  // Whether the file holds whole pages only, and more than the catalog's:
  // a file cut inside a page is damaged.
  bool Whole() const;

  // The definition pages of the table that starts at `first`, its usage
  // map and every page the map names lie inside the file.
  bool TableWithin(std::uint32_t first);

  // Whether the table's definition and every row kept on its data pages
  // are framed as the engine writes them, down to each value's bytes and
  // the rows a long value (a memo, an OLE object) continues in.
  bool RowsFramed(std::uint32_t first);

  // Which of the table's columns are calculated, in the order of their
  // numbers (the order both readers give them in); nothing when its
  // definition is not framed.
  std::optional<std::vector<bool>> CalculatedColumns(std::uint32_t first);

  // Whether the table's definition is framed and has columns of exactly
  // these names.
  bool HasColumns(std::uint32_t first, const std::vector<std::string_view>& names);

 private:
  struct Column {
    std::uint8_t type = 0;
    bool fixed = false;
    bool calculated = false;
    std::size_t number = 0;        // its bit in a row's null mask
    std::size_t variable = 0;      // its slot among the variable-length values
    std::size_t fixed_offset = 0;  // where a fixed one starts among the fixed values
    std::size_t length = 0;
    std::string name;  // its ASCII letters; any other stands as DEL
  };
  struct Shape {
    std::uint32_t most = 0;       // how many columns a row can hold, deleted ones too
    std::uint32_t variable = 0;   // how many columns have a variable length, deleted ones too
    std::vector<Column> columns;  // in the order of their numbers
  };

  std::optional<std::string> Page(std::uint64_t number, std::uint8_t type);
  std::optional<std::string> Definition(std::uint32_t first);
  // How a reader takes the offsets of a row a pointer names: without their
  // flags, the row's start as it stands, or its start and end as they stand.
  enum class PointerRead : std::uint8_t { Masked, StartUnmasked, Unmasked };
  std::optional<std::string> Row(std::uint32_t pointer, PointerRead pointer_read);
  std::optional<std::vector<std::uint64_t>> MappedPages(const std::string& definition);
  std::optional<Shape> ShapeOf(const std::string& definition) const;
  bool PageRowsFramed(const std::string& page, const Shape& shape);
  bool RowFramed(std::string_view row, const Shape& shape);
  bool ValueFramed(std::string_view value, const Column& column);
  bool LongValueFramed(std::string_view value);
  bool BitmapWithin(const std::string& bitmap, std::size_t from, std::uint64_t first_page) const;

  RowSource& source_;
  const AccessHeader& header_;
  bool jet3_;
  std::uint64_t size_;
  std::uint64_t count_;
};

}  // namespace ostrolen

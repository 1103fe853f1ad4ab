// The one statement runner of both editions: the lookup's statements
// answered on an Access file that a row source reads (libmdb in the reader
// program, the worker's Access reader in the browser). The runner decides
// everything a user sees of the reading: which file is no database, which
// is damaged, which table or column is missing, LIKE, nulls and the first
// row in file order; the row source only reads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/access_file.h"
#include "reader/query.h"

namespace ostrolen {

struct TableEntry {
  std::string name;        // as the catalog has it, in UTF-8
  std::uint32_t page = 0;  // its first definition page; 0 when the library does not say
};

enum class RowStep : std::uint8_t { Row, End, Damaged };

class RowSource {
 public:
  virtual ~RowSource() = default;

  // The file's size in bytes, and `length` of them from `offset` (fewer at
  // the end): the runner reads page 0 and the pages that say where a table
  // keeps its rows from them before the library sees them.
  virtual std::uint64_t Size() = 0;
  virtual std::string Bytes(std::uint64_t offset, std::size_t length) = 0;

  // Hands the file to the library; `code_page` is a Jet 3 file's (0 for a
  // later one). False when the library cannot take it.
  virtual bool Open(const AccessHeader& header, std::uint16_t code_page) = 0;

  // The catalog's tables; nothing when the catalog cannot be read.
  virtual std::optional<std::vector<TableEntry>> Tables() = 0;

  // Begins reading table `table` (an index into Tables()): its column names
  // in table order; nothing when its definition cannot be read.
  virtual std::optional<std::vector<std::string>> Columns(std::size_t table) = 0;

  // The next row of that table, in the order the file keeps them: the
  // values of the columns numbered in `compared` (indexes into Columns()),
  // in that order.
  virtual RowStep NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) = 0;

  // Every value of the row NextRow gave last, in column order; false when
  // the row cannot be read whole.
  virtual bool WholeRow(std::vector<Value>& row) = 0;

  // Whether RowAt can read a row by its place: a source kept between
  // requests that can answers from what it keeps (KeptFile).
  virtual bool Seekable() const { return false; }
  // Every value of row `index` (counted in file order, as NextRow gives
  // them) of the table last begun with Columns(); false when the row cannot
  // be read whole.
  virtual bool RowAt(std::size_t /*index*/, std::vector<Value>& /*row*/) { return false; }
};

// What a reader kept between requests knows of one version of a file, so
// that a later lookup costs what its statements select and not the whole
// table: the verdicts on the file and its tables, and for each table the
// LIKE texts of every column compared so far, row by row, with where its
// reading ended; an index of a column's texts once a pattern without
// wildcards asks for it; and the rows given whole. Made afresh for each
// version of the file.
class KeptFile {
 public:
  KeptFile();
  ~KeptFile();
  KeptFile(const KeptFile&) = delete;
  KeptFile& operator=(const KeptFile&) = delete;

  struct Parts;
  Parts& Kept() { return *parts_; }

 private:
  std::unique_ptr<Parts> parts_;
};

// A calculated column (Access 2010) keeps the value its expression gave,
// wrapped, and the two readers unwrap it differently or not at all: its
// value is read as one without text (a null stays null). `values` are those of the columns
// numbered in `columns`, of a table whose columns `calculated` marks (in
// column order).
void WithoutCalculated(std::vector<Value>& values, const std::vector<std::size_t>& columns,
                       const std::vector<bool>& calculated);

// One outcome per statement, in statement order. Statements on one table
// share one pass over its rows, taken where the first of them stands, and
// the pass ends once each has its row. `file` is what a failure of the
// whole file names. `answered` is told the outcomes known so far, in
// order, as they become known (the reader program writes them at once).
// With `kept` (for a Seekable source), the answers are the same, from what
// it keeps where it can.
std::vector<StatementOutcome> RunStatements(RowSource& source, const std::string& file,
                                            const std::vector<Statement>& statements,
                                            const std::function<void(const StatementOutcome&)>& answered = {},
                                            KeptFile* kept = nullptr);

}  // namespace ostrolen

// Every row of the reference database that the search looks through: the
// equipment of a segment, the program, fault and note of a step, and the
// control-memory columns of a control step. The rows are listed by a
// the reader program that answers the lookup's statements, so a file that
// upsets libmdb costs that process and never the caller. A listing is kept
// per file and made again only when the file's size or modification time
// changes.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reader/database.h"

namespace ostrolen {

// A table the search reads: its key columns and the columns whose texts it
// looks through.
struct SearchedTable {
  std::string_view table;
  std::string_view segment;  // the segment's column
  std::string_view step;     // the step's column; empty: the table has no steps
  std::vector<std::string_view> texts;
};

// segmoborud, Segment, segmentkup, in that order.
std::span<const SearchedTable> SearchedTables();

struct SegmentRow {
  std::string_view table;  // one of SearchedTables()
  std::string segment;
  std::string step;                                             // empty for segmoborud
  std::vector<std::pair<std::string_view, std::string>> texts;  // column, text; empty texts left out
};

struct RowListing {
  std::vector<SegmentRow> rows;  // table by table, each in file order
  std::string problem;           // one line when a table or the file could not be read whole; else empty
  bool cancelled = false;        // the listing was ended before it was whole
};

// Lists the rows of `file`.
using RowLister = std::function<RowListing(const std::string& file)>;

// Lists them with the reader `database` keeps. A listing the operator
// cancelled has `cancelled` set and is not kept.
RowListing ListRows(Connection& database, const std::string& file);
// The same with a reader of its own, which gets `time_limit` without progress.
RowListing ListRowsWithProgram(const std::string& file, std::chrono::milliseconds time_limit = ReaderTimeLimit());

// The reader's row request (its fields, each ended by a zero byte) and its
// answer. The answer is one record a line,
// fields TAB separated and escaped as the command line's records are:
//   table NAME              the rows that follow are of NAME
//   row   SEGMENT STEP TEXT...  one row, its texts in the table's order
//   fail  CODE NAME         the file (before any table) or the table failed (a ReadFailure)
//   end                     the listing is whole
std::string RowRequest(const std::string& file);
RowListing ParseRowAnswer(std::string_view answer, const std::string& file);

// The last listing of each file, made again when the file changes.
class RowCache {
 public:
  // By default the reference database's reader lists them.
  explicit RowCache(RowLister lister = {}) : lister_(std::move(lister)) {}

  // The rows of `file` as it is now; listed again only when its size or
  // modification time differs from the last listing's. A missing file
  // gives no rows and its problem line.
  const RowListing& Rows(const std::string& file);

  int Listings() const { return listings_; }  // how often the lister ran

 private:
  struct Stamp {
    bool exists = false;  // as anything
    bool file = false;    // as a regular file
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    bool operator==(const Stamp&) const = default;
  };
  RowLister lister_;
  std::string file_;
  Stamp stamp_;
  bool listed_ = false;
  RowListing listing_;
  int listings_ = 0;
};

}  // namespace ostrolen

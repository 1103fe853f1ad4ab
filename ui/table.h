// A table of decoded records: many records of one page, each decoded as a
// single press decodes it, one row a record, with a column per field on the
// "АХ" pages and one column of the result lines on the others. Read from
// text (a paste, a file, standard input), filtered, sorted, counted and
// written out as CSV, TSV or JSON lines. The window, the browser page and
// ostrolen-cli all build their tables here; nothing here opens a file or
// starts a program, so the record decode is the caller's to supply when it
// must (the segments page reads its database its own way in each edition).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/history.h"
#include "core/layout.h"
#include "pages/decode.h"
#include "reader/query.h"

namespace ostrolen {
struct AhField;
class ModelWindow;
}  // namespace ostrolen

namespace ostrolen::ui {

// The headings of the columns every table has.
inline constexpr std::string_view kLabelHeading = "Метка";
inline constexpr std::string_view kWordsHeading = "Слова";
inline constexpr std::string_view kLinesHeading = "Строки";
inline constexpr std::string_view kErrorHeading = "Ошибка";

// What the window and the browser page say of an input that is not text,
// and of one with no record in it.
inline constexpr std::string_view kBinaryInput = "Это двоичный файл, а не текст: в нём есть нулевой байт.";
inline constexpr std::string_view kNoRecords = "В тексте нет ни одной записи.";

// ---- Input -----------------------------------------------------------------

// A byte order mark, which a text may begin with.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Bytes of Windows-1251 as UTF-8 (0x98, which names no character there,
// as U+0098, as the browsers read it).
std::string Windows1251ToUtf8(std::string_view bytes);

// One line of input as UTF-8: the line as it is when it is well-formed
// UTF-8, else read as Windows-1251. The encoding is chosen line by line, so
// that a text is read as it comes, however long: a text all in one of the
// two reads as if it were chosen for the whole (Russian in Windows-1251 is
// hardly ever well-formed UTF-8 as well), and one that mixes them keeps
// each line readable.
std::string LineAsUtf8(std::string_view line);

// One record: a line of input that is not skipped.
struct Record {
  int line = 0;                      // 1-based, skipped lines counted
  std::optional<std::string> label;  // the text before the line's first TAB, else before its first ": ", trimmed
  std::string words;                 // the rest of the line, as typed
};

// The record on line `number` (UTF-8); nothing for an empty line (blanks
// only) or one that begins with "#". A label whose text is empty is none.
std::optional<Record> RecordOfLine(std::string_view line, int number);

// A whole input: its records, or the message why it has none.
struct Input {
  std::vector<Record> records;
  // The message for the whole input: kBinaryInput for a NUL byte anywhere
  // (and then no records), kNoRecords for an input empty or all skipped.
  std::optional<std::string> error;
  bool windows1251 = false;  // some line was read as Windows-1251
};

// The records of `bytes`: lines end with LF (a CR before it is a blank), a
// byte order mark at the start is dropped, each line is read as LineAsUtf8
// reads it.
Input ReadInput(std::string_view bytes);

// ---- Columns and rows ------------------------------------------------------

enum class ColumnKind { Label, Words, Field, Lines, Error };

struct Column {
  ColumnKind kind = ColumnKind::Label;
  std::string name;                // unique in the table: a second of one name gets " (2)"
  const AhField* field = nullptr;  // ColumnKind::Field
  int field_index = -1;            // ColumnKind::Field: the field's index, as LineOrigin::field gives it
};

// Whether `page` decodes records: every page but the converter, whose result
// is its boxes rather than lines.
bool IsRecordPage(const PageCommand& page);

// The columns of a table of `page` (a record page): the label, the words,
// then a column per field of an "АХ" page (its fields in line order, the
// page's blank lines left out) or one of the lines, then the error.
std::vector<Column> TableColumns(const PageCommand& page);

// A line of a row, viewed where the row's storage keeps it; small, as a
// table holds a line of every row for every field.
struct RowLine {
  std::string_view text;
  std::int32_t column = -1;    // the field column it fills; -1 for none
  std::uint32_t value_at = 0;  // where its cell begins: after the field's label, or 0 for a line that is a label alone
};

struct TableRow {
  int line = 0;
  std::optional<std::string> label;
  std::string words;  // the words the page was given, joined by one blank
  std::vector<RowLine> lines;
  std::vector<std::string_view> reports;
  // Where the record does not decode: the message of words the page cannot
  // take or that leave some of its boxes empty (a single decode fills those
  // in with the page's defaults; a record off the console has every word),
  // or the common error box's text.
  std::optional<std::string_view> failure;
  // The error cell: `failure`; else, when none of the page's lines fills a
  // column of the table (the four-word block pages count the digits over
  // their largest and show nothing else), the reports and those lines,
  // joined by "; "; else empty.
  std::string error;
};

// Decodes one record's words on a page, as DecodeOn does: throws WordsError
// for words the page cannot take; the outcome's settings are the boxes the
// words filled.
using RecordDecode = std::function<DecodeOutcome(const PageCommand&, const std::vector<std::string>&)>;

// What the reference database must answer for the decodes of records on a
// page (the segments page's lookup), gathered so that a front end can read
// them for many records at once beforehand: each statement once, however
// many records need it. Nothing on another page or for words the page
// cannot take.
class RecordLookups {
 public:
  explicit RecordLookups(const PageCommand& page);
  ~RecordLookups();
  RecordLookups(const RecordLookups&) = delete;
  RecordLookups& operator=(const RecordLookups&) = delete;

  // Whether the page's decode reads the database at all.
  bool Reads() const { return reads_; }
  void Add(const Record& record);
  // The statements gathered, each once; none are left.
  std::vector<Statement> Take() { return std::move(statements_); }

 private:
  const PageCommand* page_;
  bool reads_ = false;
  std::unique_ptr<ModelWindow> window_;
  std::unordered_set<std::string> known_;  // by StatementKey
  std::vector<Statement> statements_;
};

// The row of `record`, decoded by `decode`. Its texts are views into
// `outcome`, which must outlive the row.
TableRow RowOf(const PageCommand& page, const std::vector<Column>& columns, const Record& record,
               const RecordDecode& decode, DecodeOutcome& outcome);

// The words of a row, split as they were typed.
std::vector<std::string> RowWords(const TableRow& row);

// A cell as the table shows it: the label; the words; a field's line less
// its label (its name and " = "), or the whole line when the line is a
// label alone, or empty when the page showed no line for it; the lines
// joined by "; "; the error.
std::string CellOf(const std::vector<Column>& columns, const TableRow& row, std::size_t column);

// ---- The table -------------------------------------------------------------

class Table {
 public:
  // A table of `page`, each record decoded by `decode` (by default on one
  // reused model window, as RecordDecoder decodes). Throws
  // std::invalid_argument for a page that is not a record page.
  explicit Table(const PageCommand& page, RecordDecode decode = {});
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  Table(Table&&) noexcept;
  Table& operator=(Table&&) noexcept;

  const PageCommand& page() const { return *page_; }
  const std::vector<Column>& columns() const { return columns_; }

  // Decodes `record` and adds its row. A front end adds a batch at a time
  // to show its progress and to stop when asked.
  void Add(const Record& record);
  // Adds records[from], records[from + 1], ... up to `count` of them;
  // returns the index of the first not added.
  std::size_t AddSome(const std::vector<Record>& records, std::size_t from, std::size_t count);

  std::size_t RowCount() const { return rows_.size(); }
  std::size_t ErrorCount() const { return errors_; }
  std::size_t ShownCount() const { return Shown().size(); }
  const TableRow& Row(std::size_t row) const { return rows_[row]; }
  std::string Cell(std::size_t row, std::size_t column) const;

  // Which rows are shown. "NAME = VALUE" where NAME is a field column's name
  // keeps the rows whose cell of that column is VALUE; any other text keeps
  // the rows with a cell that holds it; an empty text keeps every row. Both
  // fold as the search does: letter case, "ё" and "е" and the Latin letters
  // that look like Cyrillic ones make no difference, nor do blanks at the
  // ends or a run of blanks.
  void SetFilter(std::string_view text);
  const std::string& filter() const { return filter_; }

  // Orders the shown rows by a column, or by input order (nothing). Stable:
  // rows of equal cells keep their input order. Two cells that are both
  // whole numbers (digits with an optional leading "-") compare as numbers;
  // numbers come before texts, which compare folded as the filter folds
  // them; empty cells come last, in either direction.
  void SortBy(std::optional<std::size_t> column, bool descending = false);
  std::optional<std::size_t> sort_column() const { return sort_column_; }
  bool descending() const { return descending_; }

  // The shown rows, in the order shown, as indexes of Row().
  const std::vector<std::size_t>& Shown() const;

  // The page and words that open a row on its page, decoded.
  Address AddressOf(std::size_t row) const;

 private:
  bool Keeps(std::size_t row) const;

  const PageCommand* page_;
  std::vector<Column> columns_;
  RecordDecode decode_;
  std::unique_ptr<RecordDecoder> decoder_;
  struct Pool;
  std::unique_ptr<Pool> pool_;  // the texts of the rows, each kept once
  std::vector<TableRow> rows_;
  std::size_t errors_ = 0;

  std::string filter_;
  std::optional<std::size_t> filter_column_;  // "NAME = VALUE": the column
  std::u32string filter_folded_;              // the value, or the text
  std::optional<std::size_t> sort_column_;
  bool descending_ = false;
  mutable std::vector<std::size_t> shown_;
  mutable bool shown_stale_ = false;
};

// ---- Writing out -----------------------------------------------------------

// A cell that begins with "=", "+", "-", "@", TAB or CR, with a "'" before
// it, so that no spreadsheet takes it for a formula; any other as it is.
std::string Guarded(std::string_view cell);

// One CSV line for a Russian-locale spreadsheet: cells guarded, separated by
// ";", a cell quoted (its quotes doubled) when it holds ";", a quote, CR or
// LF; ended by CRLF. A file starts with kByteOrderMark and the heading line.
std::string CsvLine(const std::vector<std::string>& cells);
// One TSV line: cells guarded, escaped as decode escapes its lines (so no
// TAB or line end is left in a cell), joined by TAB, ended by LF.
std::string TsvLine(const std::vector<std::string>& cells);

// The column names, and a row's cells, in column order.
std::vector<std::string> Headings(const std::vector<Column>& columns);
std::vector<std::string> RowCells(const std::vector<Column>& columns, const TableRow& row);

// A JSON text: quoted, with the quote, the backslash, the control
// characters (C0, DEL, C1) and U+2028, U+2029 escaped; the rest as it is.
std::string JsonString(std::string_view text);

// A row as one JSON object on one line, LF-ended:
// {"line": N, "label": TEXT|null, "words": [...], "fields": {NAME: VALUE, ...},
//  "lines": [...], "reports": [...], "error": TEXT|null}
// "fields" holds every field column, "" where the page showed no line for
// it; "error" the row's `failure`, else null.
std::string JsonLine(const std::vector<Column>& columns, const TableRow& row);

// The rows of `table`, in the order given, written whole: CSV with the byte
// order mark and the heading line; TSV with the heading line; JSON lines.
std::string ExportCsv(const Table& table, const std::vector<std::size_t>& rows);
std::string ExportTsv(const Table& table, const std::vector<std::size_t>& rows);
std::string ExportJson(const Table& table, const std::vector<std::size_t>& rows);
// What a copy of the rows puts on the clipboard: their TSV lines, without
// the heading line.
std::string CopyRows(const Table& table, const std::vector<std::size_t>& rows);

}  // namespace ostrolen::ui

// The table of many records as the window and the browser page show it: the
// page chosen, the records given (typed, pasted or a file's bytes), the rows
// built a batch at a time with their progress, the filter, the order, the
// rows chosen, and what a copy, an export or a chosen row does. The texts
// of the view are declared here once for every front end.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/table.h"

namespace ostrolen::ui {

namespace table_text {
inline constexpr std::string_view kCaption = "Таблица записей";
inline constexpr std::string_view kCommand = "Таблица";
inline constexpr std::string_view kKey = "Ctrl+B";
inline constexpr std::string_view kPage = "Страница:";
inline constexpr std::string_view kInput = "Записи, по одной в строке (метка — до табуляции или до \": \"):";
inline constexpr std::string_view kOpenFile = "Открыть файл…";
inline constexpr std::string_view kBuild = "Разобрать";
inline constexpr std::string_view kStop = "Прервать";
inline constexpr std::string_view kFilter = "Отбор:";
inline constexpr std::string_view kFilterTip =
    "ИМЯ = ЗНАЧЕНИЕ — строки, где у поля это значение; любой другой текст — строки, где он есть в какой-либо клетке";
inline constexpr std::string_view kCopy = "Копировать";
inline constexpr std::string_view kOpenRow = "Открыть на странице";
inline constexpr std::string_view kClose = "Закрыть";
inline constexpr std::string_view kFileName = "ostrolen-table";
}  // namespace table_text

// The formats a table is written out in, by the names the front ends give them.
enum class TableFormat { Csv, Tsv, Json };
struct TableFormatSpec {
  TableFormat format;
  std::string_view name;       // "csv"
  std::string_view button;     // what its button says
  std::string_view extension;  // of the file written
  std::string_view type;       // its media type
};
inline constexpr TableFormatSpec kTableFormats[] = {
    {TableFormat::Csv, "csv", "Сохранить CSV…", ".csv", "text/csv;charset=utf-8"},
    {TableFormat::Tsv, "tsv", "Сохранить TSV…", ".tsv", "text/tab-separated-values;charset=utf-8"},
    {TableFormat::Json, "json", "Сохранить JSON…", ".json", "application/json;charset=utf-8"},
};
const TableFormatSpec* FindTableFormat(std::string_view name);

// A page the table view offers.
struct TablePage {
  const PageCommand* command = nullptr;
  std::string caption;  // as the page chooser shows it ("АХ, СКО")
};

// The record pages the window's and the browser's table view offer: every
// page that decodes records (the segments page's read the database a batch
// of records at a time).
const std::vector<TablePage>& TablePages();

// How many records' lookups the table reads from the database at once.
inline constexpr std::size_t kTableRecordsPerReading = 500;

struct TableState {
  bool open = false;
  int page = 0;           // in TablePages()
  std::string source;     // a file's name when the records came from one
  std::string message;    // the whole input's problem ("a binary file"), else empty
  bool building = false;  // records are being decoded
  bool stopped = false;   // the operator stopped it before the end
  bool reading = false;   // the next records wait for the database
  int generation = 0;     // counts the inputs and ends, so that a late answer knows its own
  std::size_t done = 0;   // records decoded
  std::size_t total = 0;  // records given
  std::string filter;     // as typed
  std::optional<std::size_t> sort_column;
  bool descending = false;
  std::unique_ptr<Table> table;
  std::vector<bool> chosen;  // by position among the shown rows
  int current = -1;          // a position among the shown rows
  int anchor = -1;           // where a range chosen with Shift begins
  int rows_in_view = 10;     // the front end's view, for Page Up and Page Down
  std::vector<Record> records;

  std::size_t Shown() const { return table ? table->ShownCount() : 0; }
  // "Записей: 10, показано: 8, ошибок: 1" (with the progress while building).
  std::string Counts() const;
  // No more records to decode: the ones given go.
  void EndDecoding();
  // The rows chosen, as indexes of Table::Row, in the order shown.
  std::vector<std::size_t> ChosenRows() const;
};

}  // namespace ostrolen::ui

// The table of many records: the controller's part of it.
#include <algorithm>
#include <string>

#include "core/shell.h"
#include "core/utf8.h"
#include "pages/pages.h"
#include "pages/segments/segments.h"
#include "ui/controller.h"
#include "ui/keys.h"
#include "ui/table_view.h"

namespace ostrolen::ui {

const TableFormatSpec* FindTableFormat(std::string_view name) {
  for (const TableFormatSpec& spec : kTableFormats) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

const std::vector<TablePage>& TablePages() {
  static const std::vector<TablePage> pages = [] {
    std::vector<TablePage> all;
    for (const PageCommand* command : PageCommands()) {
      if (!IsRecordPage(*command)) continue;
      all.push_back({command, std::string(CommandCaption(*command))});
    }
    return all;
  }();
  return pages;
}

std::string TableState::Counts() const {
  if (!message.empty()) return message;
  if (building) {
    std::string text = "Разбор записей: " + std::to_string(done) + " из " + std::to_string(total);
    // "Разбор записей: 0 из 40. Чтение базы данных…"
    if (reading) text += ". " + std::string(shell::kReadingDatabase);
    return text;
  }
  if (!table) return {};
  std::string text =
      (source.empty() ? std::string() : source + ": ") + "Записей: " + std::to_string(table->RowCount()) +
      ", показано: " + std::to_string(table->ShownCount()) + ", ошибок: " + std::to_string(table->ErrorCount());
  if (stopped) text += " (разбор прерван: " + std::to_string(done) + " из " + std::to_string(total) + ")";
  return text;
}

void TableState::EndDecoding() {
  building = false;
  records.clear();
  records.shrink_to_fit();
}

std::vector<std::size_t> TableState::ChosenRows() const {
  std::vector<std::size_t> rows;
  if (!table) return rows;
  const std::vector<std::size_t>& shown = table->Shown();
  for (std::size_t i = 0; i < shown.size() && i < chosen.size(); ++i) {
    if (chosen[i]) rows.push_back(shown[i]);
  }
  return rows;
}

void Controller::OpenTable() {
  if (table_.open || history_.open || menu_.open || editor_.open || reading_) return;
  before_dialog_ = focus_;
  table_.open = true;
  // The page in front, when the table offers it.
  const std::vector<TablePage>& pages = TablePages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (FindButton(pages[i].command->button).page == front_) {
      table_.page = static_cast<int>(i);
      break;
    }
  }
  Emit(Effect::Kind::Table);
}

void Controller::CloseTable() {
  if (!table_.open) return;
  table_.open = false;
  EndTableReading();
  table_.EndDecoding();
  Emit(Effect::Kind::Table);
  SetFocus(before_dialog_.control, before_dialog_.caret, before_dialog_.anchor);
}

bool Controller::TableChoosePage(int index) {
  if (!table_.open || index < 0 || index >= static_cast<int>(TablePages().size())) return false;
  if (table_.page != index) {
    // Another page's columns: the rows of the last one go, the filter stays.
    EndTableReading();
    TableState fresh;
    fresh.open = true;
    fresh.page = index;
    fresh.filter = std::move(table_.filter);
    fresh.generation = table_.generation;
    table_ = std::move(fresh);
  }
  Emit(Effect::Kind::Table);
  return true;
}

void Controller::TableBuild(std::string_view bytes, std::string source) {
  if (!table_.open) return;
  EndTableReading();
  Input input = ReadInput(bytes);
  table_.source = std::move(source);
  table_.chosen.clear();
  table_.current = -1;
  table_.anchor = -1;
  table_.stopped = false;
  table_.done = 0;
  if (input.error) {
    // Not text: the rows of the last input stay as they are.
    table_.message = *input.error;
    table_.building = false;
    table_.total = 0;
    Emit(Effect::Kind::Table);
    return;
  }
  table_.message.clear();
  table_.table = std::make_unique<Table>(*TablePages()[static_cast<std::size_t>(table_.page)].command);
  table_.table->SetFilter(table_.filter);
  if (table_.sort_column && *table_.sort_column < table_.table->columns().size()) {
    table_.table->SortBy(table_.sort_column, table_.descending);
  } else {
    table_.sort_column.reset();
  }
  table_.records = std::move(input.records);
  table_.total = table_.records.size();
  table_.building = table_.total > 0;
  Emit(Effect::Kind::Table);
}

bool Controller::TableStep(std::size_t count) {
  if (!table_.open || !table_.building || !table_.table) return false;
  if (reading_) return true;
  count = std::max<std::size_t>(count, 1);
  const PageCommand& page = table_.table->page();
  // On a page that reads the database, the lookups of the next records are
  // read first, all at once; a lookup many records share is read once.
  RecordLookups lookups(page);
  if (lookups.Reads()) {
    count = std::min(count, kTableRecordsPerReading);
    const std::size_t end = std::min(table_.total, table_.done + count);
    for (std::size_t i = table_.done; i < end; ++i) lookups.Add(table_.records[i]);
  }
  std::vector<Statement> statements = lookups.Take();
  if (statements.empty()) {
    DecodeTableRows(count);
    return table_.building;
  }
  const int generation = table_.generation;
  AskMany(
      page.button, std::move(statements),
      [this, count, generation] {
        if (table_.generation != generation) return;
        table_.reading = false;
        DecodeTableRows(count);
      },
      [this, generation] {
        if (table_.generation != generation) return;
        table_.reading = false;
        TableStop();
      });
  table_.reading = true;
  Emit(Effect::Kind::Table);
  return true;
}

void Controller::DecodeTableRows(std::size_t count) {
  if (!table_.building || !table_.table) return;
  table_.done = table_.table->AddSome(table_.records, table_.done, count);
  if (table_.done >= table_.total) table_.EndDecoding();
  table_.chosen.assign(table_.Shown(), false);
  Emit(Effect::Kind::Table);
}

void Controller::TableStop() {
  if (!table_.building) return;
  EndTableReading();
  table_.EndDecoding();
  table_.stopped = true;
  Emit(Effect::Kind::Table);
}

void Controller::EndTableReading() {
  // Whatever answer comes for the records before is no longer theirs.
  ++table_.generation;
  if (table_.reading) {
    table_.reading = false;
    Emit(Effect::Kind::CancelReading);
  }
}

void Controller::TableFilter(std::string_view text) {
  if (!table_.open) return;
  table_.filter = std::string(text);
  if (table_.table) table_.table->SetFilter(text);
  table_.chosen.assign(table_.Shown(), false);
  table_.current = -1;
  table_.anchor = -1;
  Emit(Effect::Kind::Table);
}

bool Controller::TableSort(int column) {
  if (!table_.open || !table_.table || column < 0 || column >= static_cast<int>(table_.table->columns().size())) {
    return false;
  }
  // A heading clicked orders by its column, clicked again the other way round.
  const auto chosen = static_cast<std::size_t>(column);
  table_.descending = table_.sort_column == chosen && !table_.descending;
  table_.sort_column = chosen;
  // The chosen rows, the current one and the anchor stay where they now stand.
  const std::size_t rows = table_.table->RowCount();
  std::vector<bool> chosen_rows(rows, false);
  for (const std::size_t row : table_.ChosenRows()) chosen_rows[row] = true;
  const auto row_at = [this, rows](int shown) {
    return shown >= 0 && static_cast<std::size_t>(shown) < table_.Shown()
               ? table_.table->Shown()[static_cast<std::size_t>(shown)]
               : rows;
  };
  const std::size_t current = row_at(table_.current);
  const std::size_t anchor = row_at(table_.anchor);
  table_.table->SortBy(table_.sort_column, table_.descending);
  const std::vector<std::size_t>& shown = table_.table->Shown();
  table_.chosen.assign(shown.size(), false);
  table_.current = table_.anchor = -1;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    table_.chosen[i] = chosen_rows[shown[i]];
    if (shown[i] == current) table_.current = static_cast<int>(i);
    if (shown[i] == anchor) table_.anchor = static_cast<int>(i);
  }
  Emit(Effect::Kind::Table);
  return true;
}

bool Controller::TableClick(int shown, bool shift, bool ctrl) {
  if (!table_.open || shown < 0 || static_cast<std::size_t>(shown) >= table_.Shown()) return false;
  const auto row = static_cast<std::size_t>(shown);
  table_.chosen.resize(table_.Shown(), false);
  if (shift) {
    const int from =
        table_.anchor >= 0 && static_cast<std::size_t>(table_.anchor) < table_.Shown() ? table_.anchor : shown;
    const auto low = static_cast<std::size_t>(std::min(from, shown));
    const auto high = static_cast<std::size_t>(std::max(from, shown));
    for (std::size_t i = 0; i < table_.chosen.size(); ++i) table_.chosen[i] = i >= low && i <= high;
    table_.anchor = from;
  } else if (ctrl) {
    table_.chosen[row] = !table_.chosen[row];
    table_.anchor = shown;
  } else {
    table_.chosen.assign(table_.Shown(), false);
    table_.chosen[row] = true;
    table_.anchor = shown;
  }
  table_.current = shown;
  Emit(Effect::Kind::TableChoice);
  return true;
}

void Controller::TableRowsInView(int rows) { table_.rows_in_view = std::max(rows, 1); }

bool Controller::TableOpenRow(int shown) {
  if (!table_.open || !table_.table || table_.building || shown < 0 ||
      static_cast<std::size_t>(shown) >= table_.Shown()) {
    return false;
  }
  const ostrolen::Address address = table_.table->AddressOf(table_.table->Shown()[static_cast<std::size_t>(shown)]);
  CloseTable();
  if (const std::optional<std::string> problem = Open(address)) {
    Emit(Effect::Kind::Message, "error", *problem);
  }
  return true;
}

bool Controller::TableCopy() {
  if (!table_.open || !table_.table) return false;
  std::vector<std::size_t> rows = table_.ChosenRows();
  if (rows.empty()) return false;
  clipboard_ = CopyRows(*table_.table, rows);
  Emit(Effect::Kind::Clipboard, {}, clipboard_);
  return true;
}

bool Controller::TableExport(std::string_view format) {
  const TableFormatSpec* spec = FindTableFormat(format);
  if (!table_.open || !table_.table || table_.building || spec == nullptr) return false;
  const std::vector<std::size_t>& rows = table_.table->Shown();
  std::string text;
  switch (spec->format) {
    case TableFormat::Csv: text = ExportCsv(*table_.table, rows); break;
    case TableFormat::Tsv: text = ExportTsv(*table_.table, rows); break;
    case TableFormat::Json: text = ExportJson(*table_.table, rows); break;
  }
  const std::string name =
      std::string(table_text::kFileName) + "-" + std::string(table_.table->page().name) + std::string(spec->extension);
  Emit(Effect::Kind::SaveTable, name, std::move(text));
  return true;
}

bool Controller::KeyInTable(const Key& key) {
  if (!table_.open) return false;
  if (key.code == Key::Code::Enter && Plain(key)) return TableOpenRow(table_.current);
  if (CtrlLetter(key, 'c')) return TableCopy() || true;
  if (CtrlLetter(key, 'a')) {
    if (table_.Shown() == 0) return true;
    table_.chosen.assign(table_.Shown(), true);
    if (table_.current < 0) table_.current = 0;
    Emit(Effect::Kind::TableChoice);
    return true;
  }
  if (key.code == Key::Code::Escape && Plain(key)) {
    if (table_.building) {
      TableStop();
    } else {
      CloseTable();
    }
    return true;
  }
  // The arrows, Page Up and Page Down, Home and End move the current row and
  // choose it, with Shift the rows from the anchor; with no row current yet,
  // End goes to the last and the others to the first.
  if (key.ctrl || key.alt || key.meta) return false;
  const int n = static_cast<int>(table_.Shown());
  int step = 0;
  switch (key.code) {
    case Key::Code::Down: step = 1; break;
    case Key::Code::Up: step = -1; break;
    case Key::Code::PageDown: step = table_.rows_in_view; break;
    case Key::Code::PageUp: step = -table_.rows_in_view; break;
    case Key::Code::Home: step = -n; break;
    case Key::Code::End: step = n; break;
    default: return false;
  }
  if (n == 0) return true;
  const int target =
      table_.current < 0 ? (key.code == Key::Code::End ? n - 1 : 0) : std::clamp(table_.current + step, 0, n - 1);
  return TableClick(target, key.shift, false);
}

std::vector<std::string> Controller::TableCells(std::size_t shown) const {
  std::vector<std::string> cells;
  if (!table_.table || shown >= table_.Shown()) return cells;
  const std::size_t row = table_.table->Shown()[shown];
  for (std::size_t column = 0; column < table_.table->columns().size(); ++column) {
    cells.push_back(table_.table->Cell(row, column));
  }
  return cells;
}

}  // namespace ostrolen::ui

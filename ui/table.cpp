#include "ui/table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <unordered_set>

#include "core/utf8.h"
#include "pages/model_window.h"
#include "pages/pages.h"
#include "pages/search/search.h"
#include "pages/segments/segments.h"
#include "pages/session.h"
#include "pages/subscriber/compose.h"
#include "pages/subscriber/fields.h"

namespace ostrolen::ui {
namespace {

// Windows-1251 from 0x80 to 0xBF; 0xC0 to 0xFF are А to я in order.
constexpr std::array<char16_t, 64> kWindows1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Joined(const std::vector<std::string_view>& parts, std::string_view between) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i != 0) text += between;
    text += parts[i];
  }
  return text;
}

// The words of a text joined by one blank, as WordsOfLine splits them. A
// line may be megabytes long: a line already so (most are) is taken whole.
std::string JoinedWords(std::string_view text) {
  const bool plain = !text.empty() && text.front() != ' ' && text.back() != ' ' &&
                     text.find('\t') == std::string_view::npos && text.find('\r') == std::string_view::npos &&
                     text.find("  ") == std::string_view::npos;
  if (plain || text.empty()) return std::string(text);
  std::string joined;
  for (std::size_t at = 0; (at = text.find_first_not_of(" \t\r", at)) != std::string_view::npos;) {
    const std::size_t end = text.find_first_of(" \t\r", at);
    if (!joined.empty()) joined += ' ';
    joined += text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end;
  }
  return joined;
}

// More words than any page has boxes: past these, the words a page is
// given stand for all of them, and the page refuses them with the same
// message, so that a line of millions of words is not held word by word.
constexpr std::size_t kManyWords = 64;

// The words the page is given for the words of a row (joined by one blank).
std::vector<std::string> WordsForPage(const PageCommand& page, const std::string& joined) {
  std::vector<std::string> words;
  if (joined.empty()) return words;
  std::size_t blanks = 0;
  for (std::size_t at = 0; blanks <= kManyWords && (at = joined.find(' ', at)) != std::string::npos; ++at) ++blanks;
  // The pages that spread the characters of their words over the boxes
  // skip the blanks between the words as they skip those inside one.
  if (blanks > kManyWords && page.word_length != 0) return {joined};
  for (std::size_t at = 0; words.size() <= kManyWords;) {
    const std::size_t end = joined.find(' ', at);
    words.push_back(joined.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return words;
}

// The boxes a page's words fill, counted once for every page.
std::size_t BoxCount(const PageCommand& page) {
  static const std::map<const PageCommand*, std::size_t> counts = [] {
    std::map<const PageCommand*, std::size_t> all;
    for (const PageCommand* command : PageCommands()) {
      all[command] = EnterBoxes(command->boxes_of.empty() ? command->button : command->boxes_of).size();
    }
    return all;
  }();
  const auto found = counts.find(&page);
  return found == counts.end() ? 0 : found->second;
}

// Words that leave some of the page's boxes empty: a single decode fills
// them in with the page's defaults, but a record read off the console has
// them all, so a row of such words is one the operator must look at.
std::optional<std::string> TooFewWords(const PageCommand& page, const DecodeOutcome& outcome) {
  const std::size_t boxes = BoxCount(page);
  if (outcome.settings.size() >= boxes) return std::nullopt;
  const std::size_t length = page.word_length == 0 ? 1 : static_cast<std::size_t>(page.word_length);
  return std::string(page.name) + " takes " + std::to_string(boxes / length) + " word(s): " + std::string(page.words) +
         "; got " + std::to_string(outcome.settings.size() / length);
}

// The fields of an "АХ" page; nullptr for any other.
const AhFieldPage* FieldsOf(const PageCommand& page) {
  const ComposePage* compose = FindComposePage(page.name);
  return compose == nullptr ? nullptr : compose->fields;
}

// A cell parsed as a whole number: its sign and its digits without leading zeros.
struct Number {
  bool negative = false;
  std::string_view digits;
};

std::optional<Number> AsNumber(std::string_view cell) {
  Number number;
  if (!cell.empty() && cell.front() == '-') {
    number.negative = true;
    cell.remove_prefix(1);
  }
  if (cell.empty() || !std::all_of(cell.begin(), cell.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  while (cell.size() > 1 && cell.front() == '0') cell.remove_prefix(1);
  if (cell == "0") number.negative = false;
  number.digits = cell;
  return number;
}

int CompareMagnitude(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int order = a.compare(b);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int CompareNumbers(const Number& a, const Number& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  const int order = CompareMagnitude(a.digits, b.digits);
  return a.negative ? -order : order;
}

bool Contains(const std::u32string& text, const std::u32string& piece) {
  return text.find(piece) != std::u32string::npos;
}

}  // namespace

std::string Windows1251ToUtf8(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += static_cast<char32_t>(byte);
    } else if (byte < 0xC0) {
      text += static_cast<char32_t>(kWindows1251High[byte - 0x80]);
    } else {
      text += static_cast<char32_t>(0x0410 + (byte - 0xC0));
    }
  }
  return EncodeUtf8(text);
}

std::string LineAsUtf8(std::string_view line) {
  return IsValidUtf8(line) ? std::string(line) : Windows1251ToUtf8(line);
}

std::optional<Record> RecordOfLine(std::string_view line, int number) {
  if (!line.empty() && line.front() == '#') return std::nullopt;
  if (Trimmed(line).empty()) return std::nullopt;
  Record record;
  record.line = number;
  std::size_t cut = line.find('\t');
  std::size_t after = cut + 1;
  if (cut == std::string_view::npos) {
    cut = line.find(": ");
    after = cut + 2;
  }
  if (cut != std::string_view::npos) {
    const std::string_view label = Trimmed(line.substr(0, cut));
    if (!label.empty()) record.label = std::string(label);
    line.remove_prefix(after);
  }
  record.words = std::string(line);
  return record;
}

Input ReadInput(std::string_view bytes) {
  Input input;
  if (bytes.find('\0') != std::string_view::npos) {
    input.error = std::string(kBinaryInput);
    return input;
  }
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view raw = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    ++number;
    if (!IsValidUtf8(raw)) input.windows1251 = true;
    if (std::optional<Record> record = RecordOfLine(LineAsUtf8(raw), number)) {
      input.records.push_back(std::move(*record));
    }
  }
  if (input.records.empty()) input.error = std::string(kNoRecords);
  return input;
}

bool IsRecordPage(const PageCommand& page) { return page.shown.empty(); }

std::vector<Column> TableColumns(const PageCommand& page) {
  std::vector<Column> columns;
  columns.push_back({ColumnKind::Label, std::string(kLabelHeading)});
  columns.push_back({ColumnKind::Words, std::string(kWordsHeading)});
  if (const AhFieldPage* fields = FieldsOf(page)) {
    for (std::size_t i = 0; i < fields->fields.size(); ++i) {
      const AhField* field = fields->fields[i];
      if (field->shown == Shown::Blank) continue;
      columns.push_back({ColumnKind::Field, FieldName(*field), field, static_cast<int>(i)});
    }
  } else {
    columns.push_back({ColumnKind::Lines, std::string(kLinesHeading)});
  }
  columns.push_back({ColumnKind::Error, std::string(kErrorHeading)});
  // Names unique: the second of one name is "NAME (2)", the third "NAME (3)".
  for (std::size_t i = 0; i < columns.size(); ++i) {
    int same = 1;
    for (std::size_t j = 0; j < i; ++j) {
      if (columns[j].name == columns[i].name) ++same;
    }
    if (same > 1) columns[i].name += " (" + std::to_string(same) + ")";
  }
  return columns;
}

RecordLookups::RecordLookups(const PageCommand& page) : page_(&page) {
  const ButtonSpec* button = FindButton(page.button).button;
  reads_ = button != nullptr && ReadsDatabase(*button);
  if (reads_) window_ = std::make_unique<ModelWindow>();
}

RecordLookups::~RecordLookups() = default;

void RecordLookups::Add(const Record& record) {
  if (!reads_) return;
  BoxTexts boxes;
  try {
    boxes = TypedBoxes(*page_, WordsForPage(*page_, JoinedWords(record.words)));
  } catch (const WordsError&) {
    return;
  }
  // The window as at start but for the boxes these words fill.
  static const ModelWindow start;
  for (const auto& [name, text] : boxes) window_->SetText(name, text);
  for (Statement& statement : PressStatements(*window_, page_->button)) {
    if (known_.insert(StatementKey(statement)).second) statements_.push_back(std::move(statement));
  }
  for (const auto& [name, text] : boxes) window_->SetText(name, start.Text(name));
}

TableRow RowOf(const PageCommand& page, const std::vector<Column>& columns, const Record& record,
               const RecordDecode& decode, DecodeOutcome& outcome) {
  TableRow row;
  row.line = record.line;
  row.label = record.label;
  row.words = JoinedWords(record.words);
  const std::vector<std::string> words = WordsForPage(page, row.words);
  try {
    outcome = decode(page, words);
  } catch (const WordsError& error) {
    outcome = DecodeOutcome{};
    outcome.error = error.message;
    row.failure = *outcome.error;
    row.error = error.message;
    return row;
  }
  if (std::optional<std::string> few = TooFewWords(page, outcome)) {
    outcome = DecodeOutcome{};
    outcome.error = std::move(*few);
    row.failure = *outcome.error;
    row.error = *outcome.error;
    return row;
  }
  for (const std::string& report : outcome.reports) row.reports.emplace_back(report);
  if (outcome.error) row.failure = *outcome.error;

  bool filled = false;
  for (const SourcedLine& line : outcome.lines) {
    RowLine shown{line.text};
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const Column& column = columns[c];
      if (column.kind == ColumnKind::Lines) {
        filled = true;
      } else if (column.kind == ColumnKind::Field && column.field_index == line.origin.field) {
        shown.column = static_cast<std::int32_t>(c);
        // A line is its label and its value (which may be empty), or its
        // label alone where the line's presence is what it says.
        const bool alone = column.field->shown == Shown::Present || column.field->shown == Shown::NoneSet;
        if (!alone && line.text.starts_with(column.field->label)) {
          shown.value_at = static_cast<std::uint32_t>(column.field->label.size());
        }
        filled = true;
      }
    }
    row.lines.push_back(shown);
  }
  if (row.failure) {
    row.error = *row.failure;
  } else if (!filled) {
    std::vector<std::string_view> parts(row.reports.begin(), row.reports.end());
    for (const RowLine& line : row.lines) {
      if (line.column < 0 && !line.text.empty()) parts.push_back(line.text);
    }
    row.error = Joined(parts, "; ");
  }
  return row;
}

std::vector<std::string> RowWords(const TableRow& row) { return WordsOfLine(row.words); }

std::string CellOf(const std::vector<Column>& columns, const TableRow& row, std::size_t column) {
  switch (columns[column].kind) {
    case ColumnKind::Label: return row.label.value_or(std::string());
    case ColumnKind::Words: return row.words;
    case ColumnKind::Field:
      for (const RowLine& line : row.lines) {
        if (line.column == static_cast<std::int32_t>(column)) return std::string(line.text.substr(line.value_at));
      }
      return {};
    case ColumnKind::Lines: {
      std::vector<std::string_view> texts;
      for (const RowLine& line : row.lines) texts.push_back(line.text);
      return Joined(texts, "; ");
    }
    case ColumnKind::Error: return row.error;
  }
  return {};
}

// The rows' texts, each distinct one kept once: the lines of most pages
// come from a few fixed texts, so a table of many rows holds few.
struct Table::Pool {
  std::unordered_set<std::string> texts;

  std::string_view Keep(std::string_view text) { return *texts.emplace(text).first; }
};

Table::Table(const PageCommand& page, RecordDecode decode)
    : page_(&page), columns_(TableColumns(page)), decode_(std::move(decode)), pool_(std::make_unique<Pool>()) {
  if (!IsRecordPage(page)) {
    throw std::invalid_argument("the results of '" + std::string(page.name) + "' are its boxes, not lines of records");
  }
  if (!decode_) {
    decoder_ = std::make_unique<RecordDecoder>();
    decode_ = [decoder = decoder_.get()](const PageCommand& on, const std::vector<std::string>& words) {
      return decoder->Decode(on, words);
    };
  }
}

Table::~Table() = default;
Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&&) noexcept = default;

void Table::Add(const Record& record) {
  DecodeOutcome outcome;
  TableRow row = RowOf(*page_, columns_, record, decode_, outcome);
  for (RowLine& line : row.lines) line.text = pool_->Keep(line.text);
  for (std::string_view& report : row.reports) report = pool_->Keep(report);
  if (row.failure) row.failure = pool_->Keep(*row.failure);
  if (!row.error.empty()) ++errors_;
  rows_.push_back(std::move(row));
  const std::size_t index = rows_.size() - 1;
  if (shown_stale_) return;
  if (sort_column_) {
    shown_stale_ = true;
  } else if (Keeps(index)) {
    shown_.push_back(index);
  }
}

std::size_t Table::AddSome(const std::vector<Record>& records, std::size_t from, std::size_t count) {
  const std::size_t end = std::min(records.size(), from + count);
  for (std::size_t i = from; i < end; ++i) Add(records[i]);
  return std::max(from, end);
}

std::string Table::Cell(std::size_t row, std::size_t column) const { return CellOf(columns_, rows_[row], column); }

void Table::SetFilter(std::string_view text) {
  filter_ = std::string(text);
  filter_column_.reset();
  filter_folded_ = FoldForSearch(text);
  const std::size_t equals = text.find('=');
  if (equals != std::string_view::npos) {
    const std::u32string name = FoldForSearch(text.substr(0, equals));
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      if (columns_[c].kind == ColumnKind::Field && FoldForSearch(columns_[c].name) == name) {
        filter_column_ = c;
        filter_folded_ = FoldForSearch(text.substr(equals + 1));
        break;
      }
    }
  }
  shown_stale_ = true;
}

bool Table::Keeps(std::size_t row) const {
  if (filter_column_) return FoldForSearch(Cell(row, *filter_column_)) == filter_folded_;
  if (filter_folded_.empty()) return true;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (Contains(FoldForSearch(Cell(row, c)), filter_folded_)) return true;
  }
  return false;
}

void Table::SortBy(std::optional<std::size_t> column, bool descending) {
  if (column && *column >= columns_.size()) throw std::out_of_range("no such column");
  sort_column_ = column;
  descending_ = descending;
  shown_stale_ = true;
}

const std::vector<std::size_t>& Table::Shown() const {
  if (!shown_stale_) return shown_;
  shown_stale_ = false;
  shown_.clear();
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    if (Keeps(row)) shown_.push_back(row);
  }
  if (!sort_column_) return shown_;

  // Each cell's key once: empty, a number, or a folded text.
  struct Key {
    int kind = 2;  // 0 a number, 1 a text, 2 empty
    std::string cell;
    Number number;
    std::u32string folded;
  };
  std::vector<Key> keys(rows_.size());
  for (const std::size_t row : shown_) {
    Key& key = keys[row];
    key.cell = Cell(row, *sort_column_);
    if (key.cell.empty()) continue;
    if (const std::optional<Number> number = AsNumber(key.cell)) {
      key.kind = 0;
      key.number = *number;
    } else {
      key.kind = 1;
      key.folded = FoldForSearch(key.cell);
    }
  }
  const bool descending = descending_;
  std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
    const Key& x = keys[a];
    const Key& y = keys[b];
    if (x.kind != y.kind) {
      if (x.kind == 2 || y.kind == 2) return y.kind == 2;
      return descending ? x.kind > y.kind : x.kind < y.kind;
    }
    int order = 0;
    if (x.kind == 0) {
      order = CompareNumbers(x.number, y.number);
    } else if (x.kind == 1) {
      order = x.folded < y.folded ? -1 : y.folded < x.folded ? 1 : 0;
    }
    return descending ? order > 0 : order < 0;
  });
  return shown_;
}

Address Table::AddressOf(std::size_t row) const { return {std::string(page_->name), RowWords(rows_[row])}; }

std::string Guarded(std::string_view cell) {
  if (!cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos) {
    return "'" + std::string(cell);
  }
  return std::string(cell);
}

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i != 0) line += ';';
    const std::string cell = Guarded(cells[i]);
    if (cell.find_first_of(";\"\r\n") == std::string::npos) {
      line += cell;
      continue;
    }
    line += '"';
    for (const char c : cell) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  line += "\r\n";
  return line;
}

std::string TsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i != 0) line += '\t';
    line += EscapeField(Guarded(cells[i]));
  }
  line += '\n';
  return line;
}

std::vector<std::string> Headings(const std::vector<Column>& columns) {
  std::vector<std::string> names;
  names.reserve(columns.size());
  for (const Column& column : columns) names.push_back(column.name);
  return names;
}

std::vector<std::string> RowCells(const std::vector<Column>& columns, const TableRow& row) {
  std::vector<std::string> cells;
  cells.reserve(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) cells.push_back(CellOf(columns, row, c));
  return cells;
}

namespace {

// Appends `text` as JsonString writes it.
void AppendJson(std::string& json, std::string_view text) {
  json += '"';
  std::size_t run = 0;  // the start of the bytes not yet appended
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\' && byte != 0x7F && byte != 0xC2 && byte != 0xE2) continue;
    const std::string_view rest = text.substr(i);
    unsigned escaped = 0x110000;  // none
    std::size_t length = 1;
    if (byte < 0x20 || byte == 0x7F || byte == '"' || byte == '\\') {
      escaped = byte;
    } else if (byte == 0xC2 && rest.size() > 1 && static_cast<unsigned char>(rest[1]) < 0xA0) {
      escaped = static_cast<unsigned char>(rest[1]);  // U+0080 to U+009F
      length = 2;
    } else if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) {
      escaped = rest[2] == '\xA8' ? 0x2028 : 0x2029;
      length = 3;
    }
    if (escaped == 0x110000) continue;
    json.append(text.substr(run, i - run));
    if (escaped == '"' || escaped == '\\') {
      json += '\\';
      json += static_cast<char>(escaped);
    } else if (escaped == '\n') {
      json += "\\n";
    } else if (escaped == '\r') {
      json += "\\r";
    } else if (escaped == '\t') {
      json += "\\t";
    } else {
      char hex[12];
      std::snprintf(hex, sizeof hex, "\\u%04X", escaped);
      json += hex;
    }
    i += length - 1;
    run = i + 1;
  }
  json.append(text.substr(run));
  json += '"';
}

template <typename Texts>
void AppendJsonArray(std::string& json, const Texts& texts) {
  json += '[';
  bool first = true;
  for (const auto& text : texts) {
    if (!first) json += ", ";
    AppendJson(json, text);
    first = false;
  }
  json += ']';
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json;
  AppendJson(json, text);
  return json;
}

std::string JsonLine(const std::vector<Column>& columns, const TableRow& row) {
  std::string json = "{\"line\": " + std::to_string(row.line) + ", \"label\": ";
  if (row.label) {
    AppendJson(json, *row.label);
  } else {
    json += "null";
  }
  // The words one by one from where the row keeps them (a line may hold millions).
  json += ", \"words\": [";
  const std::string_view words = row.words;
  for (std::size_t at = 0; at < words.size();) {
    const std::size_t end = std::min(words.find(' ', at), words.size());
    if (at != 0) json += ", ";
    AppendJson(json, words.substr(at, end - at));
    at = end + 1;
  }
  json += ']';
  json += ", \"fields\": {";
  bool first = true;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].kind != ColumnKind::Field) continue;
    if (!first) json += ", ";
    AppendJson(json, columns[c].name);
    json += ": ";
    AppendJson(json, CellOf(columns, row, c));
    first = false;
  }
  json += "}, \"lines\": ";
  std::vector<std::string_view> lines;
  for (const RowLine& line : row.lines) lines.push_back(line.text);
  AppendJsonArray(json, lines);
  json += ", \"reports\": ";
  AppendJsonArray(json, row.reports);
  json += ", \"error\": ";
  if (row.failure) {
    AppendJson(json, *row.failure);
  } else {
    json += "null";
  }
  json += "}\n";
  return json;
}

std::string ExportCsv(const Table& table, const std::vector<std::size_t>& rows) {
  std::string text(kByteOrderMark);
  text += CsvLine(Headings(table.columns()));
  for (const std::size_t row : rows) text += CsvLine(RowCells(table.columns(), table.Row(row)));
  return text;
}

std::string ExportTsv(const Table& table, const std::vector<std::size_t>& rows) {
  std::string text = TsvLine(Headings(table.columns()));
  text += CopyRows(table, rows);
  return text;
}

std::string ExportJson(const Table& table, const std::vector<std::size_t>& rows) {
  std::string text;
  for (const std::size_t row : rows) text += JsonLine(table.columns(), table.Row(row));
  return text;
}

std::string CopyRows(const Table& table, const std::vector<std::size_t>& rows) {
  std::string text;
  for (const std::size_t row : rows) text += TsvLine(RowCells(table.columns(), table.Row(row)));
  return text;
}

}  // namespace ostrolen::ui

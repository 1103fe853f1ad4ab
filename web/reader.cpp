// The browser page's database reader, run in a worker: the counterpart of
// the reader program. The worker's script reads the Access file's tables;
// this code answers the lookup's statements on them as the reader program
// does (tables and columns by Jet's names, LIKE, the first row in file
// order, the values' kinds and texts) and writes its outcomes in the
// reader program's encoding, which the page hands to the press.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/utf8.h"
#include "reader/access_file.h"
#include "reader/like.h"
#include "reader/query.h"
#include "reader/runner.h"
#include "reader/value_text.h"

// The file's size, and `size` of its bytes from `offset` copied to `into`
// (fewer at its end): how many.
// clang-format off
EM_JS(double, ostrolen_reader_size, (), { return Module.mdb.bytes.length; });
EM_JS(int, ostrolen_reader_bytes, (double offset, int size, unsigned char* into), {
  const bytes = Module.mdb.bytes;
  const part = bytes.subarray(Math.min(offset, bytes.length), Math.min(offset + size, bytes.length));
  HEAPU8.set(part, into);
  return part.length;
});
// clang-format on

// Tells the page that `rows` rows of `table` are read: a long first reading
// shows how far it is, and is not taken for a hang.
// clang-format off
EM_JS(void, ostrolen_reader_progress, (const char* table, double rows), {
  Module.mdb.progress(UTF8ToString(table), rows);
});
// clang-format on

// Opens the file; false when the Access reader takes it for no database.
// clang-format off
EM_JS(int, ostrolen_reader_open, (), { return Module.mdb.open() ? 1 : 0; });
// clang-format on

// What the worker's script reads from the file, as fields (see Fields below)
// in malloc'ed UTF-16 of `length` units; null when it cannot be read:
// "tables" the catalog's tables, each with its first page; "columns" a table's columns; "values" the
// values of the columns numbered in `argument` ("0,2"), row after row;
// "row" every value of the row numbered `argument`.
// clang-format off
EM_JS(char16_t*, ostrolen_reader_fields, (const char* what, const char* table, const char* argument, int* length), {
  const text = Module.mdb.fields(UTF8ToString(what), UTF8ToString(table), UTF8ToString(argument));
  if (text == null) return 0;
  const n = text.length;
  const buffer = _malloc(2 * n + 2);
  for (let i = 0; i < n; ++i) HEAPU16[(buffer >> 1) + i] = text.charCodeAt(i);
  HEAP32[length >> 2] = n;
  return buffer;
});
// clang-format on

namespace ostrolen::web {
namespace {

// The code page of the file's texts when it is a Jet 3 file, else 0. The
// worker's script hands a Jet 3 text over byte by byte (each byte one
// UTF-16 unit), so that the file's own code page decides, as in the reader
// program.
std::uint16_t jet3_code_page = 0;

std::string TextOf(std::u16string_view units) {
  if (jet3_code_page == 0) return Utf16ToUtf8(units);
  std::string bytes;
  bytes.reserve(units.size());
  for (const char16_t unit : units) {
    if (unit > 0xFF) return Utf16ToUtf8(units);
    bytes += static_cast<char>(unit);
  }
  return DecodeCodePageText(bytes, jet3_code_page);
}

// A run of fields: a kind letter, the text's length in UTF-16 units, ":"
// and the text.
class Fields {
 public:
  Fields(const char* what, const std::string& table = {}, const std::string& argument = {}) {
    int length = 0;
    data_ = ostrolen_reader_fields(what, table.c_str(), argument.c_str(), &length);
    if (data_ != nullptr) text_ = std::u16string_view(data_, static_cast<std::size_t>(length));
  }
  ~Fields() { std::free(data_); }
  Fields(const Fields&) = delete;
  Fields& operator=(const Fields&) = delete;

  bool Ok() const { return data_ != nullptr; }
  bool AtEnd() const { return at_ >= text_.size(); }

  // The next field; false at the end or on a malformed run.
  // `raw`, when given, gets the text as the worker's script handed it over
  // (a Jet 3 table's name is asked for so).
  bool Next(char16_t& kind, std::string& text, std::string* raw = nullptr) {
    if (at_ >= text_.size()) return false;
    kind = text_[at_++];
    std::size_t length = 0;
    while (at_ < text_.size() && text_[at_] >= u'0' && text_[at_] <= u'9') length = length * 10 + (text_[at_++] - u'0');
    if (at_ >= text_.size() || text_[at_] != u':' || text_.size() - at_ - 1 < length) return false;
    text = TextOf(text_.substr(at_ + 1, length));
    if (raw != nullptr) *raw = Utf16ToUtf8(text_.substr(at_ + 1, length));
    at_ += 1 + length;
    return true;
  }

 private:
  char16_t* data_ = nullptr;
  std::u16string_view text_;
  std::size_t at_ = 0;
};

// A value as the worker's script hands it over (see web/mdb_worker.js).
Value MakeValue(char16_t kind, const std::string& text) {
  Value value;
  const auto zero = [&] { return text.find_first_not_of("-0.") == std::string::npos; };
  switch (kind) {
    case u'n': return value;
    case u'b':
    case u'B':
      value.kind = Value::Kind::Boolean;
      value.text = kind == u'B' ? "True" : "False";
      value.is_false = kind == u'b';
      return value;
    case u'x': value.kind = Value::Kind::Binary; return value;
    case u't':
      value.kind = Value::Kind::Text;
      value.text = text;
      return value;
    case u'u': {  // a replication id, as the reader program writes it
      value.kind = Value::Kind::Text;
      value.text = "{";
      for (const char c : text) value.text += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
      value.text += "}";
      return value;
    }
    default: break;
  }
  value.kind = Value::Kind::Number;
  switch (kind) {
    case u'i':
      value.text = text;
      value.is_false = text == "0";
      break;
    case u'f': {
      const auto v = static_cast<float>(std::strtod(text.c_str(), nullptr));
      value.text = FormatNumber(v, 7);
      value.is_false = v == 0;
      break;
    }
    case u'd': {
      const double v = std::strtod(text.c_str(), nullptr);
      value.text = FormatNumber(v, 15);
      value.is_false = v == 0;
      break;
    }
    case u'D': {  // milliseconds since 1970, as the Access reader gives a date
      const double td = std::strtod(text.c_str(), nullptr) / 86400000.0 + 25569.0;
      const std::optional<std::string> formatted = FormatDate(td);
      if (!formatted) {
        value.kind = Value::Kind::Binary;
        break;
      }
      value.text = *formatted;
      value.is_false = td == 0;
      break;
    }
    case u'm': {  // currency: four decimals, trailing zeros dropped
      value.text = text;
      if (value.text.find('.') != std::string::npos) {
        while (value.text.back() == '0') value.text.pop_back();
        if (value.text.back() == '.') value.text.pop_back();
      }
      value.is_false = zero();
      break;
    }
    case u'N':
      value.text = text;
      value.is_false = zero();
      break;
    default: value.kind = Value::Kind::Binary; break;
  }
  return value;
}

// The tables as the worker's script reads them, a run of rows at a time.
class WorkerRows final : public RowSource {
 public:
  std::uint64_t Size() override { return static_cast<std::uint64_t>(ostrolen_reader_size()); }
  std::string Bytes(std::uint64_t offset, std::size_t length) override {
    std::string bytes(length, '\0');
    const int n = ostrolen_reader_bytes(static_cast<double>(offset), static_cast<int>(length),
                                        reinterpret_cast<unsigned char*>(bytes.data()));
    bytes.resize(static_cast<std::size_t>(std::max(n, 0)));
    return bytes;
  }

  bool Open(const AccessHeader& /*header*/, std::uint16_t code_page) override {
    jet3_code_page = code_page;
    return ostrolen_reader_open() != 0;
  }

  std::optional<std::vector<TableEntry>> Tables() override {
    Fields catalog("tables");
    if (!catalog.Ok()) return std::nullopt;
    std::vector<TableEntry> tables;
    char16_t kind = 0;
    std::string name, raw, page;
    while (catalog.Next(kind, name, &raw) && catalog.Next(kind, page)) {
      tables.push_back({name, static_cast<std::uint32_t>(std::strtoul(page.c_str(), nullptr, 10))});
      raw_names_.push_back(raw);
    }
    return tables;
  }

  std::optional<std::vector<std::string>> Columns(std::size_t table) override {
    table_ = raw_names_.at(table);
    Fields columns("columns", table_);
    std::vector<std::string> names;
    char16_t kind = 0;
    std::string text;
    while (columns.Ok() && columns.Next(kind, text)) names.push_back(text);
    if (!columns.Ok() || !columns.AtEnd()) return std::nullopt;
    run_.reset();
    next_ = 0;
    run_size_ = kFirstRun;
    ended_ = false;
    return names;
  }

  RowStep NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) override {
    if (!run_ || run_->AtEnd()) {
      // The last run was short: the table has no more rows.
      if (ended_ || (run_ && read_ - run_first_ < run_size_)) return RowStep::End;
      if (run_) {
        run_first_ += run_size_;
        run_size_ = std::min(run_size_ * 2, kLongestRun);
        ostrolen_reader_progress(table_.c_str(), static_cast<double>(run_first_));
      } else {
        run_first_ = 0;
      }
      read_ = run_first_;
      std::string list;
      for (const std::size_t column : compared) list += (list.empty() ? "" : ",") + std::to_string(column);
      run_.emplace("values", table_, list + ";" + std::to_string(run_first_) + ";" + std::to_string(run_size_));
      if (!run_->Ok()) return RowStep::Damaged;
      if (run_->AtEnd()) {
        ended_ = true;
        return RowStep::End;
      }
    }
    char16_t kind = 0;
    std::string text;
    for (std::size_t i = 0; i < compared.size(); ++i) {
      if (!run_->Next(kind, text)) return RowStep::Damaged;
      values.push_back(MakeValue(kind, text));
    }
    next_ = read_++;
    return RowStep::Row;
  }

  bool WholeRow(std::vector<Value>& row) override {
    Fields values("row", table_, std::to_string(next_));
    char16_t kind = 0;
    std::string text;
    while (values.Ok() && values.Next(kind, text)) row.push_back(MakeValue(kind, text));
    return values.Ok() && values.AtEnd();
  }

 private:
  // Runs of rows that grow, so that the reading stops soon once every
  // statement has its row, and a long table is read in a few calls.
  static constexpr std::size_t kFirstRun = 2048;
  static constexpr std::size_t kLongestRun = 65536;

  std::vector<std::string> raw_names_;  // as the worker's script has them
  std::string table_;
  std::optional<Fields> run_;
  std::size_t run_first_ = 0, run_size_ = kFirstRun, read_ = 0, next_ = 0;
  bool ended_ = false;
};

std::string answer;

}  // namespace
}  // namespace ostrolen::web

extern "C" {

// Answers a request (the reader program's argument) on the worker's file;
// the outcome bytes, ostrolen_read_size() of them.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_read(const char* request) {
  std::string path;
  std::vector<ostrolen::Statement> statements;
  ostrolen::web::answer.clear();
  if (ostrolen::DecodeRequest(request, path, statements)) {
    ostrolen::web::WorkerRows rows;
    for (const ostrolen::StatementOutcome& outcome : ostrolen::RunStatements(rows, path, statements))
      ostrolen::web::answer += ostrolen::EncodeOutcome(outcome);
  }
  return ostrolen::web::answer.data();
}

EMSCRIPTEN_KEEPALIVE int ostrolen_read_size() { return static_cast<int>(ostrolen::web::answer.size()); }

}  // extern "C"

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

#include "pages/segments/access_file.h"
#include "pages/segments/like.h"
#include "pages/segments/query.h"
#include "pages/segments/value_text.h"

// The file's size and its first `size` bytes copied to `into`.
// clang-format off
EM_JS(double, ostrolen_reader_header, (unsigned char* into, int size), {
  const bytes = Module.mdb.bytes;
  HEAPU8.set(bytes.subarray(0, Math.min(size, bytes.length)), into);
  return bytes.length;
});
// clang-format on

// Opens the file; false when the Access reader takes it for no database.
// clang-format off
EM_JS(int, ostrolen_reader_open, (), { return Module.mdb.open() ? 1 : 0; });
// clang-format on

// What the worker's script reads from the file, as fields (see Fields below)
// in malloc'ed UTF-16 of `length` units; null when it cannot be read:
// "tables" the catalog's tables; "columns" a table's columns; "values" the
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

StatementOutcome Failed(ReadFailure failure, std::string name = {}) {
  StatementOutcome outcome;
  outcome.failure = failure;
  outcome.name = std::move(name);
  return outcome;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD, as in a Jet text.
std::string FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

// The code page of the file's texts when it is a Jet 3 file, else 0. The
// worker's script hands a Jet 3 text over byte by byte (each byte one
// UTF-16 unit), so that the file's own code page decides, as in the reader
// program.
std::uint16_t jet3_code_page = 0;

std::string TextOf(std::u16string_view units) {
  if (jet3_code_page == 0) return FromUtf16(units);
  std::string bytes;
  bytes.reserve(units.size());
  for (const char16_t unit : units) {
    if (unit > 0xFF) return FromUtf16(units);
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
    if (raw != nullptr) *raw = FromUtf16(text_.substr(at_ + 1, length));
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

struct Pending {
  std::size_t index = 0;
  std::vector<std::pair<std::size_t, LikePattern>> tests;
};

// Every statement on one table in a single pass over its rows in file
// order; each keeps its first matching row. Only the compared columns are
// read for every row, and then the rows that matched, whole.
// `found` is the table's name as the worker's script knows it.
void RunOnTable(const std::string& found, const std::vector<Statement>& statements,
                const std::vector<std::size_t>& which, std::vector<std::optional<StatementOutcome>>& outcomes) {
  const std::string& table_name = statements[which.front()].table;
  const auto fail_all = [&](ReadFailure failure) {
    for (const std::size_t i : which) {
      if (!outcomes[i]) outcomes[i] = Failed(failure, table_name);
    }
  };
  char16_t kind = 0;
  std::string text;
  Fields columns("columns", found);
  QueryResult shape;
  while (columns.Ok() && columns.Next(kind, text)) shape.columns.push_back(text);
  if (!columns.Ok() || !columns.AtEnd()) return fail_all(ReadFailure::DamagedTable);

  std::vector<Pending> pending;
  std::vector<std::size_t> compared;  // the columns read for every row
  for (const std::size_t i : which) {
    ConditionPlan plan = PlanConditions(shape.columns, statements[i]);
    if (plan.failure != ReadFailure::None) {
      outcomes[i] = Failed(plan.failure, plan.name);
      continue;
    }
    // Each test reads its column's slot among the columns read for every row.
    Pending p{i, {}};
    for (auto& [column, pattern] : plan.tests) {
      std::size_t slot = 0;
      while (slot < compared.size() && compared[slot] != column) ++slot;
      if (slot == compared.size()) compared.push_back(column);
      p.tests.emplace_back(slot, std::move(pattern));
    }
    pending.push_back(std::move(p));
  }
  std::vector<std::pair<std::size_t, std::size_t>> found_rows;  // statement, row
  // A damaged table: the statements whose rows are not read yet fail with it.
  const auto damaged = [&] {
    for (const auto& [statement, row] : found_rows) {
      if (!outcomes[statement]->result.has_row) outcomes[statement].reset();
    }
    fail_all(ReadFailure::DamagedTable);
  };
  if (!pending.empty() && !shape.columns.empty()) {
    std::string list;
    for (const std::size_t column : compared) list += (list.empty() ? "" : ",") + std::to_string(column);
    std::size_t open = pending.size();
    std::vector<Value> row(compared.size());
    // In runs of rows, so that the reading stops (as the reader program's
    // does) once every statement has its row.
    constexpr std::size_t kRun = 2048;
    for (std::size_t first = 0; open > 0; first += kRun) {
      Fields values("values", found, list + ";" + std::to_string(first) + ";" + std::to_string(kRun));
      if (!values.Ok()) return damaged();
      std::size_t r = first;
      for (; open > 0 && !values.AtEnd(); ++r) {
        for (Value& value : row) {
          if (!values.Next(kind, text)) return damaged();
          value = MakeValue(kind, text);
        }
        for (Pending& p : pending) {
          if (outcomes[p.index]) continue;
          bool match = true;
          for (const auto& [slot, pattern] : p.tests) {
            const std::optional<std::string> like = LikeText(row[slot]);
            if (!like || !pattern.Matches(*like)) {
              match = false;
              break;
            }
          }
          if (!match) continue;
          outcomes[p.index] = StatementOutcome{};  // found: its row is read below
          found_rows.emplace_back(p.index, r);
          --open;
        }
      }
      if (r - first < kRun) break;  // the table's last run
    }
  }
  for (const auto& [statement, r] : found_rows) {
    Fields values("row", found, std::to_string(r));
    StatementOutcome outcome;
    outcome.result = shape;
    outcome.result.has_row = true;
    while (values.Ok() && outcome.result.row.size() < shape.columns.size() && values.Next(kind, text)) {
      outcome.result.row.push_back(MakeValue(kind, text));
    }
    if (outcome.result.row.size() != shape.columns.size()) return damaged();
    outcomes[statement] = std::move(outcome);
  }
  for (const Pending& p : pending) {
    if (!outcomes[p.index]) {
      StatementOutcome empty;
      empty.result = shape;
      outcomes[p.index] = std::move(empty);
    }
  }
}

std::string Read(const std::string& path, const std::vector<Statement>& statements) {
  std::vector<std::optional<StatementOutcome>> outcomes(statements.size());
  const auto all = [&] {
    std::string bytes;
    for (const auto& outcome : outcomes) bytes += EncodeOutcome(*outcome);
    return bytes;
  };
  // Every statement fails alike; `name` is what the failure is about.
  const auto fail_all = [&](ReadFailure failure, const std::string& name) {
    for (auto& outcome : outcomes) outcome = Failed(failure, name);
    return all();
  };
  // Page 0 decides, as in the reader program: which engine wrote the file,
  // whether its pages can be read, and a Jet 3 file's code page.
  constexpr int kPageZero = 4096;
  std::string page_zero(kPageZero, '\0');
  const double size = ostrolen_reader_header(reinterpret_cast<unsigned char*>(page_zero.data()), kPageZero);
  page_zero.resize(static_cast<std::size_t>(std::min<double>(size, kPageZero)));
  jet3_code_page = 0;
  const std::optional<AccessHeader> header = ReadAccessHeader(page_zero);
  if (!header) return fail_all(ReadFailure::NotDatabase, path);
  if (header->engine == AccessEngine::Unknown)
    return fail_all(ReadFailure::UnknownVersion, std::to_string(header->version));
  if (EncryptedBeyondReading(*header)) return fail_all(ReadFailure::Encrypted, AccessVersionName(*header));
  if (header->engine == AccessEngine::Jet3) {
    const std::uint16_t code_page = Jet3CodePage(*header);
    if (CodePageCharset(code_page).empty()) return fail_all(ReadFailure::UnknownCodePage, std::to_string(code_page));
    jet3_code_page = code_page;
  }
  // Past a sound page 0, a file the Access reader cannot open is damaged.
  if (ostrolen_reader_open() == 0) return fail_all(ReadFailure::DamagedFile, path);

  Fields catalog("tables");
  if (!catalog.Ok()) return fail_all(ReadFailure::DamagedFile, path);
  std::vector<std::pair<std::string, std::string>> tables;  // the name, and as the worker's script has it
  char16_t kind = 0;
  std::string name;
  std::string raw;
  while (catalog.Next(kind, name, &raw)) tables.emplace_back(name, raw);

  std::vector<bool> done(statements.size(), false);
  for (std::size_t i = 0; i < statements.size(); ++i) {
    if (done[i]) continue;
    std::vector<std::size_t> which;
    for (std::size_t j = i; j < statements.size(); ++j) {
      if (!done[j] && SameName(statements[j].table, statements[i].table)) {
        which.push_back(j);
        done[j] = true;
      }
    }
    const std::string* found = nullptr;
    for (const auto& [table, as_read] : tables) {
      if (SameName(table, statements[i].table)) {
        found = &as_read;
        break;
      }
    }
    if (found != nullptr) {
      RunOnTable(*found, statements, which, outcomes);
    } else {
      for (const std::size_t j : which) outcomes[j] = Failed(ReadFailure::MissingTable, statements[j].table);
    }
  }
  return all();
}

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
  if (ostrolen::DecodeRequest(request, path, statements)) ostrolen::web::answer = ostrolen::web::Read(path, statements);
  return ostrolen::web::answer.data();
}

EMSCRIPTEN_KEEPALIVE int ostrolen_read_size() { return static_cast<int>(ostrolen::web::answer.size()); }

}  // extern "C"

// ostrolen-mdb-dump: every row of some tables of an Access file, as the
// reader program reads them, for checking the reader on real files
// against mdbtools (see check-files beside this). A developer tool; not
// installed.
//
//   ostrolen-mdb-dump FILE [TABLE...]
//
// Without tables: every table of the catalog but the system ones (MSys...).
// For each table, one line a record, fields TAB separated, with backslash,
// TAB, line feed and carriage return written \\, \t, \n, \r:
//   table NAME
//   fail CODE NAME          the reader's verdict for "Select * FROM NAME"
//                           (CODE is ReadFailure's number); nothing follows
//   columns NAME...
//   row VALUE...            each value a kind letter and its text: N null,
//                           T text, D number or date, B Yes/No, X binary
//   damaged                 a row the reader took for damaged ended the table
//   end COUNT               the table's rows
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/utf8.h"
#include "reader/access_file.h"
#include "reader/framing.h"
#include "reader/query.h"
#include "reader/runner.h"

// The reader program's own row source (FileBytes, LibmdbRows), so that the
// rows come out exactly as the program reads them; its main is not this one.
#define main ostrolen_mdb_reader_main
#include "reader/mdb_reader.cpp"  // NOLINT(bugprone-suspicious-include)
#undef main

namespace ostrolen {
namespace {

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

void Record(const std::string& kind, const std::vector<std::string>& fields) {
  std::string line = kind;
  for (const std::string& field : fields) line += '\t' + Escaped(field);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string Field(const Value& value) {
  switch (value.kind) {
    case Value::Kind::Null: return "N";
    case Value::Kind::Text: return "T" + value.text;
    case Value::Kind::Number: return "D" + value.text;
    case Value::Kind::Boolean: return "B" + value.text;
    case Value::Kind::Binary: return "X";
  }
  return "X";
}

int Run(const std::string& path, std::vector<std::string> tables) {
  FileBytes bytes;
  if (const ReadFailure failure = bytes.Load(path); failure != ReadFailure::None) {
    Record("fail", {std::to_string(static_cast<int>(failure)), path});
    return 1;
  }
  const std::optional<AccessHeader> header = ReadAccessHeader(std::string(bytes.View().substr(0, 4096)));
  if (tables.empty()) {
    LibmdbRows rows(bytes);
    const std::uint16_t code_page = header && header->engine == AccessEngine::Jet3 ? Jet3CodePage(*header) : 0;
    if (header && rows.Open(*header, code_page)) {
      for (const TableEntry& entry : rows.Tables().value_or(std::vector<TableEntry>{})) {
        if (entry.name.rfind("MSys", 0) != 0) tables.push_back(entry.name);
      }
    }
  }
  // The reader's verdicts first, through the one statement runner.
  std::vector<Statement> statements;
  for (const std::string& table : tables) statements.push_back({table, {}});
  LibmdbRows verdicts(bytes);
  const std::vector<StatementOutcome> outcomes = RunStatements(verdicts, path, statements);
  for (std::size_t t = 0; t < tables.size(); ++t) {
    Record("table", {tables[t]});
    if (outcomes[t].failure != ReadFailure::None) {
      Record("fail", {std::to_string(static_cast<int>(outcomes[t].failure)), outcomes[t].name});
      continue;
    }
    // Then every row, from the same row source the runner reads.
    LibmdbRows rows(bytes);
    const std::uint16_t code_page = header->engine == AccessEngine::Jet3 ? Jet3CodePage(*header) : 0;
    std::optional<std::vector<TableEntry>> entries;
    if (rows.Open(*header, code_page)) entries = rows.Tables();
    std::size_t found = 0;
    while (entries && found < entries->size() && !SameName((*entries)[found].name, tables[t])) ++found;
    std::optional<std::vector<std::string>> columns;
    if (entries && found < entries->size()) columns = rows.Columns(found);
    if (!columns) {
      Record("damaged", {});
      continue;
    }
    Record("columns", *columns);
    FileFraming framing(rows, *header);
    const std::vector<bool> calculated =
        framing.CalculatedColumns((*entries)[found].page).value_or(std::vector<bool>{});
    std::vector<std::size_t> all;
    for (std::size_t c = 0; c < columns->size(); ++c) all.push_back(c);
    std::size_t count = 0;
    for (;;) {
      std::vector<Value> values;
      const RowStep step = rows.NextRow(all, values);
      if (step == RowStep::End) break;
      if (step == RowStep::Damaged) {
        Record("damaged", {});
        break;
      }
      WithoutCalculated(values, all, calculated);
      std::vector<std::string> fields;
      for (const Value& value : values) fields.push_back(Field(value));
      Record("row", fields);
      ++count;
    }
    Record("end", {std::to_string(count)});
  }
  return 0;
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  (void)&ostrolen_mdb_reader_main;
  ::unsetenv("MDBICONV");
  if (argc < 2) {
    std::fputs("usage: ostrolen-mdb-dump FILE [TABLE...]\n", stderr);
    return 2;
  }
  return ostrolen::Run(argv[1], std::vector<std::string>(argv + 2, argv + argc));
}

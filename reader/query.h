// The statements the segment lookup runs and what comes back from them,
// and their encoding between the page and the reader program, which does
// the reading of the database file in a process of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrolen {

// `column LIKE 'pattern'`; the pattern is data, so a quote in it is a
// character to match like any other.
struct Condition {
  std::string column;
  std::string pattern;
};

// "Select * FROM table WHERE ... AND ...".
struct Statement {
  std::string table;
  std::vector<Condition> conditions;
};

struct Value {
  enum class Kind : std::uint8_t {
    Null,
    Text,     // as stored
    Number,   // numbers and dates, in their decimal or date text
    Boolean,  // Yes/No: "True" or "False"
    Binary,   // binary, OLE and the like: no text at all
  };
  Kind kind = Kind::Null;
  std::string text;
  bool is_false = false;  // a false Yes/No value or a numeric zero
};

struct QueryResult {
  std::vector<std::string> columns;  // every column of the table, in table order
  bool has_row = false;
  std::vector<Value> row;  // the first row in file order, one value per column
};

// Why a statement gave no result.
enum class ReadFailure : std::uint8_t {
  None,
  MissingFile,
  NoAccess,
  NotAFile,
  Unreadable,
  NotDatabase,
  DamagedFile,
  MissingTable,
  DamagedTable,
  MissingColumn,
  BadPattern,
  UnknownVersion,   // an Access signature, a version not known here
  Encrypted,        // Access 2007 and later, encrypted with a password
  UnknownCodePage,  // a Jet 3 file's texts in a code page iconv cannot read
  // Found by the page, not by the reader:
  NoReader,
  ReaderNotStarted,
  ReaderCrashed,
  ReaderTimedOut,
};

struct StatementOutcome {
  ReadFailure failure = ReadFailure::None;
  std::string name;  // the table, column, pattern, version or code page the failure is about
  QueryResult result;
};

// An outcome without a result: `failure`, about `name`.
StatementOutcome Failed(ReadFailure failure, std::string_view name = {});

// The reader's one argument: the file and the statements, hex-coded so
// that any text travels safely.
std::string EncodeRequest(std::string_view file, const std::vector<Statement>& statements);
bool DecodeRequest(std::string_view argument, std::string& file, std::vector<Statement>& statements);

// The reader writes one outcome per statement, in statement order.
std::string EncodeOutcome(const StatementOutcome& outcome);
// As many whole outcomes as `bytes` holds, at most `count`, in order.
std::vector<StatementOutcome> DecodeOutcomes(std::string_view bytes, std::size_t count);

}  // namespace ostrolen

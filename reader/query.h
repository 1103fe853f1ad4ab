// The statements the segment lookup runs and what comes back from them,
// and their encoding between the page and the reader program, which does
// the reading of the database file in a process of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrolen {

// `column LIKE 'pattern'`; the pattern is data, so a quote in it is a
// character to match like any other.
struct Condition {
  std::string column;
  std::string pattern;
  bool operator==(const Condition&) const = default;
};

// "Select * FROM table WHERE ... AND ...".
struct Statement {
  std::string table;
  std::vector<Condition> conditions;
  bool operator==(const Statement&) const = default;
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
  Cancelled,  // the operator ended the reading: nothing to show
};

struct StatementOutcome {
  ReadFailure failure = ReadFailure::None;
  std::string name;  // the table, column, pattern, version or code page the failure is about
  QueryResult result;
};

// A statement as one text, each part led by its length: equal for equal
// statements only.
std::string StatementKey(const Statement& statement);

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

// The kept reader program and its caller talk in frames: a kind, a
// little-endian 32-bit length, then that many bytes. The caller asks with
// one frame (kStatements: EncodeRequest's text; kRows: the row request's
// fields, each followed by a zero byte); the reader answers with any
// number of frames and ends every answer with kEnd. kProgress comes at
// least every tenth of a second while a reading goes forward: one byte, how
// far the reading of the table at hand is in whole per cent (0-99), or 255
// when that is not known.
namespace frame {
inline constexpr char kStatements = 'S';
inline constexpr char kRows = 'R';
inline constexpr char kProgress = 'P';
inline constexpr char kOutcome = 'O';  // one EncodeOutcome, in statement order
inline constexpr char kText = 'T';     // a piece of the row listing's text
inline constexpr char kEnd = 'E';
inline constexpr std::size_t kHeader = 5;
inline constexpr std::size_t kMost = std::size_t{64} << 20;  // no frame is longer
inline constexpr std::uint8_t kUnknownShare = 255;
}  // namespace frame

std::string EncodeFrame(char kind, std::string_view payload);

// The first whole frame of `bytes` from `at`: its kind and payload, and `at`
// moved past it. Nothing while the frame is not whole yet; `bad` is set
// when the bytes cannot be a frame (a length over frame::kMost).
struct Frame {
  char kind = 0;
  std::string_view payload;
};
std::optional<Frame> NextFrame(std::string_view bytes, std::size_t& at, bool& bad);

}  // namespace ostrolen

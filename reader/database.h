// The reference database as the segment lookup sees it: a connection that
// runs statements and gives each one's first row, with values that may be
// null. The reading itself happens in the reader program, kept running for
// the connection's life, so a file that upsets the library ends in an
// error box and never takes the caller with it.
#pragma once

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reader/program.h"
#include "reader/query.h"

namespace ostrolen {

// Every failure of the database and of its values; the common error
// handler shows the message.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kDatabaseFile = "dbveltra.mdb";
inline constexpr std::string_view kReaderName = "ostrolen-mdb-reader";
inline constexpr std::string_view kVariantConversionMessage = "Invalid variant type conversion";

// `file` as the kept reader must open it: a relative name taken from the
// caller's current folder, which the reader (started earlier, maybe
// elsewhere) does not follow.
std::string FromHere(const std::string& file);

// The operator's text for a failed statement on `table`.
std::string FailureMessage(ReadFailure failure, std::string_view file, std::string_view table, std::string_view name);

// The reader program: $OSTROLEN_MDB_READER if set, else the one beside
// this program, else the installed one. Empty when none is there.
std::string FindReader();

// How long the reader program may go without progress: $OSTROLEN_READER_TIME_LIMIT_MS
// when it is a whole number of milliseconds from 1 on (for a very slow
// machine, or to wait for a test without a clock), else `fallback`.
std::chrono::milliseconds ReaderTimeLimit(std::chrono::milliseconds fallback = std::chrono::seconds(5));

class Connection {
 public:
  // `file` as the reader opens it: a bare name is looked for in the
  // current directory at every run. The reader is ended when it makes no
  // progress for `time_limit`.
  explicit Connection(std::string file = std::string(kDatabaseFile),
                      std::chrono::milliseconds time_limit = ReaderTimeLimit());

  // Runs `statements` on the file as it is now and gives one outcome per
  // statement. The reader reads the file again only when it changed. When
  // the reader crashes, stops making progress or is cancelled, the
  // statements it had not answered carry that failure
  // (ReaderCrashed, ReaderTimedOut, Cancelled).
  std::vector<StatementOutcome> Run(const std::vector<Statement>& statements);

  // The rows of `file` that `request` asks for (frame::kRows: fields each
  // ended by a zero byte), as the reader writes them; `failure` is None
  // when the listing came whole, else why it stopped.
  std::string ListRows(const std::string& request, ReadFailure& failure);

  // The outcomes of `statements`, read beforehand (off the window's
  // thread): the next Run of exactly these statements gives them without
  // reading again; any other Run forgets them.
  void Prefetched(std::vector<Statement> statements, std::vector<StatementOutcome> outcomes) {
    prefetched_statements_ = std::move(statements);
    prefetched_ = std::move(outcomes);
  }

  // The outcomes of many lookups read at once (the next records of a
  // table): until ForgetKept, a Run whose statements are all among them is
  // answered from them without reading; any other Run reads as always.
  void Keep(const std::vector<Statement>& statements, std::vector<StatementOutcome> outcomes);
  void ForgetKept() { kept_.clear(); }

  // Ends a Run or ListRows under way from another thread: it gives
  // Cancelled, and so does every later one until ClearCancel; the next
  // after that starts a new reader.
  void Cancel() { reader_.Cancel(); }
  void ClearCancel() { reader_.ClearCancel(); }

  // How far a reading is, in whole per cent, or -1 when that is not known;
  // called on the reading's thread. Empty: not told.
  using Progress = std::function<void(int percent)>;
  void SetProgress(Progress progress) { progress_ = std::move(progress); }

  // The kept reader (tests end it or look at its process).
  KeptProgram& Reader() { return reader_; }

  const std::string& File() const { return file_; }
  // The browser page reads the file the operator chose, whatever its name.
  void SetFile(std::string file) { file_ = std::move(file); }

  // Where the outcomes come from when the reader program cannot be started
  // (the browser page reads the file itself): called with the file and the
  // statements, it answers as Run does. Empty: the reader program.
  using Runner =
      std::function<std::vector<StatementOutcome>(const std::string& file, const std::vector<Statement>& statements)>;
  void SetRunner(Runner runner) { runner_ = std::move(runner); }

 private:
  ReadFailure Ask(char kind, std::string_view payload, const std::function<void(const Frame&)>& answer);

  std::string file_;
  Runner runner_;
  std::chrono::milliseconds time_limit_;
  KeptProgram reader_{std::string(kReaderName), "OSTROLEN_MDB_READER"};
  Progress progress_;
  std::vector<Statement> prefetched_statements_;
  std::vector<StatementOutcome> prefetched_;
  std::unordered_map<std::string, StatementOutcome> kept_;  // by StatementKey
};

// ADOConnection1: made by the first lookup, kept to the end of the program.
Connection& ReferenceDatabase();

// The value of the column called `name` (letter case ignored, first match)
// in the result's first row; null when the result has no row. A name the
// result lacks: "ADOQuery1: Field 'NAME' not found".
const Value& FieldValue(const QueryResult& result, std::string_view name);

// The value as text; a null or binary value: "Invalid variant type conversion".
std::string ValueText(const Value& value);

// Equal to false: a false Yes/No value or a numeric zero; null is not.
bool EqualsFalse(const Value& value);

}  // namespace ostrolen

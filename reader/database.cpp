#include "reader/database.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "reader/like.h"
#include "reader/program.h"

namespace ostrolen {
namespace {

std::string Quoted(std::string_view name) { return "«" + std::string(name) + "»"; }

}  // namespace

std::string FailureMessage(ReadFailure failure, std::string_view file, std::string_view table, std::string_view name) {
  const std::string f = Quoted(file);
  switch (failure) {
    case ReadFailure::None: return {};
    case ReadFailure::MissingFile: return "Не найден файл базы данных " + f;
    case ReadFailure::NoAccess: return "Нет доступа к файлу базы данных " + f;
    case ReadFailure::NotAFile: return f + " — не файл базы данных, а папка или устройство";
    case ReadFailure::Unreadable: return "Не удалось прочитать файл базы данных " + f;
    case ReadFailure::NotDatabase: return "Файл " + f + " не является базой данных Access";
    case ReadFailure::DamagedFile: return "Файл базы данных " + f + " повреждён";
    case ReadFailure::MissingTable: return "В базе данных " + f + " нет таблицы " + Quoted(name);
    case ReadFailure::DamagedTable: return "Таблица " + Quoted(name) + " в базе данных " + f + " повреждена";
    case ReadFailure::MissingColumn:
      return "В таблице " + Quoted(table) + " базы данных " + f + " нет столбца " + Quoted(name);
    case ReadFailure::BadPattern: return "Недопустимый образец поиска " + Quoted(name);
    case ReadFailure::UnknownVersion:
      return "Файл " + f + " — база данных Access неизвестной версии (" + std::string(name) +
             "); для запроса нужна база данных Access 97–2019";
    case ReadFailure::Encrypted:
      return "Файл " + f + " — зашифрованная база данных " + std::string(name) +
             "; для запроса нужна база данных без шифрования: расшифруйте её в Access";
    case ReadFailure::UnknownCodePage:
      return "Тексты базы данных Access 97 " + f + " записаны в кодовой странице " + std::string(name) +
             ", которую программа не знает; для запроса нужна база данных в кодовой странице Windows";
    case ReadFailure::NoReader: return "Не найдена программа чтения базы данных " + std::string(kReaderName);
    case ReadFailure::ReaderNotStarted: return "Не удалось запустить программу чтения базы данных " + Quoted(name);
    case ReadFailure::ReaderCrashed:
      return "Чтение базы данных " + f + " завершилось аварийно: файл, видимо, повреждён";
    case ReadFailure::ReaderTimedOut:
      return "Чтение базы данных " + f + " не завершилось вовремя и прервано: файл, видимо, повреждён";
    case ReadFailure::Cancelled: return {};
  }
  return {};
}

std::string FromHere(const std::string& file) {
  if (file.empty() || file.front() == '/') return file;
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(file, error);
  return error ? file : path.string();
}

std::string FindReader() { return FindProgram(kReaderName, "OSTROLEN_MDB_READER"); }

std::chrono::milliseconds ReaderTimeLimit(std::chrono::milliseconds fallback) {
  const char* text = std::getenv("OSTROLEN_READER_TIME_LIMIT_MS");
  if (text == nullptr || *text == '\0' || std::strlen(text) > 9) return fallback;
  long long ms = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return fallback;
    ms = ms * 10 + (*c - '0');
  }
  return ms > 0 ? std::chrono::milliseconds(ms) : fallback;
}

Connection::Connection(std::string file, std::chrono::milliseconds time_limit)
    : file_(std::move(file)), time_limit_(time_limit) {}

ReadFailure Connection::Ask(char kind, std::string_view payload, const std::function<void(const Frame&)>& answer) {
  const auto heard = [&](const Frame& f) {
    if (f.kind == frame::kProgress) {
      if (progress_ && f.payload.size() == 1) {
        const auto share = static_cast<std::uint8_t>(f.payload[0]);
        progress_(share < 100 ? share : -1);
      }
      return;
    }
    answer(f);
  };
  switch (reader_.Ask(kind, payload, time_limit_, heard)) {
    case KeptProgram::Ending::Answered: return ReadFailure::None;
    case KeptProgram::Ending::NotFound: return ReadFailure::NoReader;
    case KeptProgram::Ending::NotStarted: return ReadFailure::ReaderNotStarted;
    case KeptProgram::Ending::Crashed: return ReadFailure::ReaderCrashed;
    case KeptProgram::Ending::TimedOut: return ReadFailure::ReaderTimedOut;
    case KeptProgram::Ending::Cancelled: return ReadFailure::Cancelled;
  }
  return ReadFailure::ReaderCrashed;
}

void Connection::Keep(const std::vector<Statement>& statements, std::vector<StatementOutcome> outcomes) {
  kept_.clear();
  // A statement left unanswered reads as one the reader did not live to answer.
  for (std::size_t i = 0; i < statements.size(); ++i) {
    kept_.insert_or_assign(StatementKey(statements[i]),
                           i < outcomes.size() ? std::move(outcomes[i]) : Failed(ReadFailure::ReaderCrashed));
  }
}

std::vector<StatementOutcome> Connection::Run(const std::vector<Statement>& statements) {
  if (!kept_.empty()) {
    std::vector<StatementOutcome> answered;
    answered.reserve(statements.size());
    for (const Statement& statement : statements) {
      const auto it = kept_.find(StatementKey(statement));
      if (it == kept_.end()) break;
      answered.push_back(it->second);
    }
    if (answered.size() == statements.size()) return answered;
  }
  if (!prefetched_statements_.empty()) {
    std::vector<Statement> asked = std::move(prefetched_statements_);
    std::vector<StatementOutcome> answered = std::move(prefetched_);
    prefetched_statements_.clear();
    prefetched_.clear();
    if (asked == statements && answered.size() == statements.size()) return answered;
  }
  if (runner_) return runner_(file_, statements);
  std::vector<StatementOutcome> outcomes;
  bool garbled = false;
  const ReadFailure ending = Ask(frame::kStatements, EncodeRequest(FromHere(file_), statements), [&](const Frame& f) {
    if (f.kind != frame::kOutcome || garbled) return;
    std::vector<StatementOutcome> one = DecodeOutcomes(f.payload, 1);
    if (one.size() == 1 && outcomes.size() < statements.size()) outcomes.push_back(std::move(one.front()));
    else garbled = true;
  });
  // What the reader could not answer carries why.
  ReadFailure rest = ending;
  std::string name = file_;
  if (ending == ReadFailure::None) rest = ReadFailure::ReaderCrashed;  // an answer cut short
  if (ending == ReadFailure::NoReader) name = std::string(kReaderName);
  if (ending == ReadFailure::ReaderNotStarted) name = reader_.Program();
  while (outcomes.size() < statements.size()) outcomes.push_back(Failed(rest, name));
  return outcomes;
}

std::string Connection::ListRows(const std::string& request, ReadFailure& failure) {
  std::string text;
  failure = Ask(frame::kRows, request, [&](const Frame& f) {
    if (f.kind == frame::kText) text.append(f.payload);
  });
  return text;
}

Connection& ReferenceDatabase() {
  static Connection connection;
  return connection;
}

const Value& FieldValue(const QueryResult& result, std::string_view name) {
  static const Value kNull;
  for (std::size_t c = 0; c < result.columns.size(); ++c) {
    if (SameName(result.columns[c], name)) return result.has_row && c < result.row.size() ? result.row[c] : kNull;
  }
  throw DatabaseError("ADOQuery1: Field '" + std::string(name) + "' not found");
}

std::string ValueText(const Value& value) {
  if (value.kind == Value::Kind::Null || value.kind == Value::Kind::Binary)
    throw DatabaseError(std::string(kVariantConversionMessage));
  return value.text;
}

bool EqualsFalse(const Value& value) { return value.kind != Value::Kind::Null && value.is_false; }

}  // namespace ostrolen

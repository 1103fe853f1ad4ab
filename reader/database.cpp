#include "reader/database.h"

#include <cstdlib>
#include <cstring>

#include "reader/like.h"
#include "reader/program.h"

namespace ostrolen {
namespace {

// Far more than any lookup's rows; a reader that writes more is not well.
constexpr std::size_t kMostOutput = std::size_t{64} << 20;

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
  }
  return {};
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

std::vector<StatementOutcome> Connection::Run(const std::vector<Statement>& statements) {
  if (runner_) return runner_(file_, statements);
  std::vector<StatementOutcome> outcomes;
  const auto rest = [&](ReadFailure failure, std::string_view name) {
    while (outcomes.size() < statements.size()) outcomes.push_back(Failed(failure, name));
    return outcomes;
  };
  if (reader_.empty()) reader_ = FindReader();
  if (reader_.empty()) return rest(ReadFailure::NoReader, kReaderName);

  const ProgramOutput output = RunProgram(reader_, {EncodeRequest(file_, statements)}, time_limit_, kMostOutput);
  if (!output.started) {
    const std::string tried = reader_;
    reader_.clear();  // looked for again next time
    return rest(ReadFailure::ReaderNotStarted, tried);
  }

  outcomes = DecodeOutcomes(output.bytes, statements.size());
  return rest(output.timed_out ? ReadFailure::ReaderTimedOut : ReadFailure::ReaderCrashed, file_);
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

#include "pages/segments/database.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>

#include "pages/segments/like.h"

extern char** environ;

namespace ostrolen {
namespace {

// Far more than any lookup's rows; a reader that writes more is not well.
constexpr std::size_t kMostOutput = std::size_t{64} << 20;

std::string Quoted(std::string_view name) { return "«" + std::string(name) + "»"; }

bool Executable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  bool Ok() const { return fds_[0] >= 0; }
  int Read() const { return fds_[0]; }
  int Write() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

// Starts the reader with its stdout on `out`, stdin and stderr on /dev/null
// (libmdb talks to stderr about every oddity it meets). 0 when it cannot start.
pid_t Spawn(const std::string& reader, const std::string& request, const Pipe& out) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return 0;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return 0;
  }
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.Write(), STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string program = reader;
  std::string argument = request;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, reader.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

// Waits for the reader to end, up to `deadline`; then it is killed.
void Reap(pid_t pid, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) return;
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

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

std::string FindReader() {
  if (const char* path = std::getenv("OSTROLEN_MDB_READER"); path != nullptr && *path != '\0') return path;
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string folder(self, static_cast<std::size_t>(n));
    folder.erase(folder.find_last_of('/') + 1);
    // Beside the program in a build; under ../libexec in an installed tree,
    // wherever that tree was put.
    for (const std::string& reader :
         {folder + std::string(kReaderName), folder + "../libexec/ostrolen/" + std::string(kReaderName)}) {
      if (Executable(reader)) return reader;
    }
  }
#ifdef OSTROLEN_READER_LIBEXEC_DIR
  std::string installed = std::string(OSTROLEN_READER_LIBEXEC_DIR) + "/" + std::string(kReaderName);
  if (Executable(installed)) return installed;
#endif
  return {};
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

  Pipe out;
  if (!out.Ok()) return rest(ReadFailure::ReaderNotStarted, reader_);
  const pid_t pid = Spawn(reader_, EncodeRequest(file_, statements), out);
  if (pid == 0) {
    const std::string tried = reader_;
    reader_.clear();  // looked for again next time
    return rest(ReadFailure::ReaderNotStarted, tried);
  }
  out.CloseWrite();

  const auto deadline = std::chrono::steady_clock::now() + time_limit_;
  std::string bytes;
  bool timed_out = false, too_much = false;
  char chunk[1 << 16];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      break;
    }
    pollfd fd{out.Read(), POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (ready == 0) continue;
    const ssize_t n = ::read(out.Read(), chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
    if (bytes.size() > kMostOutput) {
      too_much = true;
      break;
    }
  }
  out.CloseRead();
  Reap(pid, timed_out || too_much ? std::chrono::steady_clock::now() : deadline);

  outcomes = DecodeOutcomes(bytes, statements.size());
  return rest(timed_out ? ReadFailure::ReaderTimedOut : ReadFailure::ReaderCrashed, file_);
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

#include "pages/search/rows.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "pages/segments/database.h"

extern char** environ;

namespace ostrolen {
namespace {

constexpr std::string_view kRowProgram = "ostrolen-mdb-rows";

// Far more than any reference database's texts.
constexpr std::size_t kMostAnswer = std::size_t{256} << 20;

const std::vector<SearchedTable>& Tables() {
  static const std::vector<SearchedTable> tables = {
      {"segmoborud", "nomsegm", "", {"oborud"}},
      {"Segment", "nomsegm", "nomstep", {"isppro", "neispr", "prim"}},
      {"segmentkup", "segm", "step", {"object", "info", "priem", "neispr", "prim"}},
  };
  return tables;
}

std::string Unescaped(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      text += field[i];
      continue;
    }
    const char c = field[++i];
    text += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return text;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(Unescaped(line.substr(0, tab)));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

const SearchedTable* TableNamed(std::string_view name) {
  for (const SearchedTable& table : Tables()) {
    if (table.table == name) return &table;
  }
  return nullptr;
}

std::string Problem(ReadFailure failure, const std::string& file, std::string_view table, std::string_view name) {
  return FailureMessage(failure, file, table, name);
}

std::string ProgramPath() {
  if (const char* path = std::getenv("OSTROLEN_MDB_ROWS"); path != nullptr && *path != '\0') return path;
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string folder(self, static_cast<std::size_t>(n));
    folder.erase(folder.find_last_of('/') + 1);
    for (const std::string& program :
         {folder + std::string(kRowProgram), folder + "../libexec/ostrolen/" + std::string(kRowProgram)}) {
      if (::access(program.c_str(), X_OK) == 0) return program;
    }
  }
#ifdef OSTROLEN_READER_LIBEXEC_DIR
  std::string installed = std::string(OSTROLEN_READER_LIBEXEC_DIR) + "/" + std::string(kRowProgram);
  if (::access(installed.c_str(), X_OK) == 0) return installed;
#endif
  return {};
}

// Starts the program with its standard output on `out`, its input and its
// error output on /dev/null; 0 when it cannot start.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return 0;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return 0;
  }
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<std::string> strings = {program};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(strings.size() + 1);
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

// The program's whole output, or what it wrote before `deadline`; the
// program is ended then, and reaped either way.
std::string ReadAll(int fd, pid_t pid, std::chrono::steady_clock::time_point deadline) {
  std::string bytes;
  char chunk[1 << 16];
  bool stopped = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || bytes.size() > kMostAnswer) {
      stopped = true;
      break;
    }
    pollfd ready{fd, POLLIN, 0};
    const int n_ready = ::poll(&ready, 1, static_cast<int>(left.count()) + 1);
    if (n_ready < 0 && errno == EINTR) continue;
    if (n_ready <= 0) continue;
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  int status = 0;
  if (stopped) ::kill(pid, SIGKILL);
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return bytes;
}

}  // namespace

std::span<const SearchedTable> SearchedTables() { return Tables(); }

std::vector<std::string> RowRequest(const std::string& file) {
  std::vector<std::string> args = {file};
  for (const SearchedTable& table : Tables()) {
    std::string columns = std::string(table.segment) + "," + std::string(table.step);
    for (const std::string_view text : table.texts) columns += "," + std::string(text);
    args.emplace_back(table.table);
    args.push_back(std::move(columns));
  }
  return args;
}

RowListing ParseRowAnswer(std::string_view answer, const std::string& file) {
  RowListing listing;
  const SearchedTable* table = nullptr;
  bool whole = false;
  const auto note = [&](std::string problem) {
    if (listing.problem.empty()) listing.problem = std::move(problem);
  };
  while (!answer.empty() && !whole) {
    const std::size_t end = answer.find('\n');
    if (end == std::string_view::npos) break;  // a record cut short: the program did not finish
    const std::vector<std::string> fields = Fields(answer.substr(0, end));
    answer.remove_prefix(end + 1);
    const std::string& kind = fields[0];
    if (kind == "end") {
      whole = true;
    } else if (kind == "table" && fields.size() == 2) {
      table = TableNamed(fields[1]);
    } else if (kind == "row" && table != nullptr && fields.size() == 3 + table->texts.size()) {
      SegmentRow row{table->table, fields[1], fields[2], {}};
      for (std::size_t c = 0; c < table->texts.size(); ++c) {
        if (!fields[3 + c].empty()) row.texts.emplace_back(table->texts[c], fields[3 + c]);
      }
      listing.rows.push_back(std::move(row));
    } else if (kind == "fail" && fields.size() == 3) {
      const int code = std::atoi(fields[1].c_str());
      note(Problem(static_cast<ReadFailure>(code), file, table != nullptr ? table->table : std::string_view{},
                   fields[2]));
    }
  }
  if (!whole) note(Problem(ReadFailure::ReaderCrashed, file, {}, {}));
  return listing;
}

RowListing ListRowsWithProgram(const std::string& file, std::chrono::milliseconds time_limit) {
  RowListing listing;
  const std::string program = ProgramPath();
  if (program.empty()) {
    listing.problem = "Не найдена программа чтения базы данных " + std::string(kRowProgram);
    return listing;
  }
  int fds[2] = {-1, -1};
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    listing.problem = Problem(ReadFailure::ReaderNotStarted, file, {}, program);
    return listing;
  }
  const pid_t pid = Spawn(program, RowRequest(file), fds[1]);
  ::close(fds[1]);
  if (pid == 0) {
    ::close(fds[0]);
    listing.problem = Problem(ReadFailure::ReaderNotStarted, file, {}, program);
    return listing;
  }
  const auto deadline = std::chrono::steady_clock::now() + time_limit;
  const std::string answer = ReadAll(fds[0], pid, deadline);
  ::close(fds[0]);
  const bool late = std::chrono::steady_clock::now() >= deadline;
  listing = ParseRowAnswer(answer, file);
  if (late && !listing.problem.empty()) listing.problem = Problem(ReadFailure::ReaderTimedOut, file, {}, {});
  return listing;
}

const RowListing& RowCache::Rows(const std::string& file) {
  Stamp stamp;
  std::error_code error;
  const std::filesystem::path path(file);
  stamp.exists = std::filesystem::exists(path, error);
  if (std::filesystem::is_regular_file(path, error)) {
    stamp.file = true;
    stamp.size = std::filesystem::file_size(path, error);
    const auto modified = std::filesystem::last_write_time(path, error).time_since_epoch();
    stamp.modified = static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(modified).count());
  }
  if (listed_ && file == file_ && stamp == stamp_) return listing_;
  file_ = file;
  stamp_ = stamp;
  listed_ = true;
  if (!stamp.file) {
    // Listed as soon as a file is there.
    listing_ = {};
    listing_.problem = FailureMessage(stamp.exists ? ReadFailure::NotAFile : ReadFailure::MissingFile, file, {}, {});
    return listing_;
  }
  listing_ = lister_ ? lister_(file) : ListRowsWithProgram(file);
  ++listings_;
  return listing_;
}

}  // namespace ostrolen

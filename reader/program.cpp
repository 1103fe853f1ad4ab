#include "reader/program.h"

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

extern char** environ;

namespace ostrolen {
namespace {

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

// Starts the program with its stdout on `out`, stdin and stderr on
// /dev/null (libmdb talks to stderr about every oddity it meets). 0 when it
// cannot start.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const Pipe& out) {
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

// Waits for the program to end, up to `deadline`; then it is killed.
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

std::string FindProgram(std::string_view name, const char* variable) {
  if (const char* path = std::getenv(variable); path != nullptr && *path != '\0') return path;
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string folder(self, static_cast<std::size_t>(n));
    folder.erase(folder.find_last_of('/') + 1);
    // Beside the program in a build; under ../libexec in an installed tree,
    // wherever that tree was put.
    for (const std::string& program :
         {folder + std::string(name), folder + "../libexec/ostrolen/" + std::string(name)}) {
      if (Executable(program)) return program;
    }
  }
#ifdef OSTROLEN_READER_LIBEXEC_DIR
  std::string installed = std::string(OSTROLEN_READER_LIBEXEC_DIR) + "/" + std::string(name);
  if (Executable(installed)) return installed;
#endif
  return {};
}

ProgramOutput RunProgram(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::milliseconds time_limit, std::size_t most) {
  ProgramOutput output;
  Pipe out;
  if (!out.Ok()) return output;
  const pid_t pid = Spawn(program, args, out);
  if (pid == 0) return output;
  output.started = true;
  out.CloseWrite();

  const auto deadline = std::chrono::steady_clock::now() + time_limit;
  char chunk[1 << 16];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      output.timed_out = true;
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
    output.bytes.append(chunk, static_cast<std::size_t>(n));
    if (output.bytes.size() > most) {
      output.too_much = true;
      break;
    }
  }
  out.CloseRead();
  Reap(pid, output.timed_out || output.too_much ? std::chrono::steady_clock::now() : deadline);
  return output;
}

}  // namespace ostrolen

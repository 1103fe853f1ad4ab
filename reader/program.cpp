#include "reader/program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

extern char** environ;

namespace ostrolen {
namespace {

bool Executable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

// Starts the program with its stdout on `out` and its stdin on `in` (or
// /dev/null when `in` is -1), stderr on /dev/null (libmdb talks to stderr
// about every oddity it meets). 0 when it cannot start.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int out, int in = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return 0;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return 0;
  }
  if (in < 0) posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  else posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
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

bool KeptProgram::Start() {
  program_ = FindProgram(name_, variable_);
  if (program_.empty()) return false;
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
  const pid_t pid = Spawn(program_, {}, pair[1], pair[1]);
  ::close(pair[1]);
  if (pid == 0) {
    ::close(pair[0]);
    return false;
  }
  socket_ = pair[0];
  pid_ = pid;
  ++starts_;
  return true;
}

bool KeptProgram::Alive() {
  const pid_t pid = pid_.load();
  if (pid == 0) return false;
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(pid, &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == 0) return true;
  pid_ = 0;  // reaped (or not ours any more)
  Reap(false);
  return false;
}

void KeptProgram::Reap(bool kill) {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  const pid_t pid = pid_.exchange(0);
  if (pid == 0) return;
  if (kill) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

void KeptProgram::End() {
  const std::lock_guard lock(asking_);
  Reap(true);
}

void KeptProgram::Cancel() {
  cancelled_ = true;
  if (const pid_t pid = pid_.load(); pid != 0) ::kill(pid, SIGKILL);
}

KeptProgram::Ending KeptProgram::Ask(char kind, std::string_view payload, std::chrono::milliseconds quiet_limit,
                                     const std::function<void(const Frame&)>& frame) {
  const std::lock_guard lock(asking_);
  if (cancelled_) return Ending::Cancelled;
  const std::string request = EncodeFrame(kind, payload);
  // A program that died since the last request is started again; so is
  // one that dies as the request is sent (it had not read it).
  bool sent = false;
  for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
    if (!Alive()) {
      Reap(true);
      if (!Start()) return program_.empty() ? Ending::NotFound : Ending::NotStarted;
    }
    std::size_t done = 0;
    while (done < request.size()) {
      const ssize_t n = ::send(socket_, request.data() + done, request.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    sent = done == request.size();
    if (!sent) Reap(true);
  }
  if (!sent) return cancelled_ ? Ending::Cancelled : Ending::Crashed;

  const auto ended = [&](Ending ending) {
    Reap(true);
    return cancelled_ ? Ending::Cancelled : ending;
  };
  // Cancelled before the program was there to be killed.
  if (cancelled_) return ended(Ending::Cancelled);
  std::string bytes;
  std::size_t at = 0;
  auto heard = std::chrono::steady_clock::now();
  char chunk[1 << 16];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(heard + quiet_limit - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ended(Ending::TimedOut);
    pollfd fd{socket_, POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return ended(Ending::Crashed);
    if (ready == 0) continue;
    const ssize_t n = ::recv(socket_, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return ended(Ending::Crashed);
    heard = std::chrono::steady_clock::now();
    bytes.append(chunk, static_cast<std::size_t>(n));
    bool bad = false;
    while (const std::optional<Frame> f = NextFrame(bytes, at, bad)) {
      if (f->kind == frame::kEnd) {
        if (at != bytes.size()) return ended(Ending::Crashed);  // it says more than it was asked
        return Ending::Answered;
      }
      if (frame) frame(*f);
    }
    if (bad) return ended(Ending::Crashed);
    if (at > (std::size_t{1} << 20)) {  // keep only the frame under way
      bytes.erase(0, at);
      at = 0;
    }
  }
}

}  // namespace ostrolen

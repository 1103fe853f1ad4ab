// The reader program runs in a process of its own, so a file that sends
// libmdb astray cannot take the window with it: finding such a program,
// and keeping it running and asking it one request after another.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "reader/query.h"

namespace ostrolen {

// The program named `name`: the path in the environment variable
// `variable` when it is set, else beside this program, else under
// ../libexec/ostrolen from it, else where it is installed; empty when none
// is there.
std::string FindProgram(std::string_view name, const char* variable);

// A program kept running between requests: started at the first, asked
// over a socket that is its standard input and output (frames, see
// query.h), ended with this object. One request at a time; Cancel may be
// called from any thread.
class KeptProgram {
 public:
  enum class Ending : std::uint8_t {
    Answered,    // the answer ended with frame::kEnd
    NotFound,    // no such program (FindProgram found none)
    NotStarted,  // it could not be started
    Crashed,     // it ended, or wrote what is no frame, before the answer was whole
    TimedOut,    // it wrote nothing for the time limit
    Cancelled,   // Cancel() ended it
  };

  KeptProgram(std::string name, const char* variable) : name_(std::move(name)), variable_(variable) {}
  ~KeptProgram() { End(); }
  KeptProgram(const KeptProgram&) = delete;
  KeptProgram& operator=(const KeptProgram&) = delete;

  // Sends one request and hands every frame of the answer but the closing
  // kEnd to `frame` as it comes. A program found dead before the request is
  // started again first. The reading ends when no byte comes for
  // `quiet_limit`; a program that crashes, runs out of time or is cancelled
  // is ended, and the next request starts a new one.
  Ending Ask(char kind, std::string_view payload, std::chrono::milliseconds quiet_limit,
             const std::function<void(const Frame&)>& frame);

  // Ends the request under way and its program; a request asked later
  // gives Cancelled at once, until ClearCancel.
  void Cancel();
  void ClearCancel() { cancelled_ = false; }
  // Ends the program (a new one starts at the next request).
  void End();

  const std::string& Program() const { return program_; }  // the one last tried
  pid_t Pid() const { return pid_.load(); }                // 0 when none runs
  int Starts() const { return starts_; }                   // how many were started

 private:
  bool Start();
  bool Alive();
  void Reap(bool kill);

  std::string name_;
  const char* variable_;
  std::mutex asking_;
  std::string program_;
  int socket_ = -1;
  std::atomic<pid_t> pid_{0};
  std::atomic<bool> cancelled_{false};
  int starts_ = 0;
};

}  // namespace ostrolen

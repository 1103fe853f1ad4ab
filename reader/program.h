// The helper programs (the reader and the row lister) run in a process of
// their own, so a file that sends libmdb astray cannot take the window with
// it: finding such a program, and running it once for its output.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrolen {

// The program named `name`: the path in the environment variable
// `variable` when it is set, else beside this program, else under
// ../libexec/ostrolen from it, else where it is installed; empty when none
// is there.
std::string FindProgram(std::string_view name, const char* variable);

struct ProgramOutput {
  bool started = false;    // false: no pipe, or the program could not be started
  std::string bytes;       // its standard output, as far as it was read
  bool timed_out = false;  // the time limit ended the reading
  bool too_much = false;   // it wrote more than allowed
};

// Runs `program` with `args`, its standard input and error output on
// /dev/null, and reads its standard output until it ends, `time_limit` is
// over, or more than `most` bytes came; in the last two cases it is killed.
// It is reaped either way (killed at the time limit if it lingers).
ProgramOutput RunProgram(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::milliseconds time_limit, std::size_t most);

}  // namespace ostrolen

// Running a program as a shell command in tests: its standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace ostrolen::testing {

struct ProcessRun {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
};

inline ProcessRun RunShell(const std::string& command) {
  ProcessRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace ostrolen::testing

// Running ostrolen-cli in process, as the command-line tests do: the exit
// status and what it wrote to standard output and standard error.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace ostrolen::testing {

struct CliOutcome {
  int status;
  std::string out;
  std::string err;
};

inline CliOutcome Cli(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunCli(args, in, out, err);
  return {status, out.str(), err.str()};
}

// The lines of a command's output, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace ostrolen::testing

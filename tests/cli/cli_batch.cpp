// Many ostrolen-cli runs in one process, for the tests that compare thousands
// of sessions with the browser page: starting a sanitized program for each
// costs far more than the session. Each run is RunCli, as ostrolen-cli's own
// main calls it, with fresh streams and nothing kept from the run before.
//
// Standard input: for each run, its argument count, a newline, then each
// argument as LENGTH:BYTES (lengths in decimal, arguments taken as they are,
// TABs and newlines too). Standard output: for each run,
// "run<TAB>STATUS<TAB>OUT<TAB>ERR\n" (the lengths of its standard output and
// error), then those bytes.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace {

bool ReadNumber(std::istream& in, std::size_t& number, char end) {
  std::string digits;
  char c = 0;
  while (in.get(c) && c != end) {
    if (c < '0' || c > '9') return false;
    digits += c;
  }
  if (!in || digits.empty() || digits.size() > 9) return false;
  number = std::stoul(digits);
  return true;
}

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::size_t count = 0;
  while (ReadNumber(std::cin, count, '\n')) {
    std::vector<std::string> args(count);
    for (std::string& arg : args) {
      std::size_t length = 0;
      if (!ReadNumber(std::cin, length, ':')) {
        std::cerr << "cli_batch: a malformed argument\n";
        return 2;
      }
      arg.resize(length);
      if (length > 0 && !std::cin.read(arg.data(), static_cast<std::streamsize>(length))) {
        std::cerr << "cli_batch: input ends inside an argument\n";
        return 2;
      }
    }
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = ostrolen::RunCli(args, in, out, err);
    const std::string o = out.str();
    const std::string e = err.str();
    std::cout << "run\t" << status << '\t' << o.size() << '\t' << e.size() << '\n' << o << e;
    std::cout.flush();
  }
  if (!std::cin.eof()) {
    std::cerr << "cli_batch: a malformed run\n";
    return 2;
  }
  return 0;
}

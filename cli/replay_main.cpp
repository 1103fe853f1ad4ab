// ostrolen-replay: runs a replay script straight on the interaction
// controller, as the command line's edition (see docs/replay.md).
//   ostrolen-replay FILE|-          the dumps on standard output
//   ostrolen-replay --random SEED COUNT   a random script of COUNT actions
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "ui/replay.h"

int main(int argc, char** argv) {
  const std::string usage = "usage: ostrolen-replay FILE|-  or  ostrolen-replay --random SEED COUNT\n";
  if (argc == 4 && std::string(argv[1]) == "--random") {
    try {
      std::cout << ostrolen::ui::RandomScript(static_cast<std::uint32_t>(std::stoul(argv[2])), std::stoi(argv[3]));
      return 0;
    } catch (const std::exception&) {
      std::cerr << usage;
      return 2;
    }
  }
  if (argc != 2) {
    std::cerr << usage;
    return 2;
  }
  std::string script;
  const std::string name = argv[1];
  if (name == "-") {
    script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream file(name, std::ios::binary);
    if (!file) {
      std::cerr << "ostrolen-replay: cannot read '" << name << "'\n";
      return 2;
    }
    script.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  std::string out;
  std::string err;
  const int status = ostrolen::ui::RunReplay(script, out, err);
  std::cout << out;
  std::cerr << err;
  return status;
}

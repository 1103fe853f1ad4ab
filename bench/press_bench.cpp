// One press of every page button on a ModelWindow, in process: the seeds of
// the page fuzzer (realistic inputs of every page, fuzz/page_seeds.txt) that
// press a single button, and every button once more with its boxes empty.
// The boxes are typed once; a press changes nothing a second press reads
// differently, so the loop times the press alone.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

void PressOnce(benchmark::State& state, const PressGroup& group) {
  ModelWindow window;
  for (const auto& [box, text] : group.settings) window.SetText(box, text);
  for (auto _ : state) {
    window.ClearMessages();
    benchmark::DoNotOptimize(Press(window, group.button));
  }
}

void RegisterPresses() {
  std::ifstream seeds(std::string(OSTROLEN_SOURCE_DIR) + "/fuzz/page_seeds.txt");
  std::string line;
  while (std::getline(seeds, line)) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream words(line);
    std::string name, word;
    std::vector<std::string> args;
    words >> name;
    while (words >> word) args.push_back(word);
    std::vector<PressGroup> groups;
    try {
      groups = ParsePressGroups(args);
    } catch (const std::exception& error) {
      std::cerr << "press_bench: seed " << name << ": " << error.what() << '\n';
      continue;
    }
    if (groups.size() != 1) continue;
    benchmark::RegisterBenchmark(("Press/" + groups[0].button + "/" + name).c_str(), PressOnce, groups[0]);
  }
  for (const PageLayout* page : AllPages()) {
    for (const ButtonSpec& button : page->buttons) {
      benchmark::RegisterBenchmark(("Press/" + button.name + "/empty").c_str(), PressOnce, PressGroup{button.name, {}});
    }
  }
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  ostrolen::RegisterPresses();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// A press that is compared with the kept result against the same press
// alone, in process: the page's button pressed on a ModelWindow with the
// new words typed in, then (for the compare) its lines marked against the
// result of the old words. Also the whole command-line compare: two fresh
// decodes and the marks.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/compare.h"
#include "core/typing.h"
#include "pages/model_window.h"
#include "pages/pages.h"
#include "pages/session.h"

namespace ostrolen {
namespace {

struct Pair {
  std::string page;
  std::vector<std::string> before;
  std::vector<std::string> after;
};

const std::vector<Pair>& Pairs() {
  static const std::vector<Pair> pairs = {
      {"first-stage", {"3529C"}, {"3539C"}},
      {"second-stage", {"03245", "253A7", "12345", "701F0"}, {"03245", "253A7", "12355", "701F0"}},
      {"third-stage", {"1235C", "5227F", "00000", "00000"}, {"1235C", "5227E", "00000", "00010"}},
      {"sko", {"271A6"}, {"273A6"}},
      {"rko", {"00359", "362C5"}, {"00359", "362C4"}},
      {"uvp", {"0075", "003F"}, {"0035", "003F"}},
      {"bg", {"0030"}, {"FF31"}},
      {"vvk", {"0030", "0034"}, {"1030", "0035"}},
      {"puu", {"0100", "8001"}, {"FFFF", "0000"}},
      {"usk1", {"00012", "3", "A5F0"}, {"00012", "3", "A5F1"}},
  };
  return pairs;
}

// The new words typed into a window, and the button and list of their page.
struct Typed {
  ModelWindow window;
  std::string button;
  std::string list;
};

void Type(Typed& typed, const Pair& pair) {
  const auto settings = DecodeSettings(pair.page, pair.after);
  for (const auto& [name, text] : settings) typed.window.SetText(name, text);
  const BoxOnPage first = FindBox(settings.front().first);
  const int index = static_cast<int>(first.box - first.page->boxes.data());
  typed.button = EnterButton(*first.page, index);
  typed.list = first.page->list()->name;
}

void PressAlone(benchmark::State& state, const Pair& pair) {
  Typed typed;
  Type(typed, pair);
  for (auto _ : state) {
    typed.window.ClearMessages();
    benchmark::DoNotOptimize(Press(typed.window, typed.button));
  }
}

void PressAndCompare(benchmark::State& state, const Pair& pair) {
  Typed typed;
  Type(typed, pair);
  const std::vector<SourcedLine> kept = DecodeWords(pair.page, pair.before).lines;
  for (auto _ : state) {
    typed.window.ClearMessages();
    Press(typed.window, typed.button);
    const std::vector<std::string>& texts = typed.window.Lines(typed.list);
    const std::vector<LineOrigin>& origins = typed.window.Origins(typed.list);
    std::vector<SourcedLine> lines;
    lines.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) lines.push_back({texts[i], origins[i]});
    benchmark::DoNotOptimize(CompareLines(kept, lines));
  }
}

// The front ends' press: the session keeps it in the history and marks its
// lines against the page's reference. The history grows with each press, so
// the number of presses is bounded.
void SessionPressCompared(benchmark::State& state, const Pair& pair) {
  Typed typed;
  Type(typed, pair);
  Session session;
  ModelWindow window;
  session.Open(window, {pair.page, pair.before});
  session.KeepReference(pair.page);
  for (auto _ : state) {
    typed.window.ClearMessages();
    session.Press(typed.window, typed.button);
    benchmark::DoNotOptimize(session.Marks(typed.list));
  }
}

// The same press kept in the history with no reference.
void SessionPressAlone(benchmark::State& state, const Pair& pair) {
  Typed typed;
  Type(typed, pair);
  Session session;
  for (auto _ : state) {
    typed.window.ClearMessages();
    session.Press(typed.window, typed.button);
    benchmark::DoNotOptimize(session.history().size());
  }
}

// The marks alone, of two results at hand.
void MarksAlone(benchmark::State& state, const Pair& pair) {
  const std::vector<SourcedLine> kept = DecodeWords(pair.page, pair.before).lines;
  const std::vector<SourcedLine> lines = DecodeWords(pair.page, pair.after).lines;
  for (auto _ : state) benchmark::DoNotOptimize(CompareLines(kept, lines));
}

void DecodeOnce(benchmark::State& state, const Pair& pair) {
  for (auto _ : state) benchmark::DoNotOptimize(DecodeWords(pair.page, pair.after));
}

void CompareCommand(benchmark::State& state, const Pair& pair) {
  for (auto _ : state) {
    const DecodeOutcome before = DecodeWords(pair.page, pair.before);
    const DecodeOutcome after = DecodeWords(pair.page, pair.after);
    benchmark::DoNotOptimize(CompareLines(before.lines, after.lines));
  }
}

void Register() {
  for (const Pair& pair : Pairs()) {
    benchmark::RegisterBenchmark(("Press/" + pair.page).c_str(), PressAlone, pair);
    benchmark::RegisterBenchmark(("PressAndCompare/" + pair.page).c_str(), PressAndCompare, pair);
    benchmark::RegisterBenchmark(("SessionPress/" + pair.page).c_str(), SessionPressAlone, pair)->Iterations(20000);
    benchmark::RegisterBenchmark(("SessionPressCompared/" + pair.page).c_str(), SessionPressCompared, pair)
        ->Iterations(20000);
    benchmark::RegisterBenchmark(("Marks/" + pair.page).c_str(), MarksAlone, pair);
    benchmark::RegisterBenchmark(("Decode/" + pair.page).c_str(), DecodeOnce, pair);
    benchmark::RegisterBenchmark(("CompareCommand/" + pair.page).c_str(), CompareCommand, pair);
  }
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  ostrolen::Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

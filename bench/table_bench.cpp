// A table of 100,000 random records of the "СКО" page, built as the window
// builds it: the input read, then every record decoded into a row; then the
// filter and the order over it, and the CSV written out. Against it, a few
// records each decoded on a window of its own, as a single decode does.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <random>
#include <string>

#include "pages/decode.h"
#include "pages/session.h"
#include "ui/table.h"

namespace ostrolen {
namespace {

// Records as the operator's files hold them: a directory number, a TAB, a
// code word of the page; one in a hundred with a digit the page refuses.
std::string RandomInput(std::size_t records) {
  std::mt19937 random(1211);
  const std::string digits = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < records; ++i) {
    text += "21-" + std::to_string(10 + i % 90) + "-" + std::to_string(10 + i / 90 % 90) + '\t';
    text += digits[random() % 8];
    text += digits[random() % 8];
    text += digits[random() % 4];
    text += digits[random() % 16];
    text += random() % 100 == 0 ? 'Z' : digits[random() % 16];
    text += '\n';
  }
  return text;
}

const std::string& Input() {
  static const std::string input = RandomInput(100000);
  return input;
}

void ReadAndBuild(benchmark::State& state) {
  for (auto _ : state) {
    const ui::Input input = ui::ReadInput(Input());
    ui::Table table(*FindPageCommand("sko"));
    for (std::size_t at = 0; at < input.records.size();) at = table.AddSome(input.records, at, 1000);
    benchmark::DoNotOptimize(table.RowCount());
    state.counters["rows"] = static_cast<double>(table.RowCount());
    state.counters["errors"] = static_cast<double>(table.ErrorCount());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(ReadAndBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

void FilterSortAndCsv(benchmark::State& state) {
  const ui::Input input = ui::ReadInput(Input());
  ui::Table table(*FindPageCommand("sko"));
  for (const ui::Record& record : input.records) table.Add(record);
  for (auto _ : state) {
    table.SetFilter("Посылка вызова = ГВТ");
    table.SortBy(17);
    const std::size_t shown = table.ShownCount();
    const std::string csv = ui::ExportCsv(table, table.Shown());
    table.SetFilter("");
    table.SortBy(std::nullopt);
    state.counters["shown"] = static_cast<double>(shown);
    state.counters["csv_MB"] = static_cast<double>(csv.size()) / 1e6;
  }
}
BENCHMARK(FilterSortAndCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

// The time of one record on the reused window and on a window of its own.
void ReusedWindow(benchmark::State& state) {
  const ui::Input input = ui::ReadInput(Input());
  RecordDecoder decoder;
  const PageCommand& page = *FindPageCommand("sko");
  std::size_t i = 0;
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(decoder.Decode(page, WordsOfLine(input.records[i++ % 1000].words)));
    } catch (const WordsError&) {
    }
  }
}
BENCHMARK(ReusedWindow)->Unit(benchmark::kMicrosecond);

void FreshWindow(benchmark::State& state) {
  const ui::Input input = ui::ReadInput(Input());
  const PageCommand& page = *FindPageCommand("sko");
  std::size_t i = 0;
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(DecodeOn(page, WordsOfLine(input.records[i++ % 1000].words)));
    } catch (const WordsError&) {
    }
  }
}
BENCHMARK(FreshWindow)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ostrolen

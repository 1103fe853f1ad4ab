// The search as the operator types: one character over every table and
// the rows of a 10,000-row reference database, in process (budget 5 ms);
// and the listing of such a database by the row program, which happens
// once per file and again only when the file changes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "pages/search/choose.h"
#include "pages/search/search.h"

namespace ostrolen {
namespace {

constexpr int kRows = 10000;

// Rows as a reference database holds them, a third in each table, each
// with every searched text filled.
RowListing MadeRows(int rows) {
  RowListing listing;
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    const std::string segment = std::to_string(i % 256), step = std::to_string(i / 256);
    switch (i % 3) {
      case 0: listing.rows.push_back({"segmoborud", segment, "", {{"oborud", "Блок групповой БГ " + n}}}); break;
      case 1:
        listing.rows.push_back({"Segment",
                                segment,
                                step,
                                {{"isppro", "Программа проверки " + n},
                                 {"neispr", "Неисправность блока " + n},
                                 {"prim", "Примечание к шагу " + n}}});
        break;
      default:
        listing.rows.push_back({"segmentkup",
                                segment,
                                step,
                                {{"object", "Объект управления " + n},
                                 {"info", "Информация в УСК " + n},
                                 {"priem", "Приемник " + n},
                                 {"neispr", "Неисправность линейки " + n},
                                 {"prim", "Примечание " + n}}});
    }
  }
  return listing;
}

void Typed(benchmark::State& state, const char* typed) {
  const std::vector<SearchEntry> rows = RowEntries(MadeRows(kRows));
  const std::span<const SearchEntry> tables = TableEntries();
  std::size_t matches = 0;
  for (auto _ : state) {
    const std::vector<SearchMatch> found = FindMatches(typed, tables, rows);
    matches = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["entries"] = static_cast<double>(tables.size() + rows.size());
  state.counters["matches"] = static_cast<double>(matches);
}

// The commonest letter, a digit, a Latin look-alike, a rare letter, two letters.
void BM_TypedA(benchmark::State& state) { Typed(state, "а"); }
void BM_TypedDigit(benchmark::State& state) { Typed(state, "1"); }
void BM_TypedLatinC(benchmark::State& state) { Typed(state, "C"); }
void BM_TypedRare(benchmark::State& state) { Typed(state, "щ"); }
void BM_TypedTwo(benchmark::State& state) { Typed(state, "бл"); }

BENCHMARK(BM_TypedA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedDigit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedLatinC)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedRare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedTwo)->Unit(benchmark::kMillisecond);

// What the search box lists for one typed character: the matches and the
// lines of the first hundred, as the window and the browser page show them.
void Listed(benchmark::State& state, const char* typed) {
  SearchIndex index;
  index.SetRows(MadeRows(kRows));
  std::size_t lines = 0;
  for (auto _ : state) {
    const SearchList list = ListOf(index, typed);
    lines = list.lines.size();
    benchmark::DoNotOptimize(list.lines.data());
  }
  state.counters["lines"] = static_cast<double>(lines);
}
void BM_TypedListedA(benchmark::State& state) { Listed(state, "а"); }
void BM_TypedListedDigit(benchmark::State& state) { Listed(state, "1"); }
BENCHMARK(BM_TypedListedA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedListedDigit)->Unit(benchmark::kMillisecond);

// Building the rows' entries (folding their texts), done once per listing.
void BM_RowEntries(benchmark::State& state) {
  const RowListing listing = MadeRows(kRows);
  for (auto _ : state) benchmark::DoNotOptimize(RowEntries(listing).size());
}
BENCHMARK(BM_RowEntries)->Unit(benchmark::kMillisecond);

// A 10,000-row database made by ostrolen-mkdb, a third of the rows in each table.
std::string MadeDatabase() {
  const std::filesystem::path& folder = bench::ScratchFolder();
  const std::filesystem::path tsv = folder / "rows.tsv", mdb = folder / "rows.mdb";
  if (std::filesystem::exists(mdb)) return mdb.string();
  const RowListing listing = MadeRows(kRows);
  std::ofstream out(tsv);
  for (const SearchedTable& searched : SearchedTables()) {
    out << "table\t" << searched.table << "\ncolumn\t" << searched.segment << "\ttext(8)\n";
    if (!searched.step.empty()) out << "column\t" << searched.step << "\ttext(8)\n";
    for (const std::string_view column : searched.texts) out << "column\t" << column << "\ttext\n";
    for (const SegmentRow& row : listing.rows) {
      if (row.table != searched.table) continue;
      out << "row\t" << row.segment;
      if (!row.step.empty()) out << "\t" << row.step;
      for (const auto& [column, text] : row.texts) out << "\t" << text;
      out << "\n";
    }
  }
  out.close();
  bench::MakeMdb(tsv, mdb);
  return mdb.string();
}

void BM_ListRows(benchmark::State& state) {
  const std::string file = MadeDatabase();
  std::size_t rows = 0;
  for (auto _ : state) {
    const RowListing listing = ListRowsWithProgram(file);
    rows = listing.rows.size();
    if (!listing.problem.empty()) state.SkipWithError(listing.problem.c_str());
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ListRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ostrolen

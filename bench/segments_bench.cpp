// The segment lookup on databases of growing size (10 to 400,000 rows a
// table), through the window's path (a connection and its kept reader): an
// ordinary and a two-description lookup after the first, the matching rows
// near the end of each table; the first lookup on a file (a new reader that
// reads it); the search's first listing; and a reader answering at once.
//
//   segments_bench [--make ROWS FILE]   (--make: only write the database)
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/bench_support.h"
#include "pages/search/rows.h"
#include "pages/segments/segments.h"

namespace ostrolen {
namespace {

// A reference database with `rows` rows in each of the three tables; the
// rows the lookups find are the last ones.
std::string MakeDatabase(int rows) {
  const std::filesystem::path& folder = bench::ScratchFolder();
  const std::string stem = "rows" + std::to_string(rows);
  const std::filesystem::path tsv = folder / (stem + ".tsv");
  const std::filesystem::path mdb = folder / (stem + ".mdb");
  if (std::filesystem::exists(mdb)) return mdb.string();
  std::ofstream out(tsv);
  const int filler = rows - 2;
  out << "table\tsegmoborud\ncolumn\tnomsegm\ttext(8)\ncolumn\toborud\ttext\n";
  for (int i = 0; i < filler; ++i) out << "row\tx" << i << "\tОборудование " << i << "\n";
  out << "row\t12\tБлок групповой БГ 2\nrow\t3D\tЛинии УСК 8-F\n";
  out << "table\tSegment\ncolumn\tnomsegm\ttext(8)\ncolumn\tnomstep\ttext(8)\ncolumn\tisppro\ttext\n"
         "column\tneispr\ttext\ncolumn\tprim\ttext\n";
  for (int i = 0; i < filler; ++i) out << "row\tx" << i << "\t1\tПрограмма " << i << "\tНеисправность\tПримечание\n";
  out << "row\t12\t1\tПрограмма 12-1\tНеисправность 12-1\tПримечание 12-1\n"
         "row\t12\t2\tПрограмма 12-2\tНеисправность 12-2\tПримечание 12-2\n";
  out << "table\tsegmentkup\ncolumn\tsegm\ttext(8)\ncolumn\tstep\ttext(8)\ncolumn\td\tbool\ncolumn\tts\tlong\n"
         "column\tobject\ttext\ncolumn\tinfo\ttext\ncolumn\tpriem\ttext\ncolumn\tneispr\ttext\ncolumn\tprim\ttext\n";
  for (int i = 0; i < filler; ++i)
    out << "row\tx" << i << "\t1\t0\t0\tОбъект\tИнформация\tПриемник\tНеисправность\tПримечание\n";
  out << "row\t3D\t7\t1\t0\tОбъект 0\tИнформация 0\tПриемник 0\tНеисправность 0\tПримечание 0\n"
         "row\t3D\t7\t1\t1\tОбъект 1\tИнформация 1\tПриемник 1\tНеисправность 1\tПримечание 1\n";
  out.close();
  bench::MakeMdb(tsv, mdb);
  return mdb.string();
}

void Lookup(benchmark::State& state, const char* segment, const char* step, std::size_t expected) {
  Connection connection(MakeDatabase(static_cast<int>(state.range(0))));
  std::size_t lines = 0;
  for (auto _ : state) {
    lines = 0;
    SegmentLookup(connection, segment, step, [&](std::string_view) { ++lines; });
  }
  if (lines != expected) state.SkipWithError("wrong number of lines");
  state.counters["file_kB"] = static_cast<double>(std::filesystem::file_size(connection.File())) / 1024.0;
}

void BM_OrdinaryLookup(benchmark::State& state) { Lookup(state, "12", "1", 11); }
void BM_TwoDescriptionLookup(benchmark::State& state) { Lookup(state, "3D", "7", 40); }

// The first press on a file: a reader started, the file read, the lookup answered.
void BM_FirstLookup(benchmark::State& state) {
  const std::string file = MakeDatabase(static_cast<int>(state.range(0)));
  std::size_t lines = 0;
  for (auto _ : state) {
    Connection connection(file);
    lines = 0;
    SegmentLookup(connection, "12", "1", [&](std::string_view) { ++lines; });
  }
  if (lines != 11) state.SkipWithError("wrong number of lines");
}

// The search's first listing of a file's rows, by a reader of its own.
void BM_FirstListing(benchmark::State& state) {
  const std::string file = MakeDatabase(static_cast<int>(state.range(0)));
  std::size_t rows = 0;
  for (auto _ : state) rows = ListRowsWithProgram(file).rows.size();
  if (rows != 3 * static_cast<std::size_t>(state.range(0))) state.SkipWithError("wrong number of rows");
}

// The reader started and answering at once: the file is not there.
void BM_ReaderStartOnly(benchmark::State& state) {
  Connection connection("/nonexistent/dbveltra.mdb");
  const std::vector<Statement> statements = LookupStatements("12", "1");
  for (auto _ : state) benchmark::DoNotOptimize(connection.Run(statements));
}

BENCHMARK(BM_OrdinaryLookup)->Arg(10)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoDescriptionLookup)->Arg(10)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLookup)->Arg(10)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstListing)->Arg(10)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReaderStartOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--make") {
    const std::string made = ostrolen::MakeDatabase(std::stoi(argv[2]));
    std::filesystem::copy_file(made, argv[3], std::filesystem::copy_options::overwrite_existing);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

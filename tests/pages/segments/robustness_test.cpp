// Damaged databases: truncated, byte-flipped and random files. Each one
// gives lines and an error box, or a whole result; never a crash, a hang
// or a sanitizer report in the page's process.
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "pages/segments/segments.h"
#include "tests/pages/segments/segments_support.h"

namespace ostrolen::testing {
namespace {

struct Variant {
  std::string what;
  std::string bytes;
};

std::vector<Variant> Damage(const std::string& name, const std::string& good, std::uint32_t seed) {
  std::vector<Variant> variants;
  // Cut at and around every page border of the first pages, and further on.
  std::vector<std::size_t> cuts = {0, 1, 20, 100, 2047};
  for (std::size_t page = 4096; page < good.size(); page += page < 6 * 4096 ? 4096 : 4 * 4096) {
    for (const std::size_t at : {page - 1, page, page + 1, page + 1500}) cuts.push_back(at);
  }
  for (const std::size_t cut : cuts) {
    if (cut < good.size()) variants.push_back({name + " cut at " + std::to_string(cut), good.substr(0, cut)});
  }
  std::mt19937 random(seed);
  // Single flipped bytes, mostly in the pages that describe the tables and hold the rows.
  const std::size_t head = std::min<std::size_t>(good.size(), 10 * 4096);
  for (int i = 0; i < 24; ++i) {
    std::string bytes = good;
    const std::size_t at = (i % 4 == 3 ? random() % good.size() : 4096 + random() % (head - 4096));
    bytes[at] = static_cast<char>(bytes[at] ^ (1 + random() % 255));
    variants.push_back({name + " byte " + std::to_string(at) + " flipped", std::move(bytes)});
  }
  // A run of random bytes laid over a page.
  for (int i = 0; i < 8; ++i) {
    std::string bytes = good;
    const std::size_t at = 4096 + random() % (head - 4096 - 64);
    for (std::size_t k = 0; k < 64; ++k) bytes[at + k] = static_cast<char>(random());
    variants.push_back({name + " 64 bytes overwritten at " + std::to_string(at), std::move(bytes)});
  }
  return variants;
}

std::vector<Variant> RandomFiles(const std::string& header) {
  std::vector<Variant> variants;
  std::mt19937 random(20240607);
  for (const std::size_t pages : {1, 2, 5, 12}) {
    std::string bytes(pages * 4096, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    variants.push_back({"random " + std::to_string(pages) + " pages", bytes});
    // Behind a real first page, so the reading goes past the file check.
    bytes.replace(0, 4096, header);
    variants.push_back({"random " + std::to_string(pages) + " pages behind page 0", bytes});
  }
  return variants;
}

class DamagedFileTest : public DatabaseFolder {};

TEST_F(DamagedFileTest, EveryOneGivesLinesAndAnErrorOrAWholeResult) {
  std::vector<std::pair<std::string, std::string>> sources = {{"lookup", ReadBytes(FixturePath("lookup"))},
                                                              {"names", ReadBytes(FixturePath("names"))},
                                                              {"lookup_jet3", ReadBytes(FixturePath("lookup_jet3"))}};
  if (const std::string monitor = MonitorPath(); !monitor.empty()) {
    sources.emplace_back("Monitor.mdb", ReadBytes(monitor));
  } else {
    std::cout << "OSTROLEN_MONITOR_MDB is not set: Monitor.mdb is left out\n";
  }
  std::vector<Variant> variants;
  std::uint32_t seed = 1;
  for (const auto& [name, bytes] : sources) {
    ASSERT_GT(bytes.size(), 4096u) << name;  // a Jet 3 file's pages are 2 KB: cuts fall inside pages too
    for (Variant& v : Damage(name, bytes, seed++)) variants.push_back(std::move(v));
  }
  for (Variant& v : RandomFiles(sources.front().second.substr(0, 4096))) variants.push_back(std::move(v));

  // The lookups that read all three tables, and the lines a whole result has.
  const std::vector<std::tuple<const char*, const char*, std::size_t>> lookups = {
      {"12", "1", 11}, {"3D", "7", 40}, {"3C", "5", 21}};
  int errors = 0, whole = 0;
  Connection connection(std::string(kDatabaseFile), kNoHang);
  for (std::size_t i = 0; i < variants.size(); ++i) {
    WriteBytes(Database(), variants[i].bytes);
    const auto& [segment, step, full] = lookups[i % lookups.size()];
    std::vector<std::string> lines;
    try {
      SegmentLookup(connection, segment, step, [&](std::string_view line) { lines.emplace_back(line); });
      EXPECT_EQ(lines.size(), full) << variants[i].what;
      ++whole;
    } catch (const DatabaseError& e) {
      EXPECT_NE(std::string(e.what()), "") << variants[i].what;
      EXPECT_LT(lines.size(), full) << variants[i].what;
      ++errors;
    }
  }
  std::cout << variants.size() << " damaged files: " << errors << " errors, " << whole << " whole results\n";
  EXPECT_GT(errors, 0);
}

// A file as large as Access lets a database grow (2 GB), a sound small
// database at its start and the rest never written (a sparse file: no disk
// taken): the reader maps it whole and answers.
TEST_F(DamagedFileTest, AFileOfNearlyTwoGigabytesIsRead) {
  Place("lookup");
  constexpr std::uintmax_t kSize = (std::uintmax_t{2} << 30) - 4096;
  std::error_code failed;
  std::filesystem::resize_file(Database(), kSize, failed);
  if (failed || std::filesystem::file_size(Database()) != kSize) GTEST_SKIP() << "no room for a sparse file here";
  std::vector<std::string> lines;
  Connection connection(std::string(kDatabaseFile), kNoHang);
  EXPECT_NO_THROW(SegmentLookup(connection, "12", "1", [&](std::string_view line) { lines.emplace_back(line); }));
  ASSERT_EQ(lines.size(), 11U);
  EXPECT_EQ(lines[1], "Блок групповой БГ 2");
}

}  // namespace
}  // namespace ostrolen::testing

// The sample reference database made at build time from tools/sample.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <variant>

#include "tests/tools/mdb_tools.h"
#include "tools/mkdb/source.h"

namespace ostrolen::mkdb::test {
namespace {

const std::string kSampleDb = OSTROLEN_SAMPLE_DB;
const std::string kSampleSource = OSTROLEN_SAMPLE_SOURCE;

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A value as ExportRows shows it.
std::string Shown(const Value& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return text->empty() ? "\\N" : Utf8(*text);
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "1" : "0";
  return "\\N";
}

class SampleDb : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveMdbTools()) GTEST_SKIP() << kNoMdbTools;
    ASSERT_TRUE(std::filesystem::exists(kSampleDb)) << "the build makes it (target sample_db)";
    source_ = ParseDescription(ReadFile(kSampleSource));
  }
  std::vector<std::vector<std::string>> Rows(const std::string& table) { return ExportRows(kSampleDb, table); }
  Database source_;
};

TEST_F(SampleDb, HoldsTheThreeLookupTables) {
  EXPECT_EQ(RunProgram({"mdb-ver", kSampleDb}).out, "JET4\n");
  EXPECT_EQ(TableNames(kSampleDb), (std::vector<std::string>{"segmoborud", "Segment", "segmentkup"}));
  EXPECT_EQ(SchemaLines(kSampleDb, "segmoborud"),
            (std::vector<std::string>{"[nomsegm]\t\t\tText (255),", "[oborud]\t\t\tText (255)"}));
  const std::vector<std::string> kup = SchemaLines(kSampleDb, "segmentkup");
  ASSERT_EQ(kup.size(), 9u);
  EXPECT_EQ(kup[2], "[d]\t\t\tBoolean NOT NULL,");
  EXPECT_EQ(kup[3], "[ts]\t\t\tLong Integer,");
}

TEST_F(SampleDb, ExportMatchesItsDescription) {
  for (const Table& table : source_.tables) {
    std::vector<std::vector<std::string>> expected;
    for (const Row& row : table.rows) {
      std::vector<std::string> shown;
      for (const Value& value : row.values) shown.push_back(Shown(value));
      expected.push_back(shown);
    }
    EXPECT_FALSE(expected.empty()) << table.name;
    EXPECT_EQ(Rows(table.name), expected) << table.name;
    EXPECT_EQ(CountRows(kSampleDb, table.name), static_cast<long>(table.rows.size())) << table.name;
  }
}

TEST_F(SampleDb, CoversEachKindOfLookup) {
  std::set<std::string> equipment;
  for (const auto& row : Rows("segmoborud")) equipment.insert(row.at(0));
  const auto steps = Rows("Segment");
  bool step_zero = false;
  for (const auto& row : steps) {
    EXPECT_TRUE(equipment.count(row.at(0))) << "segment " << row.at(0) << " has no equipment row";
    if (row.at(0) == "0" && row.at(1) == "0") step_zero = true;
    EXPECT_EQ(row.at(4), "Пример: учебная запись, не справочные данные");
  }
  EXPECT_TRUE(step_zero);
  // segment, step -> d and ts of its rows
  std::map<std::pair<std::string, std::string>, std::vector<std::pair<std::string, std::string>>> control;
  for (const auto& row : Rows("segmentkup")) {
    EXPECT_TRUE(equipment.count(row.at(0))) << "segment " << row.at(0) << " has no equipment row";
    control[{row.at(0), row.at(1)}].emplace_back(row.at(2), row.at(3));
    EXPECT_EQ(row.at(8), "Пример: учебная запись, не справочные данные");
  }
  bool one_description = false;
  bool two_descriptions = false;
  for (const auto& [key, rows] : control) {
    if (rows == std::vector<std::pair<std::string, std::string>>{{"0", "0"}}) one_description = true;
    if (rows == std::vector<std::pair<std::string, std::string>>{{"1", "0"}, {"1", "1"}}) two_descriptions = true;
  }
  EXPECT_TRUE(one_description) << "a control-memory step with d false";
  EXPECT_TRUE(two_descriptions) << "a control-memory step with d true, ts 0 and 1";
}

}  // namespace
}  // namespace ostrolen::mkdb::test

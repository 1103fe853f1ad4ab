// Tables as Access leaves them after years of use (fixtures/sound_tables.tsv:
// deleted columns, a moved row, an index, calculated columns, an extended
// date/time, a complex column, a replication id): the reader program reads
// every row of each, with the values mdb-export gives; and a table whose
// framing goes beyond what the engine writes stays damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "reader/database.h"
#include "reader/value_text.h"
#include "segments_support.h"
#include "tests/support/process.h"

namespace ostrolen::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// mdb-export's rows of `table`, the header first; empty when mdb-export is not there.
Rows Export(const std::string& file, const std::string& table) {
  const std::string command =
      InLocale() + "mdb-export -Q -d '\t' -e -B -0 '\\N' '" + file + "' '" + table + "' 2>/dev/null";
  Rows rows;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return rows;
  std::string text;
  char chunk[4096];
  while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) text.append(chunk, n);
  ::pclose(pipe);
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::stringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

// A value as mdb-export writes it: null (and an empty text) as \N, Yes/No as TRUE/FALSE.
std::string AsExported(const Value& value) {
  if (value.kind == Value::Kind::Null || (value.kind == Value::Kind::Text && value.text.empty())) return "\\N";
  if (value.kind == Value::Kind::Boolean) return value.is_false ? "FALSE" : "TRUE";
  return value.text;
}

struct SoundTable {
  std::string table;
  // What differs from mdb-export, by column: a calculated column's and an
  // extended date/time's value have no text ("", null as \N); mdb-export
  // misreads the calculated ones ("0" and "" here), and leaves out a
  // replication id's last hyphen.
  std::vector<std::pair<std::string, std::vector<std::string>>> instead;
};

class SoundTablesTest : public ::testing::TestWithParam<SoundTable> {};

// Each row is looked up by its segment, so that every row is read, not the first only.
TEST_P(SoundTablesTest, EveryRowAsMdbExportGivesIt) {
  const SoundTable& sound = GetParam();
  const std::string file = FixturePath("sound_tables");
  Rows exported = Export(file, sound.table);
  if (exported.size() < 2) GTEST_SKIP() << "mdb-export is not installed";
  const std::vector<std::string> header = exported[0];
  for (const auto& [column, values] : sound.instead) {
    const auto at = static_cast<std::size_t>(std::find(header.begin(), header.end(), column) - header.begin());
    ASSERT_LT(at, header.size()) << column;
    ASSERT_EQ(values.size(), exported.size() - 1) << column;
    for (std::size_t r = 0; r < values.size(); ++r) exported[r + 1][at] = values[r];
  }
  Connection connection(file, kNoHang);
  std::vector<Statement> statements;
  for (std::size_t r = 1; r < exported.size(); ++r) statements.push_back({sound.table, {{"nomsegm", exported[r][0]}}});
  const std::vector<StatementOutcome> outcomes = connection.Run(statements);
  ASSERT_EQ(outcomes.size(), exported.size() - 1);
  for (std::size_t r = 0; r < outcomes.size(); ++r) {
    ASSERT_EQ(outcomes[r].failure, ReadFailure::None) << sound.table << " " << outcomes[r].name;
    EXPECT_EQ(outcomes[r].result.columns, header);
    ASSERT_TRUE(outcomes[r].result.has_row) << sound.table << " row " << r;
    std::vector<std::string> values;
    for (const Value& value : outcomes[r].result.row) values.push_back(AsExported(value));
    EXPECT_EQ(values, exported[r + 1]) << sound.table << " row " << r;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Features, SoundTablesTest,
    ::testing::Values(SoundTable{"deleted_columns", {}}, SoundTable{"moved_rows", {}}, SoundTable{"indexed", {}},
                      SoundTable{"calculated", {{"dlina", {"", "\\N"}}, {"polnoe", {"", "\\N"}}}},
                      SoundTable{"extended_dates", {{"kogda", {"", "\\N"}}}}, SoundTable{"complex", {}},
                      SoundTable{"guids", {{"kod", {"{8E39276A-BCA8-4AC4-891E-49911D8438DD}", "\\N"}}}}),
    [](const ::testing::TestParamInfo<SoundTable>& info) { return info.param.table; });

// The kinds behind the texts: a complex column is a number, a calculated
// column's value and an extended date/time are values without text.
TEST(SoundTables, TheKindsOfTheNewColumns) {
  Connection connection(FixturePath("sound_tables"), kNoHang);
  const std::vector<StatementOutcome> outcomes = connection.Run({{"complex", {{"vlozheniya", "2"}}},
                                                                 {"calculated", {}},
                                                                 {"extended_dates", {}},
                                                                 {"calculated", {{"dlina", "%"}}},
                                                                 {"guids", {{"kod", "{8E39276A-BCA8-4AC4-891E-%"}}}});
  ASSERT_EQ(outcomes.size(), 5u);
  ASSERT_TRUE(outcomes[0].result.has_row);
  EXPECT_EQ(outcomes[0].result.row[0].text, "13");
  EXPECT_EQ(outcomes[0].result.row[1].kind, Value::Kind::Number);
  ASSERT_TRUE(outcomes[1].result.has_row);
  EXPECT_EQ(outcomes[1].result.row[1].kind, Value::Kind::Binary);
  EXPECT_EQ(outcomes[1].result.row[2].kind, Value::Kind::Binary);
  ASSERT_TRUE(outcomes[2].result.has_row);
  EXPECT_EQ(outcomes[2].result.row[1].kind, Value::Kind::Binary);
  // A value without text matches no pattern, not even "%".
  EXPECT_EQ(outcomes[3].failure, ReadFailure::None);
  EXPECT_FALSE(outcomes[3].result.has_row);
  ASSERT_TRUE(outcomes[4].result.has_row);
  EXPECT_EQ(outcomes[4].result.row[0].text, "12");
}

// A replication id's 16 bytes as Access shows them: the first three groups
// little-endian, 8-4-4-4-12.
TEST(ValueTexts, AReplicationIdAsAccessWritesIt) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {std::string("\x6A\x27\x39\x8E\xA8\xBC\xC4\x4A\x89\x1E\x49\x91\x1D\x84\x38\xDD", 16),
       "{8E39276A-BCA8-4AC4-891E-49911D8438DD}"},
      {std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F", 16),
       "{03020100-0504-0706-0809-0A0B0C0D0E0F}"},
      {std::string(16, '\xFF'), "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
      {std::string(15, '\x01'), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGuid(c.bytes), c.text);
}

// The page holding `needle` (in UCS-2), of page type `type`; npos when none.
std::size_t PageWith(const std::string& bytes, const std::u16string& needle, char type) {
  std::string wide;
  for (const char16_t c : needle) {
    wide.push_back(static_cast<char>(c & 0xFF));
    wide.push_back(static_cast<char>(c >> 8));
  }
  for (std::size_t page = 0; page + 4096 <= bytes.size(); page += 4096) {
    if (bytes[page] == type && std::string_view(bytes).substr(page, 4096).find(wide) != std::string_view::npos)
      return page;
  }
  return std::string::npos;
}

class SoundTablesDamaged : public DatabaseFolder {};

// What the engine never writes stays damaged, in a table that is sound
// but for it.
TEST_F(SoundTablesDamaged, BeyondWhatTheEngineWrites) {
  const std::string sound = ReadBytes(FixturePath("sound_tables"));
  ASSERT_FALSE(sound.empty());
  const std::size_t definition = PageWith(sound, u"vlozheniya", '\x02');
  ASSERT_NE(definition, std::string::npos);
  const std::size_t deleted = PageWith(sound, u"shag", '\x02');
  ASSERT_NE(deleted, std::string::npos);
  // The complex table's definition: 55 bytes of counts, then the columns.
  constexpr std::size_t kColumns = 63;
  struct Spoilt {
    const char* what;
    std::size_t at;
    char byte;
    const char* table;
  } cases[] = {
      {"a column of type 17", definition + kColumns + 25, '\x11', "complex"},
      {"a column of an unknown type", definition + kColumns + 25, '\x15', "complex"},
      {"a column numbered past the columns a row can hold", definition + kColumns + 25 + 5, '\x02', "complex"},
      {"a table whose rows hold fewer columns than it numbers", deleted + 41, '\x04', "deleted_columns"},
  };
  for (const Spoilt& spoilt : cases) {
    std::string bytes = sound;
    bytes[spoilt.at] = spoilt.byte;
    WriteBytes(Database(), bytes);
    Connection connection(Database().string(), kNoHang);
    const std::vector<StatementOutcome> outcomes = connection.Run({{spoilt.table, {}}, {"indexed", {}}});
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].failure, ReadFailure::DamagedTable) << spoilt.what;
    EXPECT_EQ(outcomes[1].failure, ReadFailure::None) << spoilt.what;
  }
  // Unspoilt, both tables answer.
  WriteBytes(Database(), sound);
  Connection connection(Database().string(), kNoHang);
  for (const StatementOutcome& outcome : connection.Run({{"complex", {}}, {"deleted_columns", {}}}))
    EXPECT_EQ(outcome.failure, ReadFailure::None);
}

}  // namespace
}  // namespace ostrolen::testing

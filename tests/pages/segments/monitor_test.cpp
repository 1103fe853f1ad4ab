// A real Access-made Jet 4 file (Monitor.mdb of Debian's mrtg-contrib):
// read through the same reader as the page, its values as mdb-export
// shows them.
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "reader/database.h"
#include "tests/pages/segments/segments_support.h"
#include "tests/support/press.h"
#include "tests/support/process.h"

namespace ostrolen::testing {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

// mdb-export's rows of `table`, the header first; empty when mdb-export is not there.
std::vector<std::vector<std::string>> Export(const std::string& file, const std::string& table) {
  const std::string command =
      InLocale() + "mdb-export -Q -d '\t' -e -B -T '%d.%m.%Y %H:%M:%S' '" + file + "' '" + table + "' 2>/dev/null";
  std::vector<std::vector<std::string>> rows;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return rows;
  std::string text;
  char chunk[4096];
  while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) text.append(chunk, n);
  ::pclose(pipe);
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) rows.push_back(Split(line));
  return rows;
}

std::string AsExported(const Value& value) {
  if (value.kind == Value::Kind::Boolean) return value.is_false ? "FALSE" : "TRUE";
  std::string escaped;
  for (const char c : value.text)
    escaped += c == '\t' ? std::string("\\t") : c == '\\' ? std::string("\\\\") : std::string(1, c);
  return escaped;
}

class MonitorTest : public DatabaseFolder {
 protected:
  void SetUp() override {
    DatabaseFolder::SetUp();
    monitor_ = MonitorPath();
    if (monitor_.empty()) GTEST_SKIP() << "OSTROLEN_MONITOR_MDB is not set or names no file: Monitor.mdb tests skipped";
  }
  std::string monitor_;
};

TEST_F(MonitorTest, TheFirstRowAgreesWithMdbExport) {
  const std::vector<std::vector<std::string>> exported = Export(monitor_, "Monitor_Authenticate");
  if (exported.size() < 2) GTEST_SKIP() << "mdb-export is not installed";
  Connection connection(monitor_, kNoHang);
  const std::vector<StatementOutcome> outcomes = connection.Run({{"monitor_authenticate", {}}});
  ASSERT_EQ(outcomes.size(), 1u);
  ASSERT_EQ(outcomes[0].failure, ReadFailure::None);
  const QueryResult& result = outcomes[0].result;
  EXPECT_EQ(result.columns, exported[0]);
  ASSERT_TRUE(result.has_row);
  std::vector<std::string> values;
  for (const Value& value : result.row) values.push_back(AsExported(value));
  EXPECT_EQ(values, exported[1]);
}

// Conditions on text, number and Yes/No columns, names in any case.
TEST_F(MonitorTest, ConditionsOnEveryKindOfColumn) {
  struct Probe {
    Condition condition;
    bool found;
  };
  const std::vector<Probe> probes = {
      {{"LinePassword", "12345678"}, true},
      {{"linepassword", "1234%"}, true},
      {{"LinePassword", "1234567_"}, true},
      {{"LinePassword", "%9"}, false},
      {{"LineNumber", "1234567890"}, true},
      {{"LineNumber", "12345%"}, true},
      {{"ID", "1"}, true},
      {{"ID", "2"}, false},
      {{"LineSpeed", "33600"}, true},
      {{"Graph_Day", "-1"}, true},
      {{"Graph_EMail", "0"}, true},
      {{"Graph_EMail", "-1"}, false},
      {{"EMAIL_ADDRESS", "NOBODY@%"}, true},
      {{"Comment", "%monitor example%"}, true},
      {{"LastVisit", "17.06.2000%"}, true},
  };
  Connection connection(monitor_, kNoHang);
  for (const Probe& probe : probes) {
    const std::vector<StatementOutcome> outcomes = connection.Run({{"Monitor_Authenticate", {probe.condition}}});
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].failure, ReadFailure::None);
    EXPECT_EQ(outcomes[0].result.has_row, probe.found) << probe.condition.column << " LIKE " << probe.condition.pattern;
    EXPECT_EQ(outcomes[0].result.columns.size(), 12u);
  }
  const std::vector<StatementOutcome> outcomes = connection.Run({{"Monitor_Authenticate", {{"nomsegm", "1"}}}});
  EXPECT_EQ(outcomes[0].failure, ReadFailure::MissingColumn);
}

TEST_F(MonitorTest, AsTheReferenceDatabaseItLacksTheTables) {
  std::filesystem::copy_file(monitor_, Database());
  ModelWindow window;
  for (const auto& [segment, step] : {std::pair{"12", "1"}, std::pair{"3D", "7"}}) {
    EXPECT_EQ(PressWith(window, "SpeedButton17", {{"Edit329", segment}, {"Edit330", step}}),
              std::vector<Message>{Error("В базе данных «dbveltra.mdb» нет таблицы «segmoborud».")});
    EXPECT_TRUE(window.Lines("ListBox10").empty());
  }
}

// The fixtures too: each table's first row as mdb-export has it.
TEST(FixtureTables, FirstRowsAgreeWithMdbExport) {
  const std::vector<std::pair<std::string, std::string>> tables = {
      {"lookup", "segmoborud"}, {"lookup", "Segment"}, {"lookup", "segmentkup"}, {"names", "SegmentKup"}};
  for (const auto& [fixture, table] : tables) {
    const std::vector<std::vector<std::string>> exported = Export(FixturePath(fixture), table);
    if (exported.size() < 2) GTEST_SKIP() << "mdb-export is not installed";
    Connection connection(FixturePath(fixture), kNoHang);
    const std::vector<StatementOutcome> outcomes = connection.Run({{table, {}}});
    ASSERT_EQ(outcomes[0].failure, ReadFailure::None) << table;
    EXPECT_EQ(outcomes[0].result.columns, exported[0]);
    std::vector<std::string> values;
    for (const Value& value : outcomes[0].result.row) values.push_back(AsExported(value));
    EXPECT_EQ(values, exported[1]) << fixture << " " << table;
  }
}

}  // namespace
}  // namespace ostrolen::testing

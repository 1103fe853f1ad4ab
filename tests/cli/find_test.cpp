// ostrolen-cli find as a person and a script use it: one record a match,
// the bits as encode --fields and decode --explain write them, the rows of
// the database in the current folder, and the exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "pages/search/search.h"
#include "tests/pages/segments/segments_support.h"
#include "tests/support/cli.h"

namespace ostrolen {
namespace {

using testing::Cli;
using testing::Lines;
using Outcome = testing::CliOutcome;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', from);
    fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
    if (tab == std::string::npos) return fields;
    from = tab + 1;
  }
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string HexWord(std::uint16_t word) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[(word >> shift) & 0xF];
  return text;
}

class FindCommand : public testing::DatabaseFolder {};

TEST_F(FindCommand, BvListsTheUvpEntryWithItsBitFirst) {
  const Outcome run = Cli({"find", "бв 01-60"});
  EXPECT_EQ(run.status, 0);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 7U);
  EXPECT_EQ(lines[0], "uvp\tfault\tw0:.........1......\tБВ 01-60 УВП 0-3");
  EXPECT_EQ(lines[1], "bg\tfault\tw0:...............1\tБВ 01-60 1ТС 60В");
  // No database here: said in one line, and the tables are searched all the same.
  EXPECT_EQ(run.err, "ostrolen-cli: Не найден файл базы данных «dbveltra.mdb»\n");
  // Words given one by one are one text; case and look-alike letters do not matter.
  EXPECT_EQ(Cli({"find", "бв", "01-60"}).out, run.out);
  EXPECT_EQ(Cli({"find", "  БB   01-60 "}).out, run.out);  // a Latin B
}

TEST_F(FindCommand, ExitStatusesAndUsageErrors) {
  const Outcome none = Cli({"find", "нет такого текста"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"find"}, {"find", ""}, {"find", " \t "}, {"find", "\xFF"}}) {
    const Outcome run = Cli(args);
    EXPECT_EQ(run.status, 2) << args.size();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err).size(), 1U) << run.err;
    EXPECT_TRUE(run.err.starts_with("ostrolen-cli: ")) << run.err;
  }
  const Outcome help = Cli({"find", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: ostrolen-cli find TEXT\n"));
  EXPECT_NE(Cli({"--help"}).out.find(help.out), std::string::npos);
  EXPECT_NE(Cli({"nothing"}).err.find("'find TEXT'"), std::string::npos);
}

TEST_F(FindCommand, EveryRecordNamesAPageDecodeKnows) {
  const std::vector<std::string> pages = DecodePageNames();
  for (const std::string typed : {"а", "о", "1", "с", "е"}) {
    const Outcome run = Cli({"find", typed});
    for (const std::string& line : Lines(run.out)) {
      const std::vector<std::string> fields = Fields(line);
      ASSERT_EQ(fields.size(), 4U) << line;
      EXPECT_TRUE(std::find(pages.begin(), pages.end(), fields[0]) != pages.end()) << line;
      const std::vector<std::string> kinds = {"field", "value", "fault", "usk", "segment"};
      EXPECT_TRUE(std::find(kinds.begin(), kinds.end(), fields[1]) != kinds.end()) << line;
    }
  }
}

TEST_F(FindCommand, AFieldsBitsAreThoseEncodeFieldsWrites) {
  int checked = 0;
  for (const ComposePage& page : ComposePages()) {
    const std::string name(page.fields->name);
    for (const std::string& line : Lines(Cli({"encode", name, "--fields"}).out)) {
      const std::vector<std::string> fields = Fields(line);
      ASSERT_GE(fields.size(), 2U) << line;
      const Outcome run = Cli({"find", fields[0]});
      EXPECT_TRUE(Contains(Lines(run.out), name + "\tfield\t" + fields[1] + "\t" + fields[0])) << line;
      ++checked;
    }
  }
  EXPECT_GT(checked, 60);
}

TEST_F(FindCommand, AFaultsBitsAreThoseDecodeExplainWritesForItsWords) {
  int checked = 0;
  for (const SearchEntry& entry : TableEntries()) {
    if (entry.kind != MatchKind::Fault) continue;
    std::vector<std::string> args = {"decode", "--explain", std::string(entry.page)};
    for (const std::uint16_t word : MatchWords(entry)) args.push_back(HexWord(word));
    const std::vector<std::string> decoded = Lines(Cli(args).out);
    ASSERT_EQ(decoded.size(), 1U) << entry.text;
    const std::vector<std::string> line = Fields(decoded[0]);
    ASSERT_EQ(line.size(), 2U);
    EXPECT_EQ(line[0], entry.text);
    const std::string record = std::string(entry.page) + "\tfault\t" + line[1] + "\t" + entry.text;
    EXPECT_TRUE(Contains(Lines(Cli({"find", entry.text}).out), record)) << record;
    ++checked;
  }
  EXPECT_EQ(checked, 83);
}

TEST_F(FindCommand, AValuesBitsAreThoseOfItsLineInDecodeExplain) {
  int checked = 0;
  for (const SearchEntry& entry : TableEntries()) {
    if (entry.kind != MatchKind::Value) continue;
    const std::optional<std::string> shown = FieldLine(*entry.field, entry.value);
    if (!shown || entry.field == entry.compose->fields->form) continue;
    std::vector<std::string> args = {"decode", "--explain", std::string(entry.page)};
    for (const std::uint16_t word : MatchWords(entry)) {
      std::string digits;
      for (const std::string& digit : CodeWordDigits(word)) digits += digit;
      args.push_back(digits);
    }
    std::string source;
    for (const std::string& decoded : Lines(Cli(args).out)) {
      const std::vector<std::string> line = Fields(decoded);
      if (line.size() == 2 && line[0] == *shown) source = line[1];
    }
    ASSERT_FALSE(source.empty()) << *shown;
    const std::string record = std::string(entry.page) + "\tvalue\t" + source + "\t" + entry.text;
    EXPECT_TRUE(Contains(Lines(Cli({"find", entry.text}).out), record)) << record;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

TEST_F(FindCommand, RowsOfTheDatabaseInTheCurrentFolder) {
  Place("lookup");
  const Outcome run = Cli({"find", "объект 3c-5"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "segment\tsegment\t3C 5\tОбъект 3C-5\n");
  // A row's text is escaped as press records are.
  EXPECT_EQ(Cli({"find", "конец"}).out, "segment\tsegment\tS1\tТабуляция:\\tконец\n");
  EXPECT_EQ(Cli({"find", "блок групповой"}).out, "segment\tsegment\t12\tБлок групповой БГ 2\n");
}

TEST_F(FindCommand, ADamagedDatabaseIsNamedAndTheTablesStillSearched) {
  testing::WriteBytes(Database(), std::string(5000, 'x'));
  const Outcome run = Cli({"find", "бв 01-60"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "ostrolen-cli: Файл «dbveltra.mdb» не является базой данных Access\n");
  EXPECT_EQ(Lines(run.out).size(), 7U);
}

}  // namespace
}  // namespace ostrolen

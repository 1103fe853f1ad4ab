// ostrolen-cli table: its rows are the table's, its input is read as the
// window reads a file, and its statuses are decode's.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/cli.h"

namespace ostrolen {
namespace {

using testing::Cli;
using testing::CliOutcome;
using testing::Lines;

const std::string kUvpHeading = "Метка\tСлова\tСтроки\tОшибка\n";

TEST(TableCommand, RowsOfTheRecords) {
  const CliOutcome run = Cli({"table", "uvp"}, "# messages\n1-й\t0075 003F\n\n0075: 003F\n4035-403F\n");
  // "0075: 003F" is the label 0075 and the one word 003F: a word short.
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kUvpHeading +
                         "1-й\t0075 003F\tБВ 01-60 УВП 0-3\t\n"
                         "0075\t003F\t\tuvp takes 2 word(s): WORD1 WORD2; got 1\n"
                         "\t4035-403F\tГВТ 0-й ствол; ГВТ 1-й ствол\t\n");
  EXPECT_EQ(run.err, "");
}

TEST(TableCommand, StatusesAreDecodes) {
  struct Case {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"table", "uvp"}, "0075 003F\n", 0, ""},
      {{"table", "uvp", "-"}, "0075 003F\n00ZZ 003F\n0075 003F\n", 1, ""},
      {{"table", "uvp"}, "0075 003F 1\n", 1, ""},
      {{"table", "uvp", "--format", "json"}, "", 0, "ostrolen-cli: the input holds no records\n"},
      {{"table", "uvp"},
       std::string("0075 003F\n\0\n", 12),
       2,
       "ostrolen-cli: the input is a binary file (it holds a NUL byte), not records\n"},
      {{"table"}, "", 2, "ostrolen-cli: 'table' needs a page name (see ostrolen-cli table --help)\n"},
      {{"table", "nosuch"}, "", 2, "ostrolen-cli: no page named 'nosuch' (see ostrolen-cli decode --help)\n"},
      {{"table", "word-to-bits"},
       "",
       2,
       "ostrolen-cli: 'word-to-bits' is a converter: its result is its boxes, not lines of a record (see "
       "ostrolen-cli table --help)\n"},
      {{"table", "uvp", "--format", "xml"}, "", 2, "ostrolen-cli: unknown format 'xml': tsv, csv or json\n"},
      {{"table", "uvp", "--format"},
       "",
       2,
       "ostrolen-cli: --format needs tsv, csv or json (see ostrolen-cli table --help)\n"},
      {{"table", "uvp", "--width"}, "", 2, "ostrolen-cli: unknown option '--width' (see ostrolen-cli table --help)\n"},
      {{"table", "uvp", "a", "b"}, "", 2, "ostrolen-cli: 'table' reads one file; got 'b' besides\n"},
      {{"table", "uvp", "/nonexistent/records.txt"}, "", 2, "ostrolen-cli: cannot read '/nonexistent/records.txt'\n"},
      {{"table", "uvp", "/"}, "", 2, "ostrolen-cli: cannot read '/': it is a folder\n"},
  };
  for (const Case& c : cases) {
    const CliOutcome run = Cli(c.args, c.input);
    EXPECT_EQ(run.status, c.status) << c.args.size() << " " << c.input;
    EXPECT_EQ(run.err, c.err);
    if (c.status == 2) {
      EXPECT_EQ(run.out, "") << "nothing written";
    }
  }
}

TEST(TableCommand, ABinaryFileLateInALongInputEndsItsRows) {
  std::string input;
  while (input.size() < 66 * 1024) input += "0075 003F\n";
  const std::size_t lines = Lines(input).size();
  input += std::string("\0\n0075 003F\n", 12);
  const CliOutcome run = Cli({"table", "uvp"}, input);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.out).size(), lines + 1) << "the heading and the rows of the lines before it";
  EXPECT_EQ(run.err, "ostrolen-cli: line " + std::to_string(lines + 1) +
                         ": the input is a binary file (it holds a NUL byte); the rows of the lines before it were "
                         "written\n");
}

TEST(TableCommand, EncodingsAndAFile) {
  const std::string path = ::testing::TempDir() + "table_cli_records.txt";
  {
    std::ofstream file(path, std::ios::binary);
    file << "\xEF\xBB\xBF\xCC\xE8\xF0\xE0, 1\t0030\r\nМира, 2\t0030\r\n";
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"table", "bg", path}, std::vector<std::string>{"table", "--format=tsv", "bg", path}}) {
    const CliOutcome run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(lines[1].starts_with("Мира, 1\t0030\t")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("Мира, 2\t0030\t")) << lines[2];
  }
  std::remove(path.c_str());
}

TEST(TableCommand, JsonAndCsv) {
  const CliOutcome json = Cli({"table", "sko", "--format", "json"}, "=1+1: 271A6 1\n");
  EXPECT_EQ(json.status, 1);
  EXPECT_EQ(json.out,
            "{\"line\": 1, \"label\": \"=1+1\", \"words\": [\"271A6\", \"1\"], \"fields\": {"
            "\"Ограничение ведомственной связи\": \"\", \"Ограничение исходящей связи\": \"\", "
            "\"Ограничение междугородней связи\": \"\", \"Ограничений нет\": \"\", "
            "\"Услуга \\\"Экстренная связь\\\"(Экс)\": \"\", "
            "\"Услуга \\\"Уведомление при входящем вызове\\\"(УВВ)\": \"\", "
            "\"Услуга \\\"Уведомление при исходящем вызове\\\"(УИВ)\": \"\", "
            "\"Услуга \\\"Напоминание\\\"(НАП)\": \"\", \"Услуга \\\"Постановка на ожидание\\\"(ПОЖ)\": \"\", "
            "\"Услуга \\\"Запрет КРО\\\"(КРО)\": \"\", \"Услуга \\\"Справочное соединение\\\"(СПР)\": \"\", "
            "\"Услуга \\\"Передача вызова\\\"(ПЕР)\": \"\", \"Услуга \\\"КФ\\\"(КФ)\": \"\", "
            "\"Посылка вызова\": \"\", \"Набор номера\": \"\", \"Тип абонентской линии\": \"\"}, "
            "\"lines\": [], \"reports\": [], \"error\": \"sko takes words of 5 character(s); got 6 in all\"}\n");
  const CliOutcome csv = Cli({"table", "bg", "--format", "csv"}, "a;b\t0030\n");
  EXPECT_EQ(csv.status, 0);
  EXPECT_TRUE(csv.out.starts_with("\xEF\xBB\xBFМетка;Слова;Строки;Ошибка\r\n\"a;b\";0030;")) << csv.out;
  EXPECT_TRUE(csv.out.ends_with(";\r\n"));
}

TEST(TableCommand, Help) {
  const CliOutcome help = Cli({"table", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: ostrolen-cli table PAGE [--format tsv|csv|json] [FILE|-]\n"));
  EXPECT_NE(Cli({"--help"}).out.find(help.out), std::string::npos) << "the program's help includes table's";
}

}  // namespace
}  // namespace ostrolen

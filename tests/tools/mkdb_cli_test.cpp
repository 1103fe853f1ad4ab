// The ostrolen-mkdb program itself: arguments, exit status and messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/tools/mdb_tools.h"

namespace ostrolen::mkdb::test {
namespace {

const std::string kTool = OSTROLEN_MKDB;

TEST(MkdbProgram, WrongCallShowsUsage) {
  for (const std::vector<std::string>& argv :
       {std::vector<std::string>{kTool}, {kTool, "only-input.tsv"}, {kTool, "a", "b", "c"}}) {
    const Output output = RunProgram(argv);
    EXPECT_EQ(output.status, 2) << argv.size();
    EXPECT_EQ(output.err, "usage: ostrolen-mkdb [--jet3 CODEPAGE] INPUT OUTPUT.mdb\n");
    EXPECT_EQ(output.out, "");
  }
}

TEST(MkdbProgram, FaultsNameFileAndLine) {
  const TempDir dir;
  const std::string input = (dir.path() / "bad.tsv").string();
  const std::string output = (dir.path() / "bad.mdb").string();
  const struct {
    std::string description;
    std::string message;
  } cases[] = {
      {"table\tT\ncolumn\ta\ttext\n\nrow\ta\tb\n", ":4: row has 2 values, table T has 1 columns\n"},
      {"table\tT\ncolumn\tn\tlong\nrow\t1\nrow\tx\n", ":4: value 1 (column n): \"x\" is not a Long Integer"},
      {"table\tT\ncolumn\ta\tmemo\n", ":2: unknown column type \"memo\""},
      {"table\tT\ncolumn\ta\ttext(2)\nrow\tабв\n",
       ":3: value 1 (column a): text of 3 characters is longer than text(2)\n"},
  };
  for (const auto& c : cases) {
    WriteFile(input, c.description);
    const Output result = RunProgram({kTool, input, output});
    EXPECT_EQ(result.status, 1) << c.message;
    EXPECT_EQ(result.err.rfind(input + c.message, 0), 0u) << result.err;
    EXPECT_FALSE(std::filesystem::exists(output)) << c.message;
  }
}

TEST(MkdbProgram, MissingInput) {
  const TempDir dir;
  const std::string input = (dir.path() / "none.tsv").string();
  const Output result = RunProgram({kTool, input, (dir.path() / "x.mdb").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, input + ": cannot open\n");
}

TEST(MkdbProgram, UnwritableOutput) {
  const TempDir dir;
  const std::string input = (dir.path() / "ok.tsv").string();
  WriteFile(input, "table\tT\ncolumn\ta\ttext\n");
  const std::string output = (dir.path() / "no-such-folder" / "x.mdb").string();
  const Output result = RunProgram({kTool, input, output});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, output + ": cannot write\n");
}

TEST(MkdbProgram, WritesADatabase) {
  const TempDir dir;
  const std::string input = (dir.path() / "ok.tsv").string();
  const std::string output = (dir.path() / "ok.mdb").string();
  WriteFile(input, "table\tsegmoborud\ncolumn\tnomsegm\ttext\ncolumn\toborud\ttext\nrow\t0\tУВП 0\n");
  const Output result = RunProgram({kTool, input, output});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out + result.err, "");
  ASSERT_TRUE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
  if (!HaveMdbTools()) GTEST_SKIP() << kNoMdbTools;
  EXPECT_EQ(ExportRows(output, "segmoborud"), (std::vector<std::vector<std::string>>{{"0", "УВП 0"}}));
}

TEST(MkdbProgram, Jet3NeedsACodePage) {
  const TempDir dir;
  const std::string input = (dir.path() / "ok.tsv").string();
  const std::string output = (dir.path() / "ok.mdb").string();
  WriteFile(input, "table\tT\ncolumn\ta\ttext\n");
  for (const std::vector<std::string>& argv : {std::vector<std::string>{kTool, "--jet3", input, output},
                                               {kTool, "--jet3", "x", input, output},
                                               {kTool, "--jet3", "0", input, output},
                                               {kTool, "--jet3", "70000", input, output},
                                               {kTool, "--jet3", "1251x", input, output},
                                               {kTool, "--jet4", "1251", input, output}}) {
    const Output result = RunProgram(argv);
    EXPECT_EQ(result.status, 2) << argv[2];
    EXPECT_EQ(result.err, "usage: ostrolen-mkdb [--jet3 CODEPAGE] INPUT OUTPUT.mdb\n");
    EXPECT_FALSE(std::filesystem::exists(output));
  }
}

TEST(MkdbProgram, Jet3Faults) {
  const TempDir dir;
  const std::string input = (dir.path() / "bad.tsv").string();
  const std::string output = (dir.path() / "bad.mdb").string();
  const struct {
    const char* code_page;
    std::string description;
    std::string message;
  } cases[] = {
      {"1252", "table\tT\ncolumn\ta\ttext\nrow\tabc\nrow\tабв\n",
       ":4: a text has a character that code page 1252 does not have\n"},
      {"1251", "table\tT\ncolumn\ta\ttext\nrow\tабв ü\n",
       ":3: a text has a character that code page 1251 does not have\n"},
      {"1252", "table\tТаблица\ncolumn\ta\ttext\n",
       ":1: a table or column name has a character that code page 1252 does not have\n"},
      {"1251", "table\tT\ncolumn\ta\ttext\nrow\t" + std::string(251, 'x') + "\n",
       ":3: row takes 256 bytes; a Jet 3 row holds at most 255\n"},
      {"1251", "table\tT\ncolumn\ta\ttext\nrow\t" + std::string(250, 'x') + "\n", ""},
  };
  for (const auto& c : cases) {
    WriteFile(input, c.description);
    const Output result = RunProgram({kTool, "--jet3", c.code_page, input, output});
    EXPECT_EQ(result.status, c.message.empty() ? 0 : 1) << c.message;
    EXPECT_EQ(result.err, c.message.empty() ? "" : input + c.message);
    EXPECT_EQ(std::filesystem::exists(output), c.message.empty()) << c.message;
  }
}

// The same description as a Jet 3 and as a Jet 4 file: mdbtools and libmdb
// read the same values from both.
TEST(MkdbProgram, Jet3FilesHoldWhatJet4FilesHold) {
  const TempDir dir;
  const std::string input = (dir.path() / "kinds.tsv").string();
  WriteFile(input,
            "table\tВиды\n"
            "column\tтекст\ttext(20)\n"
            "column\tчисло\tlong\n"
            "column\tда\tbool\n"
            "column\tещё\ttext\n"
            "row\tЁлка ё\t-2147483648\t1\t\\N\n"
            "row\t\t0\t0\tпустой текст слева\n"
            "row\t\\N\t\\N\t1\tЯ\n"
            "row\tTab\\tи \\\\ «»\t2147483647\t0\t№ 1\n"
            "\ntable\tПусто\ncolumn\tа\ttext\n");
  const std::string jet3 = (dir.path() / "kinds3.mdb").string(), jet4 = (dir.path() / "kinds4.mdb").string();
  ASSERT_EQ(RunProgram({kTool, "--jet3", "1251", input, jet3}).status, 0);
  ASSERT_EQ(RunProgram({kTool, input, jet4}).status, 0);
  if (!HaveMdbTools()) GTEST_SKIP() << kNoMdbTools;
  EXPECT_EQ(RunProgram({"mdb-ver", jet3}).out, "JET3\n");
  EXPECT_EQ(TableNames(jet3), TableNames(jet4));
  EXPECT_EQ(TableNames(jet3), (std::vector<std::string>{"Виды", "Пусто"}));
  EXPECT_EQ(SchemaLines(jet3, "Виды"), SchemaLines(jet4, "Виды"));
  EXPECT_EQ(ExportRows(jet3, "Виды"), ExportRows(jet4, "Виды"));
  EXPECT_EQ(ExportRows(jet3, "Виды").size(), 4u);
  EXPECT_EQ(CountRows(jet3, "Пусто"), 0);
  if (!HaveLibmdb()) return;
  EXPECT_EQ(LibmdbRows(jet3, "Виды"), LibmdbRows(jet4, "Виды"));
  EXPECT_EQ(LibmdbRows(jet3, "Виды")[0][0], "Ёлка ё");
}

}  // namespace
}  // namespace ostrolen::mkdb::test

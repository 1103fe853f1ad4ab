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
    EXPECT_EQ(output.err, "usage: ostrolen-mkdb INPUT OUTPUT.mdb\n");
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
      {"table\tT\ncolumn\ta\ttext(2)\nrow\tабв\n", ":3: value 1 (column a): text of 3 characters is longer than text(2)\n"},
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

}  // namespace
}  // namespace ostrolen::mkdb::test

// The command-line programs in the C locale with LANG unset, as a
// container or a minimal server starts them: their Cyrillic output, byte
// for byte, is what it is in a UTF-8 locale.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace ostrolen::testing {
namespace {

const std::string kCli = OSTROLEN_CLI_PATH;
const std::string kMkdb = OSTROLEN_MKDB_PATH;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& run) {
  return os << "status " << run.status << ", out \"" << run.out << "\", err \"" << run.err << "\"";
}

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrolen-locale-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Runs `argv` in the test's folder with LC_ALL=`locale` and no LANG,
  // LANGUAGE or other LC_ variable.
  Outcome RunIn(const std::string& locale, const std::vector<std::string>& argv) const {
    std::vector<std::string> env = EnvironmentWithout({"LC_ALL=" + locale});
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const std::string out_path = (folder_ / ".out").string(), err_path = (folder_ / ".err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder_.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    Outcome run;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = Slurp(out_path);
    run.err = Slurp(err_path);
    std::filesystem::remove(out_path);
    std::filesystem::remove(err_path);
    return run;
  }

  // In the C locale, checked against `expected` and against the same run in C.UTF-8.
  void Expect(const std::vector<std::string>& argv, const Outcome& expected) const {
    const Outcome plain = RunIn("C", argv);
    EXPECT_EQ(plain, expected) << argv[1] << " " << (argv.size() > 2 ? argv[2] : "");
    EXPECT_EQ(plain, RunIn(std::string(kUtf8Locale), argv)) << argv[1];
  }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream out(folder_ / name, std::ios::binary);
    out << text;
  }

  std::filesystem::path folder_;
};

TEST_F(LocaleTest, DecodeWritesCyrillicLines) {
  Expect({kCli, "decode", "uvp", "0075", "003F"}, {0, "БВ 01-60 УВП 0-3\n", ""});
  // Two lines of the abbreviated class of service end in a blank.
  const Outcome sko = RunIn("C", {kCli, "decode", "sko", "271A6"});
  EXPECT_EQ(sko.status, 0);
  const std::string head =
      "Ограничение ведомственной связи \n"
      "Ограничение исходящей связи \n";
  EXPECT_EQ(sko.out.substr(0, head.size()), head);
  EXPECT_NE(sko.out.find("Услуга \"Экстренная связь\"(Экс) = выключена\n"), std::string::npos);
  Expect({kCli, "decode", "sko", "271A6"}, sko);
  Expect({kCli, "decode", "uvp", "0075", "0G3F"}, {1, "", "ostrolen-cli: '$G' is not a valid integer value.\n"});
}

TEST_F(LocaleTest, PressTakesCyrillicTextAndWritesCyrillicReports) {
  Expect({kCli, "press", "SpeedButton1", "Edit1=8", "Edit2=Ж"}, {0,
                                                                 "press\tSpeedButton1\n"
                                                                 "report\tПервый знак должен быть не более 7!\n"
                                                                 "error\t'$Ж' is not a valid integer value.\n"
                                                                 "box\tEdit3\t0\nbox\tEdit4\t0\nbox\tEdit5\t0\n",
                                                                 ""});
  const Outcome bits = RunIn("C", {kCli, "press", "SpeedButton8", "Edit29=Ж"});
  const std::string error = "press\tSpeedButton8\nerror\t'$Ж' is not a valid integer value.\n";
  EXPECT_EQ(bits.out.substr(0, error.size()), error);
}

// ostrolen-mkdb reads a Cyrillic description in the C locale; the segment
// lookup then reads the file through the reader program, which the
// command-line program starts with its own environment.
TEST_F(LocaleTest, MkdbAndTheSegmentLookupThroughTheReader) {
  Write("source.tsv",
        "table\tsegmoborud\n"
        "column\tnomsegm\ttext(2)\n"
        "column\toborud\ttext\n"
        "row\tЖ1\tСегмент Ж1\n"
        "row\t3C\tЛинии УСК 0-7\n"
        "\n"
        "table\tSegment\n"
        "column\tnomsegm\ttext(2)\n"
        "column\tnomstep\ttext(2)\n"
        "column\tisppro\ttext\n"
        "column\tneispr\ttext\n"
        "column\tprim\ttext\n"
        "row\tЖ1\t1\tПрограмма «Ж1-1»\tНеисправность Ж1-1 \tПримечание: ё, Ё, й\n");
  Expect({kMkdb, "source.tsv", "dbveltra.mdb"}, {0, "", ""});
  const std::string made = Slurp(folder_ / "dbveltra.mdb");
  ASSERT_GT(made.size(), 4096u);
  // The C-locale file is the UTF-8-locale one.
  ASSERT_EQ(RunIn(std::string(kUtf8Locale), {kMkdb, "source.tsv", "again.mdb"}).status, 0);
  EXPECT_TRUE(made == Slurp(folder_ / "again.mdb"));

  const std::string lines =
      "Проверяемое оборудование:\n"
      "Сегмент Ж1\n"
      "\n"
      "Наименование исполнительной программы:\n"
      "Программа «Ж1-1»\n"
      "\n"
      "Неисправность:\n"
      "Неисправность Ж1-1 \n"
      "\n"
      "Примечание:\n"
      "Примечание: ё, Ё, й\n";
  Expect({kCli, "decode", "segment", "ж1", "1"}, {0, lines, ""});
  std::string records = "press\tSpeedButton17\n";
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = lines.find('\n', at);
    records += "line\t" + lines.substr(at, end - at + 1);
    at = end + 1;
  }
  Expect({kCli, "press", "SpeedButton17", "Edit329=Ж1", "Edit330=1"}, {0, records, ""});
  Expect({kCli, "decode", "segment", "3C", "1"},
         {1, "Проверяемое оборудование:\nЛинии УСК 0-7\n\n",
          "ostrolen-cli: В базе данных «dbveltra.mdb» нет таблицы «segmentkup».\n"});
}

TEST_F(LocaleTest, MkdbMessagesNameCyrillicTablesAndColumns) {
  Write("bad.tsv", "table\tТаблица\ncolumn\tа\ttext(2)\nrow\tя\tб\n");
  Expect({kMkdb, "bad.tsv", "bad.mdb"}, {1, "", "bad.tsv:3: row has 2 values, table Таблица has 1 columns\n"});
  // Characters, not bytes: "ябв" is three.
  Write("bad.tsv", "table\tТаблица\ncolumn\tа\ttext(2)\nrow\tябв\n");
  Expect({kMkdb, "bad.tsv", "bad.mdb"},
         {1, "", "bad.tsv:3: value 1 (column а): text of 3 characters is longer than text(2)\n"});
  Write("bad.tsv", "table\tТаблица\ncolumn\tа\ttext(2)\nrow\tяб\n");
  Expect({kMkdb, "bad.tsv", "bad.mdb"}, {0, "", ""});
}

}  // namespace
}  // namespace ostrolen::testing

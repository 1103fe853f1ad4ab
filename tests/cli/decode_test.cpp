// ostrolen-cli decode as a person uses it, checked against press: the same
// words typed into the same boxes give the same lines and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/utf8.h"

#include "tests/support/process.h"

namespace ostrolen {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Cli(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunCli(args, in, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string> Edits(std::initializer_list<std::pair<int, int>> ranges) {
  std::vector<std::string> names;
  for (const auto& [first, last] : ranges) {
    for (int n = first; n <= last; ++n) names.push_back("Edit" + std::to_string(n));
  }
  return names;
}

// Each page as the test knows it: the button, the boxes the words go into,
// and the length of one word (0: one word a box).
struct PageBoxes {
  std::string page;
  std::string button;
  std::vector<std::string> boxes;
  int word_length;
  std::vector<int> widths = {};  // one word a box: each box's maximum length
};

const std::vector<PageBoxes>& Pages() {
  static const std::vector<PageBoxes> pages = {
      {"word-to-bits", "SpeedButton1", Edits({{1, 5}}), 5},
      {"bits-to-word", "SpeedButton2", Edits({{6, 21}}), 16},
      {"dec-to-bin", "SpeedButton4", Edits({{27, 28}}), 2},
      {"bin-to-dec", "SpeedButton5", Edits({{30, 33}}), 4},
      {"hex-to-bin", "SpeedButton8", Edits({{29, 29}}), 1},
      {"bin-to-hex", "SpeedButton9", Edits({{30, 33}}), 4},
      {"first-stage", "SpeedButton3", Edits({{22, 26}}), 5},
      {"second-stage", "SpeedButton6", Edits({{34, 53}}), 5},
      {"third-stage", "SpeedButton10", Edits({{54, 73}}), 5},
      {"sko", "SpeedButton14", Edits({{274, 278}}), 5},
      {"rko", "SpeedButton15", Edits({{279, 288}}), 5},
      {"uvp", "SpeedButton11", Edits({{74, 77}, {79, 82}}), 4},
      {"bg", "SpeedButton12", Edits({{162, 165}}), 4},
      {"vvk", "SpeedButton13", Edits({{158, 161}, {166, 169}}), 4},
      {"puu", "SpeedButton16", Edits({{289, 296}}), 4},
      {"usk0", "SpeedButton7", Edits({{331, 332}}), 0, {5, 4}},
      {"usk1", "SpeedButton18", Edits({{333, 333}, {335, 335}, {334, 334}}), 0, {5, 1, 4}},
      {"usk2", "SpeedButton19", Edits({{336, 339}}), 0, {5, 1, 5, 4}},
      {"usk3", "SpeedButton20", Edits({{340, 340}, {342, 343}}), 0, {5, 4, 4}},
      {"bal", "SpeedButton21", Edits({{344, 344}}), 0, {2}},
      {"segment", "SpeedButton17", Edits({{329, 330}}), 0, {2, 2}},
  };
  return pages;
}

// The press command line that types `words` as decode does.
std::vector<std::string> PressArgs(const PageBoxes& page, const std::vector<std::string>& words) {
  std::vector<std::string> args = {"press", page.button};
  if (page.word_length == 0) {
    for (std::size_t i = 0; i < words.size(); ++i) args.push_back(page.boxes[i] + "=" + words[i]);
    return args;
  }
  std::size_t box = 0;
  for (const std::string& word : words) {
    for (const std::string_view c : SplitChars(word)) args.push_back(page.boxes[box++] + "=" + std::string(c));
  }
  return args;
}

struct Records {
  std::vector<std::string> lines, reports, errors;
  std::vector<std::pair<std::string, std::string>> boxes;
};

Records PressRecords(const std::string& out) {
  Records records;
  std::istringstream in(out);
  std::string record;
  while (std::getline(in, record)) {
    const std::size_t tab = record.find('\t');
    const std::string kind = record.substr(0, tab), rest = record.substr(tab + 1);
    if (kind == "line") records.lines.push_back(rest);
    if (kind == "report") records.reports.push_back("Ошибка!!!: " + rest);
    if (kind == "error") records.errors.push_back("ostrolen-cli: " + rest);
    if (kind == "box") records.boxes.emplace_back(rest.substr(0, rest.find('\t')), rest.substr(rest.find('\t') + 1));
  }
  return records;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// Decodes `words` on `page` and presses the same boxes; both must show the same.
void CrossCheck(const PageBoxes& page, const std::vector<std::string>& words) {
  SCOPED_TRACE(page.page + " " + ::testing::PrintToString(words));
  std::vector<std::string> args = {"decode", page.page};
  args.insert(args.end(), words.begin(), words.end());
  const Outcome decoded = Cli(args);
  const Outcome pressed = Cli(PressArgs(page, words));
  ASSERT_EQ(pressed.status, 0) << pressed.err;
  const Records records = PressRecords(pressed.out);
  std::vector<std::string> messages = records.reports;
  messages.insert(messages.end(), records.errors.begin(), records.errors.end());
  EXPECT_EQ(Lines(decoded.err), messages);
  EXPECT_EQ(decoded.status, records.errors.empty() ? 0 : 1);
  if (page.page.find("-to-") == std::string::npos) {
    EXPECT_EQ(Lines(decoded.out), records.lines);
  }
}

const char kHex[] = "0123456789ABCDEFabcdef";

std::string RandomWord(std::mt19937& random, int length, const char* alphabet, int size) {
  std::string word;
  for (int i = 0; i < length; ++i) word += alphabet[std::uniform_int_distribution<int>(0, size - 1)(random)];
  return word;
}

TEST(Decode, GivesWhatPressGivesOnEveryPage) {
  std::mt19937 random(7);
  for (const PageBoxes& page : Pages()) {
    if (page.page == "segment") continue;  // below, with the database
    for (int run = 0; run < 40; ++run) {
      std::vector<std::string> words;
      if (page.word_length == 0) {
        for (std::size_t i = 0; i < page.boxes.size(); ++i) {
          // Line numbers and words of the УСК rows: hex digits, some short, now and then a bad one.
          const int length = std::min(page.widths[i], 1 + (run + static_cast<int>(i)) % 5);
          std::string word = RandomWord(random, length, kHex, 22);
          if (run % 9 == 8) word.back() = 'G';
          words.push_back(word);
        }
      } else {
        const int count = static_cast<int>(page.boxes.size()) / page.word_length;
        for (int w = 0; w < count; ++w) {
          // Bits on the bit pages; elsewhere hex digits, which also overrun the code-word maxima.
          const bool bits = page.page.rfind("bi", 0) == 0;
          std::string word =
              bits ? RandomWord(random, page.word_length, "01", 2) : RandomWord(random, page.word_length, kHex, 22);
          if (run % 7 == 6) word[static_cast<std::size_t>(w) % word.size()] = "G2x"[run % 3];
          words.push_back(word);
        }
      }
      CrossCheck(page, words);
    }
  }
}

TEST(Decode, WorkedExamples) {
  EXPECT_EQ(Cli({"decode", "uvp", "0075", "003F"}).out, "БВ 01-60 УВП 0-3\n");
  EXPECT_EQ(Cli({"decode", "uvp", "4035 403F"}).out, "ГВТ 0-й ствол\nГВТ 1-й ствол\n");
  const Outcome sko = Cli({"decode", "sko", "271A6"});
  EXPECT_EQ(sko.status, 0);
  EXPECT_EQ(sko.err, "");
  ASSERT_GE(Lines(sko.out).size(), 2u);
  EXPECT_EQ(Lines(sko.out)[0], "Ограничение ведомственной связи ");
  EXPECT_EQ(Lines(sko.out)[1], "Ограничение исходящей связи ");
  const Outcome bal = Cli({"decode", "bal", "13"});
  EXPECT_EQ(Lines(bal.out).back(), "КЗ в БАЛе 3 стативного ряда 1");
}

TEST(Decode, SeparatorsAndRunsOfWordsAreTheSame) {
  const std::string expected = Cli({"decode", "uvp", "0075", "003F"}).out;
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"0075003F"}, {"0075-003F"}, {"0 0 7 5", "0,0;3:F"}, {"00.75/00_3F"}, {"0075\t003F"}}) {
    EXPECT_EQ(Cli([&] {
                std::vector<std::string> args = {"decode", "uvp"};
                args.insert(args.end(), words.begin(), words.end());
                return args;
              }())
                  .out,
              expected)
        << ::testing::PrintToString(words);
  }
}

TEST(Decode, MissingWordsLeaveTheDefaults) {
  // One of the two message words: word 2 is filled with 0000, as the page fills an empty box.
  EXPECT_EQ(Cli({"decode", "vvk", "0030"}).out, Cli({"decode", "vvk", "0030", "0000"}).out);
  EXPECT_EQ(Cli({"decode", "usk0"}).out, Cli({"decode", "usk0", "00000", "0000"}).out);
  EXPECT_EQ(Cli({"decode", "usk0"}).status, 0);
}

TEST(Decode, TheConverterShowsItsBoxes) {
  EXPECT_EQ(Cli({"decode", "word-to-bits", "271A6"}).out, "WORD 271A6\nBITS 0101 1101 1010 0110\n");
  EXPECT_EQ(Cli({"decode", "word-to-bits", "773ff"}).out, "WORD 773ff\nBITS 1111 1111 1111 1111\n");
  EXPECT_EQ(Cli({"decode", "bits-to-word", "0101 1101 1010 0110"}).out, "WORD 271A6\nBITS 0101 1101 1010 0110\n");
  EXPECT_EQ(Cli({"decode", "hex-to-bin", "a"}).out, "DEC 10\nHEX a\nBIN 1010\n");
  EXPECT_EQ(Cli({"decode", "dec-to-bin", "09"}).out, "DEC 09\nHEX 9\nBIN 1001\n");
  EXPECT_EQ(Cli({"decode", "bin-to-dec", "1111"}).out, "DEC 15\nHEX F\nBIN 1111\n");
  // An over-large decimal empties the bits and the hex digit; the report goes to standard error.
  const Outcome big = Cli({"decode", "dec-to-bin", "20"});
  EXPECT_EQ(big.out, "DEC 20\nHEX _\nBIN ____\n");
  EXPECT_EQ(big.err, "Ошибка!!!: Десятичное число не должнл быть более 15!\n");
  EXPECT_EQ(big.status, 0);
  const Outcome check = Cli({"decode", "bin-to-dec", "0200"});
  EXPECT_EQ(check.out, "DEC 08\nHEX _\nBIN 0200\n");
  EXPECT_EQ(Cli({"decode", "bin-to-hex", "0200"}).out, "DEC 08\nHEX 0\nBIN 0200\n");
  EXPECT_EQ(check.err, "Ошибка!!!: Неправильный формат! Должны вводиться только 0 и 1 !\n");
}

TEST(Decode, TheConverterShowsWhatPressWrote) {
  std::mt19937 random(11);
  for (const PageBoxes& page : Pages()) {
    if (page.page.find("-to-") == std::string::npos) continue;
    for (int run = 0; run < 30; ++run) {
      const bool bits = page.page.rfind("bi", 0) == 0;
      const std::string word = bits ? RandomWord(random, page.word_length, "0102", run % 5 == 4 ? 4 : 2)
                                    : RandomWord(random, page.word_length, kHex, 16);
      const Records pressed = PressRecords(Cli(PressArgs(page, {word})).out);
      const std::string decoded = Cli({"decode", page.page, word}).out;
      // Every box the press changed stands in decode's output, in its place.
      for (const auto& [box, text] : pressed.boxes) {
        EXPECT_NE(decoded.find(text.empty() ? "_" : text), std::string::npos) << page.page << " " << word << " " << box;
      }
    }
  }
}

TEST(Decode, AConversionErrorStopsWithStatusOneAndKeepsTheLinesWritten) {
  const Outcome run = Cli({"decode", "usk0", "1", "12G4"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Тип проверки: объединичивание\n\n№ неисправной линейки УСК:\n1\n\n");
  EXPECT_EQ(run.err, "ostrolen-cli: '$G' is not a valid integer value.\n");
  const Outcome hex = Cli({"decode", "hex-to-bin", "G"});
  EXPECT_EQ(hex.status, 1);
  EXPECT_EQ(hex.err, "ostrolen-cli: '$G' is not a valid integer value.\n");
}

TEST(Decode, UsageErrorsExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"decode"},
      {"decode", "nope", "0000"},
      {"decode", "UVP", "0075"},
      {"decode", "uvp", "007"},
      {"decode", "uvp", "0075", "003F", "0000"},
      {"decode", "sko", "271A"},
      {"decode", "sko", "271A6", "0"},
      {"decode", "usk0", "123456"},
      {"decode", "usk0", "1", "12345"},
      {"decode", "usk0", "1", "2", "3"},
      {"decode", "bal", "123"},
      {"decode", "segment", "123"},
      {"decode", "uvp", "\xD0"},
  };
  for (const auto& args : cases) {
    const Outcome run = Cli(args);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, "") << ::testing::PrintToString(args);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  }
}

TEST(Decode, StandardInputLineByLine) {
  const Outcome run = Cli({"decode", "uvp", "-"}, "0075 003F\n\n4035 403F\r\n0035 007F\n");
  EXPECT_EQ(run.status, 0);
  // The empty input line is skipped; an empty result still has its place.
  EXPECT_EQ(run.out, "БВ 01-60 УВП 0-3\n\\\nГВТ 0-й ствол\nГВТ 1-й ствол\n\\\n");
  EXPECT_EQ(run.err, "");
}

TEST(Decode, StandardInputNamesTheLinesThatFailed) {
  const Outcome run = Cli({"decode", "uvp", "-"}, "0075 003F\n00G5 003F\n123\n4035 403F\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err),
            std::vector<std::string>({"ostrolen-cli: line 2: '$G' is not a valid integer value.",
                                      "ostrolen-cli: line 3: uvp takes words of 4 character(s); got 3 in all"}));
  EXPECT_EQ(Lines(run.out).back(), "ГВТ 1-й ствол");
  const Outcome reports = Cli({"decode", "first-stage", "-"}, "9000 0\n35 29C\n");
  EXPECT_EQ(reports.status, 0);
  EXPECT_EQ(Lines(reports.err), std::vector<std::string>({"line 1: Ошибка!!!: Первый знак должен быть не более 7!"}));
  EXPECT_EQ(reports.out,
            Cli({"decode", "first-stage", "90000"}).out + "\\\n" + Cli({"decode", "first-stage", "3529C"}).out);
}

TEST(Decode, EachLineStartsOnAFreshPage) {
  // The second line fills only line and word: the bit box is empty again, not the first line's 7.
  const Outcome run = Cli({"decode", "usk1", "-"}, "1 7 0000\n2\n");
  EXPECT_EQ(run.out, Cli({"decode", "usk1", "1", "7", "0000"}).out + "\\\n" + Cli({"decode", "usk1", "2"}).out);
}

TEST(Decode, HelpShowsEveryPageWithAnExampleThatRuns) {
  const Outcome help = Cli({"decode", "--help"});
  const Outcome top = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(top.out.find(help.out), std::string::npos) << "the program's help includes decode's";
  EXPECT_NE(top.out.find("ostrolen-cli press BUTTON"), std::string::npos);
  const std::vector<std::string> names = DecodePageNames();
  ASSERT_EQ(names.size(), Pages().size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], Pages()[i].page);
    const std::string prefix = "  ostrolen-cli decode " + names[i] + " ";
    const std::size_t at = help.out.find(prefix);
    ASSERT_NE(at, std::string::npos) << names[i];
    std::istringstream example(help.out.substr(at + prefix.size(), help.out.find('\n', at) - at - prefix.size()));
    std::vector<std::string> args = {"decode", names[i]};
    for (std::string word; example >> word;) args.push_back(word);
    const Outcome run = Cli(args);
    if (names[i] != "segment") {
      EXPECT_EQ(run.status, 0) << names[i] << ": " << run.err;
      EXPECT_EQ(run.err, "") << names[i];
    }
    EXPECT_NE(run.status, 2) << names[i] << ": " << run.err;
  }
}

#ifdef OSTROLEN_SAMPLE_DIR
// The segment lookup reads dbveltra.mdb from the current folder.
TEST(Decode, SegmentsFromTheSampleDatabase) {
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(chdir(OSTROLEN_SAMPLE_DIR), 0);
  const PageBoxes& page = Pages().back();
  for (const std::vector<std::string>& words :
       std::vector<std::vector<std::string>>{{"0", "0"}, {"12", "3"}, {"3C", "1"}, {"0"}, {"ZZ", "Z"}, {}}) {
    CrossCheck(page, words);
  }
  const Outcome found = Cli({"decode", "segment", "0", "0"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_GT(Lines(found.out).size(), 1u);
  ASSERT_EQ(chdir(here), 0);
}
#endif

// The program itself, in a pipe.
Outcome Process(const std::string& command) {
  const testing::ProcessRun run = testing::RunShell(command);
  return {run.status, run.out, {}};
}

TEST(DecodeProgram, ReadsALogFromAPipe) {
  const std::string cli = OSTROLEN_CLI_PATH;
  const Outcome run = Process("printf '0075 003F\\n4035 403F\\n' | " + cli + " decode uvp -");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "БВ 01-60 УВП 0-3\n\\\nГВТ 0-й ствол\nГВТ 1-й ствол\n");
  const Outcome failed = Process(cli + " decode uvp 00G5 003F 2>&1");
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "ostrolen-cli: '$G' is not a valid integer value.\n");
  EXPECT_EQ(Process(cli + " decode uvp 1 2>/dev/null").status, 2);
}

}  // namespace
}  // namespace ostrolen

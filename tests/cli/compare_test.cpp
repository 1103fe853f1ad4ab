// ostrolen-cli compare checked against two decodes of its own words: the
// records give back both results in order on every page, subscriber lines
// pair by field, and bad input stops with one line and status 2. The
// PAGE=WORDS address of a decode comes back to the same boxes on every page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/compare.h"
#include "core/history.h"
#include "pages/pages.h"

#include "tests/support/cli.h"

namespace ostrolen {
namespace {

using testing::Cli;
using testing::CliOutcome;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& record) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  while (true) {
    const std::size_t tab = record.find('\t', at);
    fields.push_back(record.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
    if (tab == std::string::npos) return fields;
    at = tab + 1;
  }
}

// The escapes of a record field that a decoder's line can need.
std::string Unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      text += field[i];
      continue;
    }
    const char c = field[++i];
    text += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return text;
}

// Both results read back from compare's records, each record checked for its shape.
struct ReadBack {
  std::vector<std::string> before;
  std::vector<std::string> after;
  bool differs = false;
};

ReadBack Read(const std::string& out) {
  ReadBack back;
  for (const std::string& record : Lines(out)) {
    const std::vector<std::string> fields = Fields(record);
    EXPECT_EQ(fields.size(), fields[0] == "~" ? 3u : 2u) << record;
    if (fields.size() < 2) continue;
    const std::string text = Unescaped(fields[1]);
    if (fields[0] == "=") {
      back.before.push_back(text);
      back.after.push_back(text);
    } else if (fields[0] == "~" && fields.size() == 3) {
      back.after.push_back(text);
      back.before.push_back(Unescaped(fields[2]));
      EXPECT_NE(fields[1], fields[2]) << record;
      back.differs = true;
    } else if (fields[0] == "+") {
      back.after.push_back(text);
      back.differs = true;
    } else if (fields[0] == "-") {
      back.before.push_back(text);
      back.differs = true;
    } else {
      ADD_FAILURE() << "unknown record: " << record;
    }
  }
  return back;
}

std::vector<std::string> Args(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> args;
  for (const std::vector<std::string>& part : parts) args.insert(args.end(), part.begin(), part.end());
  return args;
}

// The example words of each page, from decode's help.
std::vector<std::pair<std::string, std::vector<std::string>>> Examples() {
  const std::string help = Cli({"decode", "--help"}).out;
  std::vector<std::pair<std::string, std::vector<std::string>>> examples;
  for (const std::string& page : DecodePageNames()) {
    const std::string prefix = "  ostrolen-cli decode " + page + " ";
    const std::size_t at = help.find(prefix);
    EXPECT_NE(at, std::string::npos) << page;
    if (at == std::string::npos) continue;
    std::istringstream words(help.substr(at + prefix.size(), help.find('\n', at) - at - prefix.size()));
    std::vector<std::string> list;
    for (std::string word; words >> word;) list.push_back(word);
    examples.emplace_back(page, list);
  }
  return examples;
}

// Words like `example`: each character kept or replaced by one of the same kind.
std::vector<std::string> Mutated(const std::vector<std::string>& example, std::mt19937& random, int percent) {
  std::string all;
  for (const std::string& word : example) all += word;
  const bool bits = all.find_first_not_of("01 ") == std::string::npos;
  const std::string digits = bits ? "01" : "0123456789ABCDEFabcdef";
  std::vector<std::string> words = example;
  for (std::string& word : words) {
    for (char& c : word) {
      if (c != ' ' && static_cast<int>(random() % 100) < percent) c = digits[random() % digits.size()];
    }
  }
  return words;
}

TEST(Compare, TheGoneFaultOfTheUvpExample) {
  const CliOutcome run = Cli({"compare", "uvp", "0075", "003F", "--", "0035", "003F"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "-\tБВ 01-60 УВП 0-3\n");
  EXPECT_EQ(run.err, "");
  const CliOutcome back = Cli({"compare", "uvp", "0035", "003F", "--", "0075", "003F"});
  EXPECT_EQ(back.status, 1);
  EXPECT_EQ(back.out, "+\tБВ 01-60 УВП 0-3\n");
  const CliOutcome same = Cli({"compare", "uvp", "0075", "003F", "--", "0075-003F"});
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, "=\tБВ 01-60 УВП 0-3\n");
}

// Every decoding page, thousands of random pairs: the =, ~ and + records
// are the new decode's lines, the =, ~ (old) and - records the old one's,
// and the status says whether they differ.
TEST(Compare, EveryPageGivesBackBothDecodes) {
  std::mt19937 random(1807);
  int compared = 0;
  int differing = 0;
  int changed = 0;
  for (const auto& [page, example] : Examples()) {
    if (page == "segment") continue;  // needs the database; below
    int page_compared = 0;
    for (int round = 0; round < 250; ++round) {
      const std::vector<std::string> before = Mutated(example, random, 40);
      const std::vector<std::string> after = round % 5 == 0 ? before : Mutated(before, random, round % 2 ? 10 : 50);
      const CliOutcome old_decode = Cli(Args({{"decode", page}, before}));
      const CliOutcome new_decode = Cli(Args({{"decode", page}, after}));
      const CliOutcome run = Cli(Args({{"compare", page}, before, {"--"}, after}));
      if (old_decode.status != 0 || new_decode.status != 0) {
        EXPECT_EQ(run.status, 2) << page << ": " << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Lines(run.err).size(), std::size_t{old_decode.status != 0} + std::size_t{new_decode.status != 0});
        continue;
      }
      const ReadBack back = Read(run.out);
      ASSERT_EQ(back.after, Lines(new_decode.out)) << page << " " << run.out;
      ASSERT_EQ(back.before, Lines(old_decode.out)) << page << " " << run.out;
      EXPECT_EQ(run.status, back.differs ? 1 : 0) << page;
      EXPECT_EQ(back.differs, old_decode.out != new_decode.out) << page << " " << run.out;
      ++compared;
      ++page_compared;
      differing += back.differs ? 1 : 0;
      changed += static_cast<int>(std::count(run.out.begin(), run.out.end(), '~'));
    }
    EXPECT_GT(page_compared, 25) << page << ": most random words should decode";
  }
  EXPECT_GT(compared, 2000);
  EXPECT_GT(differing, 1000);
  EXPECT_GT(changed, 1000);
}

// On the АХ pages a field shown on both sides is always one pair: the same
// line, or the same field with another value, never gone and new.
TEST(Compare, SubscriberLinesPairByField) {
  std::mt19937 random(4);
  const std::vector<std::string> pages = {"first-stage", "second-stage", "third-stage", "sko", "rko"};
  int changed = 0;
  for (const auto& [page, example] : Examples()) {
    if (std::find(pages.begin(), pages.end(), page) == pages.end()) continue;
    for (int round = 0; round < 400; ++round) {
      const DecodeOutcome before = DecodeWords(page, Mutated(example, random, 40));
      const DecodeOutcome after = DecodeWords(page, Mutated(example, random, round % 2 ? 5 : 40));
      const std::vector<ComparedLine> lines = CompareLines(before.lines, after.lines);
      std::size_t i = 0, j = 0;
      std::vector<int> gone, added;
      for (const ComparedLine& line : lines) {
        switch (line.change) {
          case Change::Same:
          case Change::Changed:
            ASSERT_EQ(before.lines[i].origin.field, after.lines[j].origin.field) << page << " " << line.text;
            if (line.change == Change::Changed) {
              ASSERT_GE(after.lines[j].origin.field, 0) << line.text;
              ++changed;
            }
            ++i, ++j;
            break;
          case Change::Gone: gone.push_back(before.lines[i++].origin.field); break;
          case Change::Added: added.push_back(after.lines[j++].origin.field); break;
        }
      }
      for (const int field : gone) {
        if (field >= 0) {
          EXPECT_EQ(std::count(added.begin(), added.end(), field), 0) << page << ": field " << field;
        }
      }
    }
  }
  EXPECT_GT(changed, 500);
  // A class of service changed in one field: one ~ record, every other line =.
  const CliOutcome sko = Cli({"compare", "sko", "271A6", "--", "273A6"});
  EXPECT_EQ(sko.status, 1);
  std::size_t tildes = 0;
  for (const std::string& record : Lines(sko.out)) {
    EXPECT_TRUE(record.starts_with("=\t") || record.starts_with("~\t")) << record;
    tildes += record.starts_with("~\t") ? 1 : 0;
  }
  EXPECT_GE(tildes, 1u);
  EXPECT_LT(tildes, Lines(sko.out).size());
}

TEST(Compare, BadInputIsOneLineAndStatusTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"compare"}, "ostrolen-cli: 'compare' needs a page name (see ostrolen-cli compare --help)\n"},
      {{"compare", "nosuch", "1", "--", "2"},
       "ostrolen-cli: no page named 'nosuch' (see ostrolen-cli decode --help)\n"},
      {{"compare", "uvp", "0075", "003F", "0035", "003F"},
       "ostrolen-cli: compare needs '--' between the old words and the new words\n"},
      {{"compare", "uvp", "0075", "--", "0035", "--", "003F"},
       "ostrolen-cli: compare takes one '--', between the old words and the new words\n"},
      {{"compare", "uvp", "0075", "003F", "--", "0035"},
       "ostrolen-cli: the old words fill 8 box(es) of uvp and the new words 4: compare takes as many of each\n"},
      {{"compare", "sko", "271A6", "--", "271A"},
       "ostrolen-cli: new words: sko takes words of 5 character(s); got 4 in all\n"},
      {{"compare", "sko", "2Z1A6", "--", "271A6"}, "ostrolen-cli: old words: '$Z' is not a valid integer value.\n"},
      {{"compare", "uvp", "0075", "003F", "--", "0035", "00G0"},
       "ostrolen-cli: new words: '$G' is not a valid integer value.\n"},
      {{"compare", "usk0", "00012", "5FFF", "--", "00012", "5FFFF"},
       "ostrolen-cli: new words: '5FFFF' is longer than 4 character(s)\n"},
  };
  for (const Case& one : cases) {
    const CliOutcome run = Cli(one.args);
    EXPECT_EQ(run.status, 2) << one.err;
    EXPECT_EQ(run.out, "") << one.err;
    EXPECT_EQ(run.err, one.err);
  }
}

TEST(Compare, ReportsGoToStandardErrorNamingTheirSide) {
  const CliOutcome run = Cli({"compare", "sko", "871A6", "--", "271A6"});
  const CliOutcome decode = Cli({"decode", "sko", "871A6"});
  ASSERT_FALSE(decode.err.empty());
  EXPECT_EQ(run.err, "old words: " + decode.err);
  EXPECT_EQ(run.status, 1);
}

TEST(Compare, PairsFromStandardInput) {
  const CliOutcome run = Cli({"compare", "uvp", "-"}, "0075 003F -- 0035 003F\n\n0035 003F -- 0035-003F\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "-\tБВ 01-60 УВП 0-3\n\n");
  EXPECT_EQ(run.err, "");
  const CliOutcome same = Cli({"compare", "uvp", "-"}, "0075 003F -- 0075 003F\n");
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, "=\tБВ 01-60 УВП 0-3\n");
  const CliOutcome bad = Cli({"compare", "uvp", "-"}, "0075 003F 0035 003F\n0075 003F -- 0035 003F\n0075 -- 00G5\n");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "-\tБВ 01-60 УВП 0-3\n");
  EXPECT_EQ(bad.err,
            "ostrolen-cli: line 1: compare needs '--' between the old words and the new words\n"
            "ostrolen-cli: line 3: new words: '$G' is not a valid integer value.\n");
}

TEST(Compare, HelpDescribesItAndEveryExampleRuns) {
  const CliOutcome help = Cli({"compare", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(Cli({"--help"}).out.find(help.out), std::string::npos) << "the program's help includes compare's";
  for (const std::string text : {"=  TEXT", "~  NEW-TEXT  OLD-TEXT", "+  TEXT", "-  TEXT", "Exit status: 0"}) {
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  }
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
#ifdef OSTROLEN_SAMPLE_DIR
  ASSERT_EQ(chdir(OSTROLEN_SAMPLE_DIR), 0);
#endif
  int examples = 0;
  for (const std::string& line : Lines(help.out)) {
    const std::string prefix = "  ostrolen-cli compare ";
    if (!line.starts_with(prefix)) continue;
    std::istringstream words(line.substr(prefix.size()));
    std::vector<std::string> args = {"compare"};
    for (std::string word; words >> word;) args.push_back(word);
    const CliOutcome run = Cli(args);
    ++examples;
#ifndef OSTROLEN_SAMPLE_DIR
    if (args[1] == "segment") continue;
#endif
    EXPECT_EQ(run.status, 1) << line << ": " << run.err;
    EXPECT_EQ(run.err, "") << line;
    // The worked examples of one line or one group each change everything.
    if (args[1] != "uvp" && args[1] != "word-to-bits") {
      EXPECT_NE(run.out.find("=\t"), std::string::npos) << line << ": some lines stay\n" << run.out;
    }
    EXPECT_TRUE(Read(run.out).differs) << line;
  }
  EXPECT_EQ(examples, 7);
  const std::string pipe =
      "  printf '0075 003F -- 0035 003F\\n0035 003F -- 0035 003F\\n' | ostrolen-cli compare uvp -\n";
  EXPECT_NE(help.out.find(pipe), std::string::npos);
  ASSERT_EQ(chdir(here), 0);
}

// The address of a decode and the boxes it gives: PAGE=WORDS written from
// the boxes the words fill, read back and filled again, on every page.
TEST(Address, RoundTripsOverEveryPage) {
  std::mt19937 random(17);
  for (const auto& [page, example] : Examples()) {
    int checked = 0;
    for (int round = 0; round < 300; ++round) {
      std::vector<std::string> words = Mutated(example, random, 60);
      if (round % 3 == 1 && !words.empty()) words.pop_back();
      BoxTexts boxes;
      try {
        boxes = DecodeSettings(page, words);
      } catch (const std::invalid_argument&) {
        continue;
      }
      const PageLayout* layout = boxes.empty() ? AllPages().front() : FindBox(boxes.front().first).page;
      ASSERT_NE(layout, nullptr);
      const std::optional<std::vector<std::string>> written = WordsOfBoxes(*layout, boxes);
      ASSERT_TRUE(written) << page;
      const std::string text = AddressText({page, *written});
      const std::optional<Address> read = ParseAddress("#" + text);
      ASSERT_TRUE(read) << text;
      EXPECT_EQ(read->page, page);
      EXPECT_EQ(DecodeSettings(read->page, read->words), boxes) << text;
      ++checked;
    }
    EXPECT_GT(checked, 100) << page;
  }
  // The words as the help writes them.
  EXPECT_EQ(
      AddressText({"uvp", *WordsOfBoxes(*FindButton("SpeedButton11").page, DecodeSettings("uvp", {"0075", "003F"}))}),
      "uvp=0075-003F");
  EXPECT_EQ(AddressText({"sko", *WordsOfBoxes(*FindButton("SpeedButton14").page, DecodeSettings("sko", {"271A6"}))}),
            "sko=271A6");
  EXPECT_EQ(AddressText({"usk1", *WordsOfBoxes(*FindButton("SpeedButton18").page,
                                               DecodeSettings("usk1", {"00012", "3", "A5F0"}))}),
            "usk1=00012-3-A5F0");
  // A code word with a hole, or a separator in a box, has no address; a
  // missing last position has.
  const PageLayout& sko = *FindButton("SpeedButton14").page;
  BoxTexts boxes = DecodeSettings("sko", {"271A6"});
  boxes[1].second = "";
  EXPECT_FALSE(WordsOfBoxes(sko, boxes));
  boxes[1].second = "-";
  EXPECT_FALSE(WordsOfBoxes(sko, boxes));
  boxes[1].second = "7";
  boxes[4].second = "";
  EXPECT_EQ(WordsOfBoxes(sko, boxes), (std::vector<std::string>{"271A"}));
}

}  // namespace
}  // namespace ostrolen

// Presses of the four fault pages as the operator sees them: the lines of
// the list, the bit rows, the message boxes, and what a bad digit leaves.
#include <gtest/gtest.h>

#include "tests/pages/faults/fault_test_support.h"
#include "tests/support/press.h"

namespace ostrolen::testing {
namespace {

const Lines kUvpAllZero = {"И3 СС 0-й ствол",        "И3 СС 1-й ствол",   "1-я группа ПАК 0,4,8,С",
                           "2-я группа ПАК 1,5,9,D", "И3 110В 0-й ствол", "И3 25Гц 0-й ствол",
                           "И3 110В 1-й ствол",      "И3 25Гц 1-й ствол", "1-я группа ПАК 2,6,A,E",
                           "2-я группа ПАК 3,7,B,F"};
const Lines kUvpAllOne = {"И3 ТС 0-й ствол", "И3 ТС 1-й ствол", "БВ 01-60 УВП 0-3", "БП-15 0БГ",    "БП-110 0БГ",
                          "ГТС СС 0БГ",      "ГТС СЗ 0БГ",      "ГВС 25Гц 0БГ",     "ГВС 110В 0БГ", "ГВТ 0-й ствол",
                          "БП-15 1БГ",       "БП-110 1БГ",      "ГТС СС 1БГ",       "ГТС СЗ 1БГ",   "ГВС 25Гц 1БГ",
                          "ГВС 110В 1БГ",    "ГВТ 1-й ствол"};
const Lines kBgAll = {"БВ 01-60 1ТС 60В", "БП-27В 1-й ствол",     "БП-12В БЗУ 1ЭУМ ", "БП-5В БВВ 1ЭУМ",
                      "БВ 01-60 1ТС 27В", "БП-5В БК-1 1-й ствол", "БВ 01-60 0ТС 60В", "БП-27В 0-й ствол",
                      "БП-12В БЗУ 0ЭУМ",  "БП-5В БВВ 0ЭУМ",       "БВ 01-60 0ТС 27В", "БП-5В БК-1 0-й ствол"};
const Lines kVvkAllZero = {"ПСГ", "УПД 0-го ствола 0ТС", "УПД 0-го ствола 1ТС", "УПД 1-го ствола 0ТС",
                           "УПД 1-го ствола 1ТС"};
const Lines kVvkAllOne = {"БП-5В ВВК 1-Й ствол ТС", "БВ 01-60 1-й ствол ТС", "БП-27/15В 1-йствол ТС",
                          "БП-5В ВВК 0-Й ствол ТС", "БВ 01-60 0-й ствол ТС", "ПСГ",
                          "БП-27/15В 0-йствол ТС"};
const Lines kPuuAll = {"БГ0",  "БГ1",  "БГ2",  "БГ3",  "БГ4",  "БГ5",  "БГ6",  "БГ7",  "ВВК0", "ВВК1", "ВВК2",
                       "ВВК3", "ВВК4", "ВВК5", "ВВК6", "ВВК7", "УВП0", "УВП1", "УВП2", "УВП3", "УВП4", "УВП5",
                       "УВП6", "УВП7", "УВП8", "УВП9", "УВПА", "УВПВ", "УВПС", "УВПD", "УВПЕ", "УВПF"};

struct Example {
  std::string_view page;
  std::vector<std::string> words;  // as typed; "" leaves the four boxes empty
  Lines lines;
};

const Example kExamples[] = {
    // Healthy words, all-zero and all-one messages, and every box empty.
    {"УВП", {"0035", "003F"}, {}},
    {"УВП", {"0000", "0000"}, kUvpAllZero},
    {"УВП", {"", ""}, kUvpAllZero},
    {"УВП", {"FFFF", "FFFF"}, kUvpAllOne},
    {"БГ", {"0000"}, {}},
    {"БГ", {""}, {}},
    {"БГ", {"FFFF"}, kBgAll},
    {"ВВК", {"0034", "0030"}, {}},
    {"ВВК", {"0000", "0000"}, kVvkAllZero},
    {"ВВК", {"", ""}, kVvkAllZero},
    {"ВВК", {"FFFF", "FFFF"}, kVvkAllOne},
    {"ПУУ", {"0000", "0000"}, {}},
    {"ПУУ", {"", ""}, {}},
    {"ПУУ", {"FFFF", "FFFF"}, kPuuAll},
    // Single items, pairs and unmonitored positions.
    {"УВП", {"0075", "003F"}, {"БВ 01-60 УВП 0-3"}},
    {"УВП", {"0035", "007F"}, {}},
    {"УВП", {"8135", "003F"}, {"БП-15 0БГ"}},
    {"УВП", {"4035", "403F"}, {"ГВТ 0-й ствол", "ГВТ 1-й ствол"}},
    {"УВП", {"80B5", "80FF"}, {}},
    {"УВП", {"0034", "003F"}, {"И3 СС 0-й ствол"}},
    {"БГ", {"0C0C"}, {}},
    {"БГ", {"0030"}, {"БП-12В БЗУ 1ЭУМ ", "БП-5В БВВ 1ЭУМ"}},
    {"БГ", {"8001"}, {"БВ 01-60 1ТС 60В", "БП-5В БК-1 0-й ствол"}},
    {"ВВК", {"FFF4", "FFF0"}, {}},
    {"ВВК", {"0030", "0034"}, {"ПСГ", "ПСГ"}},
    {"ВВК", {"0035", "0031"}, {"БП-5В ВВК 1-Й ствол ТС", "БП-5В ВВК 0-Й ствол ТС"}},
    {"ПУУ", {"8001", "0000"}, {"БГ7", "ВВК0"}},
    {"ПУУ", {"0100", "8001"}, {"БГ0", "УВП0", "УВПF"}},
    {"ПУУ", {"0000", "7C00"}, {"УВПА", "УВПВ", "УВПС", "УВПD", "УВПЕ"}},
    // Lower-case digits give the bits of upper-case ones.
    {"УВП", {"0035", "003f"}, {}},
    {"УВП", {"0075", "803f"}, {"БВ 01-60 УВП 0-3"}},
    {"БГ", {"ffff"}, kBgAll},
    {"ВВК", {"fff4", "fff0"}, {}},
    {"ВВК",
     {"abcd", "ef01"},
     {"БП-5В ВВК 1-Й ствол ТС", "БП-27/15В 1-йствол ТС", "УПД 0-го ствола 0ТС", "УПД 0-го ствола 1ТС",
      "БП-5В ВВК 0-Й ствол ТС", "УПД 1-го ствола 0ТС", "УПД 1-го ствола 1ТС"}},
    {"ПУУ", {"ffff", "ffff"}, kPuuAll},
};

void PrintTo(const Example& example, std::ostream* os) {
  *os << example.page;
  for (const std::string& word : example.words) *os << " \"" << word << "\"";
}

class FaultExampleTest : public ::testing::TestWithParam<Example> {};

TEST_P(FaultExampleTest, ListsTheFaultyItemsAndShowsTheBits) {
  const Example& example = GetParam();
  const FaultPageUnderTest& page = PageUnderTest(example.page);
  ModelWindow window;
  TypeWords(window, page.faults, example.words);
  EXPECT_TRUE(PressWith(window, page.button).empty());
  EXPECT_EQ(window.Lines(page.faults.list), example.lines);

  for (std::size_t w = 0; w < example.words.size(); ++w) {
    const FaultWordBoxes& word = page.faults.words[w];
    const std::string typed = example.words[w].empty() ? "0000" : example.words[w];
    EXPECT_EQ(RowText(window, word.message), typed) << "word " << w + 1 << " keeps what was typed, or \"0\"";
    EXPECT_EQ(RowText(window, word.check_row), Bits(WordValue(typed))) << "word " << w + 1;
    if (word.mask) {
      EXPECT_EQ(RowText(window, word.mask_row), Bits(page.healthy[w])) << "word " << w + 1;
    }
  }

  // Pressed again, the list is cleared first, not extended.
  EXPECT_TRUE(PressWith(window, page.button).empty());
  EXPECT_EQ(window.Lines(page.faults.list), example.lines);
}

INSTANTIATE_TEST_SUITE_P(Examples, FaultExampleTest, ::testing::ValuesIn(kExamples));

// A bad digit at each position in the order the page converts them ("ПУУ"
// from the last position of a word back to the first). The press stops
// there: boxes written before keep their new bits, the boxes of that
// position and later keep their earlier text, the "0" fills stay, and the
// list keeps the previous press's lines.
class FaultBadDigitTest : public ::testing::TestWithParam<std::string_view> {};

TEST_P(FaultBadDigitTest, StopsAtTheBadPositionLeavingWhatWasWritten) {
  const FaultPageUnderTest& page = PageUnderTest(GetParam());
  const std::vector<FaultWordBoxes>& words = page.faults.words;
  const bool backwards = GetParam() == "ПУУ";  // written from the last box of a row back to the first
  const auto order_of = [&](std::size_t w, std::size_t k) { return 4 * w + (backwards ? 3 - k : k); };

  for (std::size_t bad = 0; bad < 4 * words.size(); ++bad) {
    SCOPED_TRACE("bad position number " + std::to_string(bad + 1) + " in conversion order");
    ModelWindow window;
    TypeWords(window, page.faults, std::vector<std::string>(words.size(), "FFFF"));
    PressWith(window, page.button);
    const Lines previous = window.Lines(page.faults.list);
    ASSERT_FALSE(previous.empty());

    // Mark every row box, then type "5" before the bad position, "G" at it
    // and leave the later positions empty.
    for (const FaultWordBoxes& word : words) {
      for (const std::string& box : word.check_row) window.SetText(box, "x");
      if (word.mask) {
        for (const std::string& box : word.mask_row) window.SetText(box, "x");
      }
    }
    for (std::size_t w = 0; w < words.size(); ++w) {
      for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t n = order_of(w, k);
        window.SetText(words[w].message[k], n < bad ? "5" : n == bad ? "G" : "");
      }
    }

    EXPECT_EQ(PressWith(window, page.button), std::vector<Message>{Error("'$G' is not a valid integer value.")});
    EXPECT_EQ(window.Lines(page.faults.list), previous);
    for (std::size_t w = 0; w < words.size(); ++w) {
      std::string message;
      std::string check;
      for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t n = order_of(w, k);
        message += n < bad ? "5" : n == bad ? "G" : "0";
        check += n < bad ? "0101" : "xxxx";
      }
      EXPECT_EQ(RowText(window, words[w].message), message) << "word " << w + 1;
      EXPECT_EQ(RowText(window, words[w].check_row), check) << "word " << w + 1;
      if (words[w].mask) {
        EXPECT_EQ(RowText(window, words[w].mask_row), Bits(page.healthy[w])) << "word " << w + 1;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, FaultBadDigitTest, ::testing::Values("УВП", "БГ", "ВВК", "ПУУ"));

// Whatever is not a hexadecimal digit stops the press with its own text in
// the message; no range is checked and no report of the page's own is shown.
TEST(FaultPageInput, NamesTheBadCharacterInTheErrorBox) {
  const struct {
    std::string_view text;
    std::string_view message;
  } cases[] = {
      {"G", "'$G' is not a valid integer value."}, {"g", "'$g' is not a valid integer value."},
      {" ", "'$ ' is not a valid integer value."}, {"-", "'$-' is not a valid integer value."},
      {"Ж", "'$Ж' is not a valid integer value."}, {"С", "'$С' is not a valid integer value."},
  };
  for (const auto& c : cases) {
    ModelWindow window;
    EXPECT_EQ(PressWith(window, "SpeedButton11", {{"Edit74", c.text}}), std::vector<Message>{Error(c.message)});
    EXPECT_EQ(window.Text("Edit74"), c.text);
    EXPECT_EQ(window.Text("Edit82"), "0");
  }
}

TEST(FaultPageInput, RowBoxesTypedByTheOperatorAreOverwritten) {
  ModelWindow window;
  PressWith(window, "SpeedButton11",
            {{"Edit84", "1"},
             {"Edit78", "1"},
             {"Edit153", "0"},
             {"Edit76", "7"},
             {"Edit77", "5"},
             {"Edit81", "3"},
             {"Edit82", "F"}});
  EXPECT_EQ(Texts(window, {"Edit84", "Edit78", "Edit153"}), (std::vector<std::string>{"0", "0", "1"}));
  EXPECT_EQ(window.Lines("ListBox4"), Lines{"БВ 01-60 УВП 0-3"});
}

}  // namespace
}  // namespace ostrolen::testing

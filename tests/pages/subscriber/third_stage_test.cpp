// The initial four-word block of the third stage.
#include <string>
#include <vector>

#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

using Block = std::array<CodeWordTexts, 4>;

// The service labels in list order and the bit of word 0 behind each.
struct Service {
  std::string label;
  int bit;
};
const std::vector<Service> kServices = {
    {"Услуга \"Прямой сокращённый номер\"(ПРССН) ", 16},
    {"Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  ", 15},
    {"Услуга \"Регистрация входящих вызовов\"(РВВ)  ", 14},
    {"Услуга \"Переадресация при занятости\"(ПАЗ)  ", 13},
    {"Услуга \"Переадресация групповая участник\"(ПАГу)  ", 12},
    {"Услуга \"Переадресация безусловная\"(ПАБ)  ", 11},
    {"Услуга \"Переадресация групповая дежурный\"(ПАГд)  ", 10},
    {"Услуга \"кл\"  ", 9},
    {"Услуга \"Постановка на ожидание\"(ПОЖ)  ", 4},
    {"Услуга \"Напоминание\"(НАП)  ", 3},
};

// The lines for word 0 `services`, the number and the key.
Lines ExpectedLines(std::uint16_t services, std::string_view number, std::string_view key) {
  Lines lines;
  for (const Service& s : kServices) lines.push_back(s.label + std::string(BitOf(services, s.bit) ? kOn : kOff));
  lines.push_back("");
  lines.push_back("Линейный номер абонента ПАБ " + std::string(number));
  lines.push_back("");
  lines.push_back("Ключ-пароль " + std::string(key));
  return lines;
}

Block Filled(Block block) {
  for (auto& word : block) {
    for (auto& p : word) {
      if (p.empty()) p = "0";
    }
  }
  return block;
}

const Block kWorkedExample = {Word("1235C"), Word("5227F"), Word(""), Word("")};

struct PressCase {
  std::string name;
  Block block;
  std::vector<Message> messages;
  Lines lines;
};

TEST(AhThirdStage, PressShowsTheLines) {
  const std::vector<PressCase> cases = {
      {"all empty", {}, {}, ExpectedLines(0, "0", "0000")},
      {"кл only", {Word("00080")}, {}, ExpectedLines(0x0080, "0", "0000")},
      {"ПОЖ and НАП", {Word("14000")}, {}, ExpectedLines(0x3000, "0", "0000")},
      {"largest number", {Word(""), Word("773FF")}, {}, ExpectedLines(0, "65535", "0000")},
      {"number 1", {Word(""), Word("00001")}, {}, ExpectedLines(0, "1", "0000")},
      // Word 2 0x1234 typed in the five-position code.
      {"key reversed", {Word(""), Word(""), Word("04234")}, {}, ExpectedLines(0, "0", "4321")},
      {"key lower case", {Word(""), Word(""), Word("2723c")}, {}, ExpectedLines(0, "0", "C3E5")},
      {"worked example", kWorkedExample, {}, ExpectedLines(0x2B5C, "43647", "0000")},
      {"word 1 p2 over", {Word(""), Word("09000")}, {Report("2-й знак 1-го слова должен быть не более 7!")},
       {"Ошибок при вводе=1"}},
      {"word 3 checked too", {Word(""), Word(""), Word(""), Word("8F400")},
       {Report("1-й знак 3-го слова должен быть не более 7!"), Report("2-й знак 3-го слова должен быть не более 7!"),
        Report("3-й знак 3-го слова должен быть не более 3!")},
       {"Ошибок при вводе=3"}},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelWindow window;
    Type(window, kInitialBlockControls, c.block);
    EXPECT_EQ(PressWith(window, "SpeedButton10"), c.messages);
    EXPECT_EQ(window.Lines("ListBox3"), c.lines);
    EXPECT_EQ(PageTexts(window, kInitialBlockControls).size(), 20U);
  }
}

TEST(AhThirdStage, WorkedExampleByteForByte) {
  CollectedOutput out;
  DecodeAhThirdStage(Filled(kWorkedExample), out);
  ASSERT_EQ(out.lines.size(), 14U);
  EXPECT_EQ(out.lines[0], "Услуга \"Прямой сокращённый номер\"(ПРССН) выключена");
  EXPECT_EQ(out.lines[2], "Услуга \"Регистрация входящих вызовов\"(РВВ)  включена");
  EXPECT_EQ(out.lines[7], "Услуга \"кл\"  выключена");
  EXPECT_EQ(out.lines[9], "Услуга \"Напоминание\"(НАП)  включена");
  EXPECT_EQ(out.lines[10], "");
  EXPECT_EQ(out.lines[11], "Линейный номер абонента ПАБ 43647");
  EXPECT_EQ(out.lines[13], "Ключ-пароль 0000");
}

TEST(AhThirdStage, EmptyBoxesShowTheZerosUsed) {
  ModelWindow window;
  window.SetText("Edit73", "Q");  // word 3 p5: never read as a number
  EXPECT_TRUE(PressWith(window, "SpeedButton10").empty());
  std::vector<std::string> expected(20, "0");
  expected[19] = "Q";
  EXPECT_EQ(PageTexts(window, kInitialBlockControls), expected);
}

// A bad character in each of the twenty positions.
TEST(AhThirdStage, BadCharacterStopsTheRun) {
  enum class After { KeepsPrevious, Empty, Decoded };
  const Lines previous = {"Ошибок при вводе=2"};
  for (std::size_t w = 0; w < 4; ++w) {
    for (std::size_t p = 0; p < 5; ++p) {
      SCOPED_TRACE("word " + std::to_string(w) + " p" + std::to_string(p + 1));
      const After after = p < 3 ? After::KeepsPrevious : (w < 3 ? After::Empty : After::Decoded);
      ModelWindow window;
      Type(window, kInitialBlockControls, Block{Word("80000"), Word("00400")});
      PressWith(window, "SpeedButton10");
      ASSERT_EQ(window.Lines("ListBox3"), previous);

      Block block = Filled(kWorkedExample);
      block[w][p] = "+";
      Type(window, kInitialBlockControls, block);
      const std::vector<Message> messages = PressWith(window, "SpeedButton10");
      switch (after) {
        case After::KeepsPrevious:
          EXPECT_EQ(messages, std::vector<Message>{Error(NotAnInteger("+"))});
          EXPECT_EQ(window.Lines("ListBox3"), previous);
          break;
        case After::Empty:
          EXPECT_EQ(messages, std::vector<Message>{Error(NotAnInteger("+"))});
          EXPECT_TRUE(window.Lines("ListBox3").empty());
          break;
        case After::Decoded:
          EXPECT_TRUE(messages.empty());
          EXPECT_EQ(window.Lines("ListBox3"), ExpectedLines(0x2B5C, "43647", "0000"));
          break;
      }
      EXPECT_EQ(window.Text(BoxesOf(kInitialBlockControls, static_cast<int>(w))[p]), "+");
    }
  }
}

// Values in words 0, 1 and 2: the services by bit, the number, and
// the key as the hexadecimal digits read backwards.
TEST(AhThirdStage, EveryFieldValue) {
  // Every fifth word: a stride prime to 2 still gives every field every value.
  for (unsigned v = 0; v < 65536; v += 5) {
    const auto value = static_cast<std::uint16_t>(v);
    const std::string hex = HexOf(v, 4);
    const Lines expected = ExpectedLines(value, std::to_string(v), std::string(hex.rbegin(), hex.rend()));
    CollectedOutput out;
    DecodeAhThirdStage({WordOf(value), WordOf(value), WordOf(value), Word("00000")}, out);
    if (out.lines != expected || !out.reports.empty()) {
      ADD_FAILURE() << Joined(WordOf(value)) << ": " << ::testing::PrintToString(out.lines);
      return;
    }
  }
}

}  // namespace
}  // namespace ostrolen::testing

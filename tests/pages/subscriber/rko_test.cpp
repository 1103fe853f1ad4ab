// The extended class of service page ("РКО").
#include <string>
#include <vector>

#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

using TwoWords = std::array<CodeWordTexts, 2>;

struct Service {
  std::string label;
  std::size_t word;
  int bit;
};
const std::vector<Service> kServices = {
    {"Услуга \"Экстренная связь\"(Экс) = ", 0, 13},
    {"Услуга \"Уведомление при входящем вызове\"(УВВ) = ", 0, 12},
    {"Услуга \"Уведомление при исходящем вызове\"(УИВ) = ", 0, 11},
    {"Услуга \"Запрет КРО\"(КРО) = ", 0, 10},
    {"Услуга \"Справочное соединение\"(СПР) = ", 0, 9},
    {"Услуга \"Передача вызова\"(ПЕР) = ", 0, 8},
    {"Услуга \"КФ\"(КФ) = ", 0, 7},
    {"Услуга \"Прямой сокращённый номер\"(ПРССН) ", 1, 16},
    {"Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  ", 1, 15},
    {"Услуга \"Регистрация входящих вызовов\"(РВВ)  ", 1, 14},
    {"Услуга \"Переадресация при занятости\"(ПАЗ)  ", 1, 13},
    {"Услуга \"Переадресация групповая участник\"(ПАГу)  ", 1, 12},
    {"Услуга \"Переадресация безусловная\"(ПАБ)  ", 1, 11},
    {"Услуга \"Переадресация групповая дежурный\"(ПАГд)  ", 1, 10},
    {"Услуга \"кл\"  ", 1, 9},
    {"Услуга \"САК: взаимная связь\"  ", 1, 7},
    {"Услуга \"Автоинформатор или автоответчик\"  ", 1, 6},
    {"Услуга \"Диктофон\"  ", 1, 5},
    {"Услуга \"Постановка на ожидание\"(ПОЖ)  ", 1, 4},
    {"Услуга \"Напоминание\"(НАП)  ", 1, 3},
};

Lines ExpectedLines(std::uint16_t word0, std::uint16_t word1) {
  Lines lines;
  for (const Service& s : kServices) {
    lines.push_back(s.label + std::string(BitOf(s.word == 0 ? word0 : word1, s.bit) ? kOn : kOff));
  }
  return lines;
}

// The lines (numbered from 1) that end in "включена"; all others end in "выключена".
Lines WithOn(std::initializer_list<std::size_t> on) {
  Lines lines;
  for (const Service& s : kServices) lines.push_back(s.label + std::string(kOff));
  for (const std::size_t n : on) lines[n - 1] = kServices[n - 1].label + std::string(kOn);
  return lines;
}

struct PressCase {
  std::string name;
  TwoWords words;
  std::vector<Message> messages;
  Lines lines;
};

TEST(AhRko, PressShowsTheLines) {
  const std::vector<PressCase> cases = {
      {"all empty", {}, {}, WithOn({})},
      {"word 0 bit 11", {Word("00020"), Word("")}, {}, WithOn({3})},
      {"word 1 bit 7", {Word(""), Word("00200")}, {}, WithOn({16})},
      {"word 1 bit 8 carries nothing", {Word(""), Word("00100")}, {}, WithOn({})},
      {"word 1 bits 3 and 4", {Word(""), Word("14000")}, {}, WithOn({19, 20})},
      {"word 0 bits 1-6 carry nothing", {Word("77300"), Word("00000")}, {}, WithOn({6, 7})},
      // Bits 7-8 of word 1 become 01, and bit 8 carries nothing.
      {"word 1 third position 5", {Word(""), Word("00500")}, {Report("Третий знак должен быть не более 3!")},
       WithOn({})},
      {"word 1 third position 6", {Word(""), Word("00600")}, {Report("Третий знак должен быть не более 3!")},
       WithOn({16})},
      {"word 0 p1 and p2 over", {Word("98000"), Word("")},
       {Report("Первый знак должен быть не более 7!"), Report("Второй знак должен быть не более 7!")}, WithOn({})},
      {"both words all over", {Word("FF700"), Word("8A400")},
       {Report("Первый знак должен быть не более 7!"), Report("Второй знак должен быть не более 7!"),
        Report("Третий знак должен быть не более 3!"), Report("Первый знак должен быть не более 7!"),
        Report("Второй знак должен быть не более 7!"), Report("Третий знак должен быть не более 3!")},
       ExpectedLines(0xFF00, 0x0800)},
      {"worked example", {Word("00359"), Word("362C5")}, {}, WithOn({1, 2, 4, 6, 7, 8, 10, 14, 15, 16, 18, 19, 20})},
      {"worked example, lower case", {Word("00359"), Word("362c5")}, {},
       WithOn({1, 2, 4, 6, 7, 8, 10, 14, 15, 16, 18, 19, 20})},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelWindow window;
    Type(window, kRkoControls, c.words);
    EXPECT_EQ(PressWith(window, "SpeedButton15"), c.messages);
    EXPECT_EQ(window.Lines("ListBox8"), c.lines);
  }
}

TEST(AhRko, LabelsEndAsShown) {
  CollectedOutput out;
  DecodeRko({Word("00000"), Word("00000")}, out);
  ASSERT_EQ(out.lines.size(), 20U);
  EXPECT_EQ(out.lines[0], "Услуга \"Экстренная связь\"(Экс) = выключена");
  EXPECT_EQ(out.lines[7], "Услуга \"Прямой сокращённый номер\"(ПРССН) выключена");
  EXPECT_EQ(out.lines[8], "Услуга \"Полное ограничение вызовов\"(ПОВИОВ)  выключена");
  EXPECT_EQ(out.lines[15], "Услуга \"САК: взаимная связь\"  выключена");
  for (std::size_t i = 8; i < 20; ++i) EXPECT_TRUE(EndsWith(out.lines[i], "  выключена")) << i;
}

TEST(AhRko, EmptyBoxesShowTheZerosUsed) {
  ModelWindow window;
  window.SetText("Edit283", "8");
  window.SetText("Edit284", "1");
  PressWith(window, "SpeedButton15");
  EXPECT_EQ(PageTexts(window, kRkoControls),
            (std::vector<std::string>{"0", "0", "0", "0", "8", "1", "0", "0", "0", "0"}));
  EXPECT_EQ(window.Lines("ListBox8"), WithOn({1, 20}));
}

// p1-p3 of both words are read by the checks, before the list is cleared;
// p4 and p5 of both after it, before any line.
TEST(AhRko, BadCharacterStopsTheRun) {
  for (std::size_t w = 0; w < 2; ++w) {
    for (std::size_t p = 0; p < 5; ++p) {
      SCOPED_TRACE("word " + std::to_string(w) + " p" + std::to_string(p + 1));
      ModelWindow window;
      Type(window, kRkoControls, TwoWords{Word("00359"), Word("362C5")});
      PressWith(window, "SpeedButton15");
      const Lines previous = window.Lines("ListBox8");
      ASSERT_EQ(previous.size(), 20U);

      TwoWords words = {Word("00359"), Word("362C5")};
      words[w][p] = "*";
      Type(window, kRkoControls, words);
      EXPECT_EQ(PressWith(window, "SpeedButton15"), std::vector<Message>{Error(NotAnInteger("*"))});
      if (p < 3) {
        EXPECT_EQ(window.Lines("ListBox8"), previous);
      } else {
        EXPECT_TRUE(window.Lines("ListBox8").empty());
      }
      EXPECT_EQ(window.Text(BoxesOf(kRkoControls, static_cast<int>(w))[p]), "*");
    }
  }
}

TEST(AhRko, BadCharacterInWordOneAfterWordZerosReports) {
  CollectedOutput out({"before"});
  EXPECT_THROW(DecodeRko({Word("80000"), Word("0_000")}, out), ConversionError);
  EXPECT_EQ(out.reports, std::vector<std::string>{"Первый знак должен быть не более 7!"});
  EXPECT_FALSE(out.cleared);
  EXPECT_EQ(out.lines, Lines{"before"});
}

// Both words, word 1 in another order than word 0 so that they differ.
TEST(AhRko, EveryFieldValueOfBothWords) {
  // Every fifth word: a stride prime to 2 still gives every field every value.
  for (unsigned v = 0; v < 65536; v += 5) {
    const auto word0 = static_cast<std::uint16_t>(v);
    const auto word1 = static_cast<std::uint16_t>(v * 40503U);
    CollectedOutput out;
    DecodeRko({WordOf(word0), WordOf(word1)}, out);
    bool consistent = out.lines.size() == 20;
    for (std::size_t i = 0; consistent && i < kServices.size(); ++i) {
      const bool on = BitOf(kServices[i].word == 0 ? word0 : word1, kServices[i].bit);
      consistent = EndsWith(out.lines[i], on ? " включена" : " выключена");
    }
    if (!consistent || out.lines != ExpectedLines(word0, word1) || !out.reports.empty()) {
      ADD_FAILURE() << v << ": " << ::testing::PrintToString(out.lines);
      return;
    }
  }
}

}  // namespace
}  // namespace ostrolen::testing

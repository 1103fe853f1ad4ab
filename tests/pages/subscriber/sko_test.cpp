// The abbreviated class of service page ("СКО").
#include <algorithm>
#include <bit>
#include <bitset>
#include <string>
#include <vector>

#include "pages/subscriber/attributes.h"
#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

struct Service {
  std::string label;
  int bit;
};
// Bit 11 stands for three services.
const std::vector<Service> kServices = {
    {"Услуга \"Экстренная связь\"(Экс) = ", 13},
    {"Услуга \"Уведомление при входящем вызове\"(УВВ) = ", 12},
    {"Услуга \"Уведомление при исходящем вызове\"(УИВ) = ", 11},
    {"Услуга \"Напоминание\"(НАП) = ", 11},
    {"Услуга \"Постановка на ожидание\"(ПОЖ) = ", 11},
    {"Услуга \"Запрет КРО\"(КРО) = ", 10},
    {"Услуга \"Справочное соединение\"(СПР) = ", 9},
    {"Услуга \"Передача вызова\"(ПЕР) = ", 8},
    {"Услуга \"КФ\"(КФ) = ", 7},
};
const std::vector<std::string> kRestrictions = {"Ограничение ведомственной связи ", "Ограничение исходящей связи ",
                                                "Ограничение междугородней связи "};

Lines RestrictionsOf(std::uint16_t value) {
  Lines lines;
  for (int k = 0; k < 3; ++k) {
    if (BitOf(value, 14 + k)) lines.push_back(kRestrictions[static_cast<std::size_t>(k)]);
  }
  if (lines.empty()) lines.push_back("Ограничений нет");
  return lines;
}

// The lines of a code, from its bits.
Lines ExpectedLines(std::uint16_t value) {
  Lines lines = RestrictionsOf(value);
  for (const Service& s : kServices) lines.push_back(s.label + std::string(BitOf(value, s.bit) ? kOn : kOff));
  lines.push_back(std::string("Посылка вызова = ") + (BitOf(value, 6) ? "ГВТ" : "25Гц"));
  lines.push_back(std::string("Набор номера = ") + (BitOf(value, 5) ? "Частотный" : "Декадый"));
  lines.push_back("Тип абонентской линии = " + std::string(LineTypeText(std::bitset<4>(value >> 12).to_string())));
  return lines;
}

const Lines kWorkedExample = {
    "Ограничение ведомственной связи ",
    "Ограничение исходящей связи ",
    "Услуга \"Экстренная связь\"(Экс) = выключена",
    "Услуга \"Уведомление при входящем вызове\"(УВВ) = выключена",
    "Услуга \"Уведомление при исходящем вызове\"(УИВ) = включена",
    "Услуга \"Напоминание\"(НАП) = включена",
    "Услуга \"Постановка на ожидание\"(ПОЖ) = включена",
    "Услуга \"Запрет КРО\"(КРО) = выключена",
    "Услуга \"Справочное соединение\"(СПР) = включена",
    "Услуга \"Передача вызова\"(ПЕР) = включена",
    "Услуга \"КФ\"(КФ) = выключена",
    "Посылка вызова = ГВТ",
    "Набор номера = Частотный",
    "Тип абонентской линии = Автоответчик (ГАВС) или перем. КФ",
};

struct PressCase {
  std::string name;
  CodeWordTexts word;
  std::vector<Message> messages;
  Lines lines;
};

TEST(AhSko, PressShowsTheLines) {
  const std::vector<PressCase> cases = {
      {"all empty", Word(""), {}, ExpectedLines(0)},
      {"bit 11 only", Word("00020"), {}, ExpectedLines(0x0020)},
      {"all restrictions", Word("00007"), {}, ExpectedLines(0x0007)},
      {"Экс only", Word("00008"), {}, ExpectedLines(0x0008)},
      {"line type 1000", Word("40000"), {}, ExpectedLines(0x8000)},
      {"second position 8", Word("08000"), {Report("Второй знак должен быть не более 7!")}, ExpectedLines(0)},
      {"worked example", Word("271A6"), {}, kWorkedExample},
      {"worked example, second position F", Word("2F1A6"), {Report("Второй знак должен быть не более 7!")},
       kWorkedExample},
      {"lower case", Word("271a6"), {}, kWorkedExample},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelWindow window;
    Type<1>(window, kSkoControls, {c.word});
    EXPECT_EQ(PressWith(window, "SpeedButton14"), c.messages);
    EXPECT_EQ(window.Lines("ListBox7"), c.lines);
  }
}

TEST(AhSko, EdgeCasesAsTheOperatorReadsThem) {
  CollectedOutput empty;
  DecodeSko(Word("00000"), empty);
  ASSERT_EQ(empty.lines.size(), 13U);
  EXPECT_EQ(empty.lines.front(), "Ограничений нет");
  EXPECT_EQ(empty.lines[10], "Посылка вызова = 25Гц");
  EXPECT_EQ(empty.lines[11], "Набор номера = Декадый");
  EXPECT_EQ(empty.lines[12], "Тип абонентской линии = Индивидуальный и коммунальный пользователь");

  CollectedOutput restricted;
  DecodeSko(Word("00007"), restricted);
  ASSERT_EQ(restricted.lines.size(), 15U);
  EXPECT_EQ(Lines(restricted.lines.begin(), restricted.lines.begin() + 3), kRestrictions);
  EXPECT_EQ(std::count(restricted.lines.begin(), restricted.lines.end(), "Ограничений нет"), 0);

  CollectedOutput no_type;
  DecodeSko(Word("40000"), no_type);
  EXPECT_EQ(no_type.lines.back(), "Тип абонентской линии = ");
}

TEST(AhSko, EmptyBoxesShowTheZerosUsed) {
  ModelWindow window;
  window.SetText("Edit276", "1");
  PressWith(window, "SpeedButton14");
  EXPECT_EQ(PageTexts(window, kSkoControls), (std::vector<std::string>{"0", "0", "1", "0", "0"}));
  EXPECT_EQ(window.Lines("ListBox7"), ExpectedLines(0x0100));
}

// p1-p3 are read by the checks, p5 first for the restrictions, p4 first
// for the services.
TEST(AhSko, BadCharacterStopsTheRun) {
  struct Case {
    std::size_t position;
    bool keeps_previous;
    Lines lines;
  };
  const std::vector<Case> cases = {
      {0, true, {}},
      {1, true, {}},
      {2, true, {}},
      {3, false, {kRestrictions[0], kRestrictions[1]}},
      {4, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("p" + std::to_string(c.position + 1));
    ModelWindow window;
    PressWith(window, "SpeedButton14", {{"Edit274", "7"}, {"Edit275", "7"}, {"Edit276", "3"}, {"Edit277", "F"}, {"Edit278", "F"}});
    const Lines previous = window.Lines("ListBox7");
    ASSERT_EQ(previous, ExpectedLines(0xFFFF));

    CodeWordTexts word = Word("271A6");
    word[c.position] = "Ж";
    Type<1>(window, kSkoControls, {word});
    EXPECT_EQ(PressWith(window, "SpeedButton14"), std::vector<Message>{Error(NotAnInteger("Ж"))});
    EXPECT_EQ(window.Lines("ListBox7"), c.keeps_previous ? previous : c.lines);
    EXPECT_EQ(PageTexts(window, kSkoControls), std::vector<std::string>(word.begin(), word.end()));
  }
}

TEST(AhSko, BadCharacterAfterAReport) {
  ModelWindow window;
  EXPECT_EQ(PressWith(window, "SpeedButton14", {{"Edit274", "8"}, {"Edit275", "0"}, {"Edit276", "0"}, {"Edit277", "0"}, {"Edit278", "g"}}),
            (std::vector<Message>{Report("Первый знак должен быть не более 7!"), Error(NotAnInteger("g"))}));
  EXPECT_TRUE(window.Lines("ListBox7").empty());
}

TEST(AhSko, EveryCode) {
  for (unsigned v = 0; v < 65536; ++v) {
    const auto value = static_cast<std::uint16_t>(v);
    CollectedOutput out;
    DecodeSko(WordOf(value), out);
    const auto restrictions = static_cast<std::size_t>(std::max(1, std::popcount(v & 7U)));
    // The restriction lines count the set bits; each service line ends in
    // the state of its own bit.
    bool consistent = out.lines.size() == restrictions + 12;
    for (std::size_t i = 0; consistent && i < kServices.size(); ++i) {
      const bool on = BitOf(value, kServices[i].bit);
      consistent = EndsWith(out.lines[restrictions + i], on ? " = включена" : " = выключена");
    }
    if (!consistent || out.lines != ExpectedLines(value) || !out.reports.empty()) {
      ADD_FAILURE() << Joined(WordOf(value)) << ": " << ::testing::PrintToString(out.lines);
      return;
    }
  }
}

}  // namespace
}  // namespace ostrolen::testing

// The second-stage page: a four-word block, checked before it is decoded.
#include <algorithm>
#include <bit>
#include <bitset>
#include <string>
#include <vector>

#include "pages/subscriber/attributes.h"
#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

using Block = std::array<CodeWordTexts, 4>;

const std::vector<std::string> kRestrictions = {"Ограничение ведомственной связи ", "Ограничение исходящей связи ",
                                                "Ограничение междугородней связи "};

// The twelve check messages, word by word, p1, p2, p3.
std::vector<std::string> CheckMessages() {
  std::vector<std::string> texts;
  for (int w = 0; w < 4; ++w) {
    const std::string word = std::to_string(w) + "-го слова должен быть не более ";
    texts.push_back("1-й знак " + word + "7!");
    texts.push_back("2-й знак " + word + "7!");
    texts.push_back("3-й знак " + word + "3!");
  }
  return texts;
}

Lines WorkedExampleLines() {
  return {"Нормализованная сотня = 28",
          "Десятки-еденицы = 69",
          "Тип абонентской линии = Автоответчик (ГАВС) или перем. КФ",
          "Набор номера = Декадый",
          "Посылка вызова = ГВТ",
          "Количество сокращённых номеров = 7",
          "Расширенный класс обслуживания = 4",
          kRestrictions[0],
          kRestrictions[1],
          kRestrictions[2],
          "№ 4-словного блока ОЗУ = 12345",
          "Линейный № секретаря (при ПАЗ) = 701F0"};
}
const Block kWorkedExample = {Word("03245"), Word("253A7"), Word("12345"), Word("701F0")};

struct PressCase {
  std::string name;
  Block block;
  std::vector<Message> messages;
  Lines lines;
};

TEST(AhSecondStage, PressShowsTheLines) {
  const std::vector<PressCase> cases = {
      {"all empty",
       {},
       {},
       {"Нормализованная сотня = 0", "Десятки-еденицы = 0",
        "Тип абонентской линии = Индивидуальный и коммунальный пользователь", "Набор номера = Декадый",
        "Посылка вызова = 25Гц", "Количество сокращённых номеров = 0", "Расширенный класс обслуживания = 0",
        "Ограничений нет", "№ 4-словного блока ОЗУ = 00000", "Линейный № секретаря (при ПАЗ) = 00000"}},
      {"worked example", kWorkedExample, {}, WorkedExampleLines()},
      {"two checks fail",
       {Word("80000"), Word("00000"), Word("00000"), Word("00400")},
       {Report("1-й знак 0-го слова должен быть не более 7!"), Report("3-й знак 3-го слова должен быть не более 3!")},
       {"Ошибок при вводе = 2"}},
      {"all twelve fail",
       {Word("FF400"), Word("88400"), Word("99500"), Word("aAf00")},
       Reports(CheckMessages()),
       {"Ошибок при вводе = 12"}},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelWindow window;
    Type(window, kSecondStageControls, c.block);
    EXPECT_EQ(PressWith(window, "SpeedButton6"), c.messages);
    EXPECT_EQ(window.Lines("ListBox2"), c.lines);
  }
}

TEST(AhSecondStage, EmptyBoxesShowTheZerosUsed) {
  ModelWindow window;
  window.SetText("Edit40", "5");
  PressWith(window, "SpeedButton6");
  std::vector<std::string> expected(20, "0");
  expected[6] = "5";
  EXPECT_EQ(PageTexts(window, kSecondStageControls), expected);
}

TEST(AhSecondStage, EachOverLargePositionIsReportedOnItsOwn) {
  const std::vector<std::string> messages = CheckMessages();
  const std::array<std::string, 3> over = {"8", "F", "4"};
  for (std::size_t w = 0; w < 4; ++w) {
    for (std::size_t p = 0; p < 3; ++p) {
      Block block = kWorkedExample;
      block[w][p] = over[p];
      CollectedOutput out({"before"});
      DecodeAhSecondStage(block, out);
      EXPECT_EQ(out.reports, std::vector<std::string>{messages[w * 3 + p]});
      EXPECT_EQ(out.lines, Lines{"Ошибок при вводе = 1"});
      EXPECT_EQ(CheckFourWordBlock(block, [](std::string_view) {}), 1);
    }
  }
}

TEST(AhSecondStage, CheckFourWordBlockCountsAndReportsInOrder) {
  std::vector<std::string> reported;
  const Block block = {Word("08000"), Word("00400"), Word("90000"), Word("00000")};
  EXPECT_EQ(CheckFourWordBlock(block, [&](std::string_view m) { reported.emplace_back(m); }), 3);
  const std::vector<std::string> messages = CheckMessages();
  EXPECT_EQ(reported, (std::vector<std::string>{messages[1], messages[5], messages[6]}));
  EXPECT_EQ(CheckFourWordBlock(kWorkedExample, [](std::string_view) {}), 0);
}

struct FieldCase {
  std::string name;
  Block block;
  std::size_t line;  // index of the line checked
  std::vector<std::string> expected;
};

TEST(AhSecondStage, Fields) {
  const std::vector<FieldCase> cases = {
      {"line type 1000", {Word(""), Word("40000"), Word(""), Word("")}, 2, {"Тип абонентской линии = "}},
      {"line type 1111", {Word(""), Word("74000"), Word(""), Word("")}, 2, {"Тип абонентской линии = "}},
      {"restrictions 110", {Word(""), Word("00006"), Word(""), Word("")}, 7, {kRestrictions[0], kRestrictions[1]}},
      {"block 773FF", {Word(""), Word(""), Word("773FF"), Word("")}, 8, {"№ 4-словного блока ОЗУ = 173FF"}},
      {"block first position reduced", {Word(""), Word(""), Word("632cd"), Word("")}, 8,
       {"№ 4-словного блока ОЗУ = 032CD"}},
      {"secretary lower case", {Word(""), Word(""), Word(""), Word("523ef")}, 9,
       {"Линейный № секретаря (при ПАЗ) = 523EF"}},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.name);
    Block block = c.block;
    for (auto& word : block) {
      for (auto& p : word) {
        if (p.empty()) p = "0";
      }
    }
    CollectedOutput out;
    DecodeAhSecondStage(block, out);
    ASSERT_GE(out.lines.size(), c.line + c.expected.size());
    const Lines got(out.lines.begin() + static_cast<std::ptrdiff_t>(c.line),
                    out.lines.begin() + static_cast<std::ptrdiff_t>(c.line + c.expected.size()));
    EXPECT_EQ(got, c.expected);
  }
}

// A bad character in each of the twenty positions, the worked example
// otherwise: how many of its lines the list holds when the run stops.
TEST(AhSecondStage, BadCharacterStopsTheRun) {
  const Lines full = WorkedExampleLines();
  const Lines previous = {"Ошибок при вводе = 3"};
  constexpr std::size_t kKeeps = 99;  // the list keeps the previous press's lines
  const std::array<std::array<std::size_t, 5>, 4> kept = {{
      {kKeeps, kKeeps, kKeeps, 0, 1},    // word 0: p4 is read for the hundred, p5 for the tens and units
      {kKeeps, kKeeps, kKeeps, 5, 6},    // word 1: p4 for the count, p5 for the extended class
      {kKeeps, kKeeps, kKeeps, 10, 10},  // word 2: the block number
      {kKeeps, kKeeps, kKeeps, 11, 11},  // word 3: the secretary's number
  }};
  for (std::size_t w = 0; w < 4; ++w) {
    for (std::size_t p = 0; p < 5; ++p) {
      SCOPED_TRACE("word " + std::to_string(w) + " p" + std::to_string(p + 1));
      ModelWindow window;
      Type(window, kSecondStageControls, Block{Word("80000"), Word("08000"), Word("00400"), Word("")});
      PressWith(window, "SpeedButton6");
      ASSERT_EQ(window.Lines("ListBox2"), previous);

      Block block = kWorkedExample;
      block[w][p] = "G";
      Type(window, kSecondStageControls, block);
      EXPECT_EQ(PressWith(window, "SpeedButton6"), std::vector<Message>{Error(NotAnInteger("G"))});
      const std::size_t n = kept[w][p];
      EXPECT_EQ(window.Lines("ListBox2"),
                n == kKeeps ? previous : Lines(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
      std::vector<std::string> typed;
      for (const auto& word : block) typed.insert(typed.end(), word.begin(), word.end());
      EXPECT_EQ(PageTexts(window, kSecondStageControls), typed);
    }
  }
}

TEST(AhSecondStage, BadCharacterAfterReportsKeepsThePreviousLines) {
  ModelWindow window;
  Type(window, kSecondStageControls, kWorkedExample);
  PressWith(window, "SpeedButton6");
  Block block = kWorkedExample;
  block[0][0] = "9";
  block[1][2] = "8";
  block[2][1] = "x";
  Type(window, kSecondStageControls, block);
  EXPECT_EQ(PressWith(window, "SpeedButton6"),
            (std::vector<Message>{Report("1-й знак 0-го слова должен быть не более 7!"),
                                  Report("3-й знак 1-го слова должен быть не более 3!"), Error(NotAnInteger("x"))}));
  EXPECT_EQ(window.Lines("ListBox2"), WorkedExampleLines());
}

// Values in all four words, against the fields computed from their bits.
TEST(AhSecondStage, EveryFieldValue) {
  // Every fifth word: a stride prime to 2 still gives every field every value.
  for (unsigned v = 0; v < 65536; v += 5) {
    const auto value = static_cast<std::uint16_t>(v);
    Lines expected = {
        "Нормализованная сотня = " + std::to_string((v >> 7) & 31),
        "Десятки-еденицы = " + std::to_string(v & 127),
        "Тип абонентской линии = " + std::string(LineTypeText(std::bitset<4>(v >> 12).to_string())),
        BitOf(value, 5) ? "Набор номера = Частотный" : "Набор номера = Декадый",
        BitOf(value, 6) ? "Посылка вызова = ГВТ" : "Посылка вызова = 25Гц",
        "Количество сокращённых номеров = " + std::to_string((v >> 7) & 7),
        "Расширенный класс обслуживания = " + HexOf((v >> 3) & 15, 1),
    };
    for (int k = 0; k < 3; ++k) {
      if (BitOf(value, 14 + k)) expected.push_back(kRestrictions[static_cast<std::size_t>(k)]);
    }
    if ((v & 7U) == 0) expected.push_back("Ограничений нет");
    expected.push_back("№ 4-словного блока ОЗУ = " + Joined(WordOf(value & 0x3FFF)));
    expected.push_back("Линейный № секретаря (при ПАЗ) = " + Joined(WordOf(value)));

    CollectedOutput out;
    DecodeAhSecondStage({WordOf(value), WordOf(value), WordOf(value), WordOf(value)}, out);
    const auto restrictions = static_cast<std::size_t>(std::max(1, std::popcount(v & 7U)));
    if (out.lines != expected || out.lines.size() != 9 + restrictions || !out.reports.empty()) {
      ADD_FAILURE() << Joined(WordOf(value)) << ": " << ::testing::PrintToString(out.lines);
      return;
    }
  }
}

}  // namespace
}  // namespace ostrolen::testing

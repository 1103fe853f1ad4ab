// The first-stage page: class and number, or a second-stage block reference.
#include <string>
#include <vector>

#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

constexpr std::string_view kBlock0 = "используется 0-й дополнительный блок";
constexpr std::string_view kBlock1 = "используется 1-й дополнительный блок";

Lines ClassLines(unsigned service_class, unsigned hundred, unsigned tens_units) {
  return {"сокращённый класс обслуживания=" + std::to_string(service_class),
          "нормализованная сотня=" + std::to_string(hundred), "десятки-еденицы=" + std::to_string(tens_units)};
}

Lines BlockLines(std::string_view additional, std::string_view block) {
  return {std::string(additional), "№ 4-словного блока 2-й ступени=" + std::string(block)};
}

struct PressCase {
  std::string name;
  CodeWordTexts word;
  std::vector<Message> messages;
  Lines lines;
};

TEST(AhFirstStage, PressShowsTheLines) {
  const std::vector<PressCase> cases = {
      {"all empty", Word(""), {}, ClassLines(0, 0, 0)},
      {"class and number", Word("3529C"), {}, ClassLines(7, 13, 28)},
      {"largest block", Word("773FF"), {}, BlockLines(kBlock1, "173FF")},
      {"block 1", Word("7000F"), {}, BlockLines(kBlock1, "1000F")},
      {"block 0", Word("50000"), {}, BlockLines(kBlock0, "10000")},
      {"lower case", Word("400cd"), {}, BlockLines(kBlock0, "000CD")},
      {"block 0 first position 1", Word("5320f"), {}, BlockLines(kBlock0, "1320F")},
      {"first position 9", Word("90000"), {Report("Первый знак должен быть не более 7!")}, ClassLines(2, 0, 0)},
      {"all three over", Word("FF7AB"),
       {Report("Первый знак должен быть не более 7!"), Report("Второй знак должен быть не более 7!"),
        Report("Третий знак должен быть не более 3!")},
       BlockLines(kBlock1, "173AB")},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelWindow window;
    Type<1>(window, kFirstStageControls, {c.word});
    EXPECT_EQ(PressWith(window, "SpeedButton3"), c.messages);
    EXPECT_EQ(window.Lines("ListBox1"), c.lines);
  }
}

TEST(AhFirstStage, EmptyBoxesShowTheZerosUsed) {
  ModelWindow window;
  window.SetText("Edit24", "3");
  PressWith(window, "SpeedButton3");
  EXPECT_EQ(Texts(window, {"Edit22", "Edit23", "Edit24", "Edit25", "Edit26"}),
            (std::vector<std::string>{"0", "0", "3", "0", "0"}));
  EXPECT_EQ(window.Lines("ListBox1"), ClassLines(0, 6, 0));
}

TEST(AhFirstStage, EveryPressReplacesTheLines) {
  ModelWindow window;
  PressWith(window, "SpeedButton3", {{"Edit22", "7"}});
  PressWith(window, "SpeedButton3", {{"Edit22", "1"}});
  EXPECT_EQ(window.Lines("ListBox1"), ClassLines(2, 0, 0));
}

// A bad character stops the run where its position is first converted.
struct FailureCase {
  std::string name;
  CodeWordTexts word;
  std::vector<Message> messages;
  bool keeps_previous;  // otherwise the list holds `lines`
  Lines lines;
};

TEST(AhFirstStage, BadCharacterStopsTheRun) {
  const Lines previous = ClassLines(1, 2, 3);
  const std::vector<FailureCase> cases = {
      {"p1", Word("G0000"), {Error(NotAnInteger("G"))}, true, {}},
      {"p2", Word("0G000"), {Error(NotAnInteger("G"))}, true, {}},
      {"p3 after a report", Word("9- 00"), {Report("Первый знак должен быть не более 7!"), Error(NotAnInteger("-"))},
       true, {}},
      {"p3 blank", Word("00 00"), {Error(NotAnInteger(" "))}, true, {}},
      {"class form p4", Word("000Z0"), {Error(NotAnInteger("Z"))}, true, {}},
      {"class form p5", Word("0000Z"), {Error(NotAnInteger("Z"))}, true, {}},
      {"class form p4 named before p5", Word("000XY"), {Error(NotAnInteger("X"))}, true, {}},
      {"block form p4", Word("400g0"), {Error(NotAnInteger("g"))}, false, {std::string(kBlock0)}},
      {"block form p5", Word("7000?"), {Error(NotAnInteger("?"))}, false, {std::string(kBlock1)}},
      {"block form p5 after a report", Word("F000?"),
       {Report("Первый знак должен быть не более 7!"), Error(NotAnInteger("?"))}, false, {std::string(kBlock1)}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    ModelWindow window;
    Type<1>(window, kFirstStageControls, {WordOf(0x1103)});
    PressWith(window, "SpeedButton3");
    ASSERT_EQ(window.Lines("ListBox1"), previous);
    Type<1>(window, kFirstStageControls, {c.word});
    EXPECT_EQ(PressWith(window, "SpeedButton3"), c.messages);
    EXPECT_EQ(window.Lines("ListBox1"), c.keeps_previous ? previous : c.lines);
    // The boxes keep what was typed.
    EXPECT_EQ(PageTexts(window, kFirstStageControls), std::vector<std::string>(c.word.begin(), c.word.end()));
    // And the next press works as usual.
    Type<1>(window, kFirstStageControls, {Word("")});
    EXPECT_TRUE(PressWith(window, "SpeedButton3").empty());
    EXPECT_EQ(window.Lines("ListBox1"), ClassLines(0, 0, 0));
  }
}

TEST(AhFirstStage, DecoderMatchesTheWordsBitsForEveryWord) {
  for (unsigned v = 0; v < 65536; ++v) {
    const auto value = static_cast<std::uint16_t>(v);
    CollectedOutput out;
    DecodeAhFirstStage(WordOf(value), out);
    const Lines expected = BitOf(value, 1)
                               ? BlockLines(BitOf(value, 2) ? kBlock1 : kBlock0, Joined(WordOf(value & 0x3FFF)))
                               : ClassLines((v >> 12) & 7, (v >> 7) & 31, v & 127);
    // One assertion for the whole sweep unless something differs.
    if (!out.cleared || !out.reports.empty() || out.lines != expected) {
      ADD_FAILURE() << Joined(WordOf(value)) << ": " << ::testing::PrintToString(out.lines);
      return;
    }
  }
}

TEST(AhFirstStage, OverLargePositionsDecodeFromTheirLowBits) {
  // Every over-large first, second and third position, against the same
  // word with the position reduced to its low bits.
  const std::string digits = "0123456789ABCDEF";
  const std::array<unsigned, 3> maxima = {7, 7, 3};
  for (std::size_t p = 0; p < 3; ++p) {
    for (unsigned d = maxima[p] + 1; d < 16; ++d) {
      CodeWordTexts word = Word("1234F");
      word[p] = std::string(1, digits[d]);
      CodeWordTexts reduced = word;
      reduced[p] = std::string(1, digits[d & maxima[p]]);
      CollectedOutput out, expected;
      DecodeAhFirstStage(word, out);
      DecodeAhFirstStage(reduced, expected);
      EXPECT_EQ(out.reports.size(), 1U) << Joined(word);
      EXPECT_EQ(out.lines, expected.lines) << Joined(word);
    }
  }
}

TEST(AhFirstStage, DecoderStopsWithPartialOutput) {
  CollectedOutput out({"before"});
  EXPECT_THROW(DecodeAhFirstStage(Word("5000K"), out), ConversionError);
  EXPECT_EQ(out.lines, Lines{std::string(kBlock0)});
  CollectedOutput untouched({"before"});
  EXPECT_THROW(DecodeAhFirstStage(Word("1000K"), untouched), ConversionError);
  EXPECT_FALSE(untouched.cleared);
  EXPECT_EQ(untouched.lines, Lines{"before"});
}

}  // namespace
}  // namespace ostrolen::testing

// The converter page as the operator sees it: box texts and reports after a press.
#include "pages/converter/converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/conversions.h"
#include "core/layout.h"
#include "tests/support/press.h"

namespace ostrolen {
namespace {

using testing::Error;
using testing::Message;
using testing::PressWith;
using testing::Report;
using testing::Texts;

const std::string kNotBinary(kNotBinaryMessage);
const std::string kTooLarge(kDecimalTooLargeMessage);

std::vector<std::string> Word(const ModelWindow& w) { return Texts(w, {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}); }

const std::vector<std::string>& BitBoxes() {
  static const std::vector<std::string> names = EditRange(6, 21);
  return names;
}

std::string Bits(const ModelWindow& w) {
  std::string bits;
  for (const std::string& name : BitBoxes()) bits += w.Text(name);
  return bits;
}

std::vector<std::string> Upper(const ModelWindow& w) {
  return Texts(w, {"Edit27", "Edit28", "Edit29", "Edit30", "Edit31", "Edit32", "Edit33"});
}

void SetBits(ModelWindow& w, std::string_view sixteen) {
  for (std::size_t k = 0; k < 16; ++k) w.SetText(BitBoxes()[k], sixteen.substr(k, 1));
}

TEST(CodeWordToBitsButton, FillsEmptyBoxesWithZeros) {
  ModelWindow w;
  EXPECT_TRUE(PressWith(w, "SpeedButton1").empty());
  EXPECT_EQ(Word(w), (std::vector<std::string>{"0", "0", "0", "0", "0"}));
  EXPECT_EQ(Bits(w), std::string(16, '0'));
}

TEST(CodeWordToBitsButton, ReportsOverLargePositionsAndDecodesTheirLowBits) {
  struct Case {
    std::vector<std::string> word;
    std::vector<Message> messages;
    std::string bits;
  };
  const std::vector<Case> cases = {
      {{"7", "7", "3", "F", "F"}, {}, std::string(16, '1')},
      {{"8", "0", "4", "0", "1"},
       {Report(kFirstPositionMessage), Report(kThirdPositionMessage)},
       "000" "000" "00" "0000" "0001"},
      {{"0", "8", "4", "0", "0"},
       {Report(kSecondPositionMessage), Report(kThirdPositionMessage)},
       "000" "000" "00" "0000" "0000"},
      {{"f", "0", "0", "a", "b"}, {Report(kFirstPositionMessage)}, "111" "000" "00" "1010" "1011"},
      {{"1", "2", "3", "4", "5"}, {}, "001" "010" "11" "0100" "0101"},
  };
  for (const Case& c : cases) {
    ModelWindow w;
    const auto messages = PressWith(w, "SpeedButton1",
                                    {{"Edit1", c.word[0]}, {"Edit2", c.word[1]}, {"Edit3", c.word[2]},
                                     {"Edit4", c.word[3]}, {"Edit5", c.word[4]}});
    EXPECT_EQ(messages, c.messages) << c.word[0] << c.word[1] << c.word[2];
    EXPECT_EQ(Bits(w), c.bits);
    EXPECT_EQ(Word(w), c.word) << "the typed positions stay as typed";
  }
}

TEST(CodeWordToBitsButton, StopsAtABadPositionWithTheEarlierBitsWritten) {
  struct Case {
    std::string box;
    std::string written;  // the bit boxes afterwards; 'x' is an old text kept
  };
  const std::vector<Case> cases = {
      {"Edit1", std::string(16, 'x')},
      {"Edit2", std::string(16, 'x')},
      {"Edit3", std::string(16, 'x')},
      {"Edit4", "11111111" + std::string(8, 'x')},
      {"Edit5", "111111111111" + std::string(4, 'x')},
  };
  for (const Case& c : cases) {
    ModelWindow w;
    SetBits(w, std::string(16, 'x'));
    w.SetText("Edit1", "7");
    w.SetText("Edit2", "7");
    w.SetText("Edit3", "3");
    w.SetText("Edit4", "F");
    w.SetText("Edit5", "F");
    EXPECT_EQ(PressWith(w, "SpeedButton1", {{c.box, "G"}}),
              std::vector<Message>{Error("'$G' is not a valid integer value.")})
        << c.box;
    EXPECT_EQ(Bits(w), c.written) << c.box;
  }
  // Reports made before the bad position are shown first; the fills stay.
  ModelWindow w;
  EXPECT_EQ(PressWith(w, "SpeedButton1", {{"Edit1", "9"}, {"Edit2", "Ж"}}),
            (std::vector<Message>{Report(kFirstPositionMessage), Error("'$Ж' is not a valid integer value.")}));
  EXPECT_EQ(Word(w), (std::vector<std::string>{"9", "Ж", "0", "0", "0"}));
  EXPECT_EQ(Bits(w), "");
}

TEST(CodeWordButtons, WordsRoundTripThroughThePage) {
  // Every value of the upper twelve bits, each with another lowest digit: every
  // digit of every position (the conversions alone sweep all 65,536 words).
  ModelWindow w;
  for (unsigned high = 0; high <= 0xFFF; ++high) {
    const unsigned word = high << 4 | (high * 7 % 16);
    std::string bits;
    for (int k = 15; k >= 0; --k) bits += ((word >> k) & 1) ? '1' : '0';
    SetBits(w, bits);
    for (const char* box : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}) w.SetText(box, "");
    w.ClearMessages();
    ASSERT_TRUE(Press(w, "SpeedButton2"));
    const auto positions = BitsToCodeWord(bits);
    ASSERT_EQ(Word(w), std::vector<std::string>(positions.begin(), positions.end()));
    SetBits(w, std::string(16, ' '));
    ASSERT_TRUE(Press(w, "SpeedButton1"));
    ASSERT_EQ(Bits(w), bits);
    ASSERT_TRUE(w.Messages().empty()) << word;
  }
}

TEST(BitsToCodeWordButton, ReportsTheFirstBadBitOnceAndEmptiesItsPosition) {
  ModelWindow w;
  SetBits(w, "12" + std::string(14, '0'));
  EXPECT_EQ(PressWith(w, "SpeedButton2"), std::vector<Message>{Report(kNotBinary)});
  EXPECT_EQ(Word(w), (std::vector<std::string>{"", "0", "0", "0", "0"}));

  // After a failed check no further box is read as a number, so a letter
  // there only empties its position.
  SetBits(w, "0" "2" "0" "0G0" "00" "0000" "0003");
  EXPECT_EQ(PressWith(w, "SpeedButton2"), std::vector<Message>{Report(kNotBinary)});
  EXPECT_EQ(Word(w), (std::vector<std::string>{"", "", "0", "0", ""}));

  // Empty bit boxes are filled, then read.
  SetBits(w, std::string(16, '1'));
  w.SetText("Edit6", "");
  w.SetText("Edit21", "");
  EXPECT_TRUE(PressWith(w, "SpeedButton2").empty());
  EXPECT_EQ(w.Text("Edit6"), "0");
  EXPECT_EQ(Word(w), (std::vector<std::string>{"3", "7", "3", "F", "E"}));
}

TEST(BitsToCodeWordButton, ABadCharacterStopsTheChecksBeforeAnythingIsWritten) {
  ModelWindow w;
  for (int n = 1; n <= 5; ++n) w.SetText("Edit" + std::to_string(n), "x");
  SetBits(w, "0000000000G00000");
  EXPECT_EQ(PressWith(w, "SpeedButton2"), std::vector<Message>{Error("'$G' is not a valid integer value.")});
  EXPECT_EQ(Word(w), std::vector<std::string>(5, "x"));
  // A blank is no digit either.
  SetBits(w, std::string(15, '0') + " ");
  EXPECT_EQ(PressWith(w, "SpeedButton2"), std::vector<Message>{Error("'$ ' is not a valid integer value.")});
}

TEST(DecimalButton, EveryTwoDigitText) {
  for (int tens = 0; tens <= 9; ++tens) {
    for (int units = 0; units <= 9; ++units) {
      ModelWindow w;
      const int value = tens * 10 + units;
      const auto messages =
          PressWith(w, "SpeedButton4", {{"Edit27", std::to_string(tens)}, {"Edit28", std::to_string(units)}});
      if (value <= 15) {
        EXPECT_TRUE(messages.empty()) << value;
        const std::string bits = ValueToBits(value, 4);
        EXPECT_EQ(Upper(w), (std::vector<std::string>{std::to_string(tens), std::to_string(units),
                                                      ValueToHexDigit(value), bits.substr(0, 1), bits.substr(1, 1),
                                                      bits.substr(2, 1), bits.substr(3, 1)}));
      } else {
        EXPECT_EQ(messages, std::vector<Message>{Report(kTooLarge)}) << value;
        EXPECT_EQ(Upper(w), (std::vector<std::string>{std::to_string(tens), std::to_string(units), "", "", "", "",
                                                      ""}));
      }
    }
  }
}

TEST(DecimalButton, FillsAndStops) {
  ModelWindow w;
  EXPECT_TRUE(PressWith(w, "SpeedButton4", {{"Edit28", "9"}}).empty());
  EXPECT_EQ(Upper(w), (std::vector<std::string>{"0", "9", "9", "1", "0", "0", "1"}));

  // A one-digit text with a blank is not one of "00" ... "15": the bits empty.
  EXPECT_TRUE(PressWith(w, "SpeedButton4", {{"Edit27", " "}, {"Edit28", "5"}}).empty());
  EXPECT_EQ(Upper(w), (std::vector<std::string>{" ", "5", "", "", "", "", ""}));

  w.SetText("Edit29", "F");
  EXPECT_EQ(PressWith(w, "SpeedButton4", {{"Edit27", "0"}, {"Edit28", "a"}}),
            std::vector<Message>{Error("'0a' is not a valid integer value.")});
  EXPECT_EQ(Upper(w), (std::vector<std::string>{"0", "a", "F", "0", "0", "0", "0"})) << "only the fills are written";
}

TEST(HexButton, EveryDigitInEitherCase) {
  const std::string upper = "0123456789ABCDEF";
  const std::string lower = "0123456789abcdef";
  for (int v = 0; v < 16; ++v) {
    for (const std::string& digits : {upper, lower}) {
      ModelWindow w;
      const std::string digit = digits.substr(static_cast<std::size_t>(v), 1);
      EXPECT_TRUE(PressWith(w, "SpeedButton8", {{"Edit29", digit}}).empty());
      const std::string bits = ValueToBits(v, 4);
      const std::string tens = v > 9 ? "1" : "0";
      const std::string units = std::to_string(v % 10);
      EXPECT_EQ(Upper(w), (std::vector<std::string>{tens, units, digit, bits.substr(0, 1), bits.substr(1, 1),
                                                    bits.substr(2, 1), bits.substr(3, 1)}));
      // And back: both bit buttons give the same decimal and hexadecimal.
      for (const char* button : {"SpeedButton5", "SpeedButton9"}) {
        w.SetText("Edit27", "");
        w.SetText("Edit28", "");
        w.SetText("Edit29", "");
        EXPECT_TRUE(PressWith(w, button).empty());
        EXPECT_EQ(Texts(w, {"Edit27", "Edit28", "Edit29"}),
                  (std::vector<std::string>{tens, units, upper.substr(static_cast<std::size_t>(v), 1)}));
      }
    }
  }
  ModelWindow w;
  w.SetText("Edit30", "1");
  EXPECT_EQ(PressWith(w, "SpeedButton8", {{"Edit29", "G"}}),
            std::vector<Message>{Error("'$G' is not a valid integer value.")});
  EXPECT_EQ(Upper(w), (std::vector<std::string>{"0", "0", "G", "1", "0", "0", "0"}));
}

TEST(BinaryButtons, DifferInChecksOrderAndSecondFill) {
  struct Case {
    const char* button;
    std::vector<Message> messages;
    std::vector<std::string> upper;
  };
  const std::vector<Case> cases = {
      {"SpeedButton5", {Report(kNotBinary)}, {"0", "8", "", "0", "2", "0", "0"}},
      {"SpeedButton9", {}, {"0", "8", "0", "0", "2", "0", "0"}},
  };
  for (const Case& c : cases) {
    ModelWindow w;
    EXPECT_EQ(PressWith(w, c.button, {{"Edit30", "0"}, {"Edit31", "2"}, {"Edit32", "0"}, {"Edit33", "0"}}),
              c.messages)
        << c.button;
    EXPECT_EQ(Upper(w), c.upper) << c.button;
  }
  // Nines count with their digit value: 9*8+9*4+9*2+9 = 135, written from its
  // units digit "3" and its first digit "1".
  ModelWindow w;
  EXPECT_EQ(PressWith(w, "SpeedButton5", {{"Edit30", "9"}, {"Edit31", "9"}, {"Edit32", "9"}, {"Edit33", "9"}}),
            std::vector<Message>{Report(kNotBinary)});
  EXPECT_EQ(Texts(w, {"Edit27", "Edit28", "Edit29"}), (std::vector<std::string>{"1", "3", ""}));
}

TEST(BinaryButtons, StopWhereTheyFirstMeetALetter) {
  // SpeedButton5 checks the bits as hexadecimal digits, then reads them as decimal ones.
  ModelWindow w;
  EXPECT_EQ(PressWith(w, "SpeedButton5", {{"Edit31", "A"}}),
            (std::vector<Message>{Report(kNotBinary), Error("'A' is not a valid integer value.")}));
  EXPECT_EQ(Upper(w), (std::vector<std::string>{"0", "0", "0", "0", "A", "0", "0"}));
  EXPECT_EQ(PressWith(w, "SpeedButton5", {{"Edit31", "G"}}),
            std::vector<Message>{Error("'$G' is not a valid integer value.")});

  // SpeedButton9 writes HEX (empty, then filled with "0") before it fails.
  ModelWindow v;
  v.SetText("Edit27", "1");
  v.SetText("Edit28", "2");
  v.SetText("Edit29", "C");
  EXPECT_EQ(PressWith(v, "SpeedButton9", {{"Edit32", "G"}}),
            std::vector<Message>{Error("'G' is not a valid integer value.")});
  EXPECT_EQ(Upper(v), (std::vector<std::string>{"1", "2", "0", "0", "0", "G", "0"}));
}

}  // namespace
}  // namespace ostrolen

#include "core/conversions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrolen {
namespace {

// The message a conversion of `text` fails with.
std::string FailureOf(const auto& convert) {
  try {
    convert();
  } catch (const ConversionError& error) {
    return error.what();
  }
  return "(no error)";
}

std::string Hex4(unsigned word) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[(word >> shift) & 0xF];
  return text;
}

std::string Bits16(unsigned word) {
  std::string bits;
  for (int k = 15; k >= 0; --k) bits += ((word >> k) & 1) ? '1' : '0';
  return bits;
}

TEST(HexValue, ReadsEveryDigitInEitherCase) {
  const std::string upper = "0123456789ABCDEF";
  const std::string lower = "0123456789abcdef";
  for (int v = 0; v < 16; ++v) {
    EXPECT_EQ(HexValue(upper.substr(v, 1)), v);
    EXPECT_EQ(HexValue(lower.substr(v, 1)), v);
  }
  EXPECT_EQ(HexValue("7FFFFFFF"), 0x7FFFFFFF);
  EXPECT_EQ(HexValue("00FF"), 255);
}

TEST(HexValue, NamesTheDollarTextWhenItFails) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"G", "'$G' is not a valid integer value"},
      {"", "'$' is not a valid integer value"},
      {" ", "'$ ' is not a valid integer value"},
      {" 5", "'$ 5' is not a valid integer value"},
      {"-1", "'$-1' is not a valid integer value"},
      {"+1", "'$+1' is not a valid integer value"},
      {"x1", "'$x1' is not a valid integer value"},
      {"$1", "'$$1' is not a valid integer value"},
      {"Ж", "'$Ж' is not a valid integer value"},
      {"80000000", "'$80000000' is not a valid integer value"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_EQ(FailureOf([&] { HexValue(text); }), message) << text;
  }
}

TEST(DecimalValue, FollowsTheIntegerRules) {
  const std::vector<std::pair<std::string, int>> good = {
      {"0", 0},         {"15", 15},        {"007", 7},    {"  12", 12},  {"+3", 3},
      {"-3", -3},       {"$1F", 31},       {"x1f", 31},   {"X10", 16},   {"0x10", 16},
      {"0X1a", 26},     {"-$10", -16},     {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
  };
  for (const auto& [text, value] : good) EXPECT_EQ(DecimalValue(text), value) << text;
  for (const std::string text : {"", " ", "+", "-", "$", "0x", "1 ", "1a", "0a", "a", "2147483648",
                                 "-2147483649", "--1", "1.5", "\t1"}) {
    EXPECT_EQ(FailureOf([&] { DecimalValue(text); }), "'" + text + "' is not a valid integer value") << text;
  }
}

TEST(ValueToBits, KeepsTheLowBits) {
  for (int v = 0; v < 16; ++v) {
    const std::string four = ValueToBits(v, 4);
    ASSERT_EQ(four, Bits16(static_cast<unsigned>(v)).substr(12));
    EXPECT_EQ(ValueToBits(v, 3), four.substr(1));
    EXPECT_EQ(ValueToBits(v, 2), four.substr(2));
    EXPECT_EQ(BitsToHexDigit(four), Hex4(static_cast<unsigned>(v)).substr(3));
    EXPECT_EQ(ValueToHexDigit(v), Hex4(static_cast<unsigned>(v)).substr(3));
  }
  for (const int outside : {-1, 16, 255}) {
    EXPECT_EQ(ValueToBits(outside, 4), "");
    EXPECT_EQ(ValueToHexDigit(outside), "");
  }
}

TEST(BitsToHexDigit, IsExact) {
  for (const std::string text : {"", "101", "0120", "00000", "1O10", " 101", "101 "}) {
    EXPECT_EQ(BitsToHexDigit(text), "") << text;
  }
}

TEST(DecimalToBits, TakesOnlyTwoDigitTexts) {
  for (int tens = 0; tens <= 9; ++tens) {
    for (int units = 0; units <= 9; ++units) {
      const int value = tens * 10 + units;
      const std::string text{static_cast<char>('0' + tens), static_cast<char>('0' + units)};
      EXPECT_EQ(DecimalToBits(text), value <= 15 ? ValueToBits(value, 4) : "") << text;
    }
  }
  for (const std::string text : {"5", "", "015", " 5", "1A", "-1"}) EXPECT_EQ(DecimalToBits(text), "") << text;
  EXPECT_EQ(DecimalToBits("05"), "0101");
}

TEST(BitsToDecimal, PadsAndReadsRightToLeft) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1", "1"},          {"1000", "8"},       {"0200", "8"},    {std::string(16, '1'), "65535"},
      {"0", "0"},          {"00000", "0"},      {"9999", "135"},  {std::string(16, '1') + "abc", "65535"},
      {"11111", "31"},     {"1111111", "127"},
  };
  for (const auto& [bits, decimal] : cases) EXPECT_EQ(BitsToDecimal(bits), decimal) << bits;
  EXPECT_EQ(FailureOf([] { BitsToDecimal(""); }), "'' is not a valid integer value");
  EXPECT_EQ(FailureOf([] { BitsToDecimal("a"); }), "'a' is not a valid integer value");
  // The first bad character from the right is named.
  EXPECT_EQ(FailureOf([] { BitsToDecimal("x01y0"); }), "'y' is not a valid integer value");
  EXPECT_EQ(FailureOf([] { BitsToDecimal("1 1"); }), "' ' is not a valid integer value");
}

TEST(CodeWord, EveryWordRoundTrips) {
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    const std::string bits = Bits16(word);
    const auto positions = BitsToCodeWord(bits);
    ASSERT_EQ(CodeWordToBits(positions[0], positions[1], positions[2], positions[3], positions[4]), bits) << word;
    ASSERT_EQ(BitsToDecimal(bits), std::to_string(word));
  }
}

TEST(CodeWord, PositionsCarryTheirBits) {
  EXPECT_EQ(CodeWordToBits("7", "7", "3", "F", "F"), std::string(16, '1'));
  EXPECT_EQ(CodeWordToBits("0", "0", "0", "0", "0"), std::string(16, '0'));
  EXPECT_EQ(CodeWordToBits("1", "2", "3", "4", "5"), "001" "010" "11" "0100" "0101");
  EXPECT_EQ(CodeWordToBits("f", "0", "0", "0", "0").substr(0, 3), "111");
  EXPECT_EQ(CodeWordToBits("8", "0", "0", "0", "0").substr(0, 3), "000");
  EXPECT_EQ(CodeWordToBits("9", "0", "0", "a", "b"), "001" "000" "00" "1010" "1011");
  EXPECT_EQ(FailureOf([] { CodeWordToBits("0", "0", "0", "0", "G"); }), "'$G' is not a valid integer value");
  const auto ones = BitsToCodeWord(std::string(16, '1'));
  EXPECT_EQ(ones, (std::array<std::string, 5>{"7", "7", "3", "F", "F"}));
  const auto broken = BitsToCodeWord("120" "000" "00" "0000" "0002");
  EXPECT_EQ(broken, (std::array<std::string, 5>{"", "0", "0", "0", ""}));
  EXPECT_EQ(BitsToCodeWord("1111"), (std::array<std::string, 5>{"7", "", "", "", ""}));
}

TEST(CheckCodeWordPositions, ReportsInOrderAndConvertsEachFresh) {
  struct Case {
    std::string p1, p2, p3;
    std::vector<std::string> reports;
  };
  const std::vector<Case> cases = {
      {"7", "7", "3", {}},
      {"f", "0", "0", {std::string(kFirstPositionMessage)}},
      {"8", "0", "4", {std::string(kFirstPositionMessage), std::string(kThirdPositionMessage)}},
      {"0", "8", "4", {std::string(kSecondPositionMessage), std::string(kThirdPositionMessage)}},
      {"F", "F", "F",
       {std::string(kFirstPositionMessage), std::string(kSecondPositionMessage), std::string(kThirdPositionMessage)}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> reports;
    const int failed =
        CheckCodeWordPositions(c.p1, c.p2, c.p3, [&](std::string_view text) { reports.emplace_back(text); });
    EXPECT_EQ(reports, c.reports) << c.p1 << c.p2 << c.p3;
    EXPECT_EQ(failed, static_cast<int>(c.reports.size()));
  }
  // A bad second position fails after the first position's report is out.
  std::vector<std::string> reports;
  EXPECT_EQ(FailureOf([&] {
              CheckCodeWordPositions("8", "G", "0", [&](std::string_view text) { reports.emplace_back(text); });
            }),
            "'$G' is not a valid integer value");
  EXPECT_EQ(reports, std::vector<std::string>{std::string(kFirstPositionMessage)});
}

}  // namespace
}  // namespace ostrolen

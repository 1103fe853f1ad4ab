// The code word and the bit strings that all decoding works on.
//
// A code word is five one-character positions carrying 3, 3, 2, 4 and 4 bits
// (largest digits 7, 7, 3, F, F). A bit string is a text of "0" and "1",
// most significant bit first; character 1 is the leftmost.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/code_word.h"

namespace ostrolen {

// The one error of the conversions: a text that is not a number of the
// expected base. The message names the exact text handed to the conversion.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(std::string_view text);
  const std::string& text() const noexcept { return text_; }
  // The whole message; what() stops at a NUL character the text may hold.
  const std::string& message() const noexcept { return message_; }

 private:
  std::string text_;
  std::string message_;
};

// Integer value of "$" + text, i.e. the text read as hexadecimal digits only.
std::int32_t HexValue(std::string_view text);

// Integer value of a decimal text: leading blanks, an optional sign, then
// decimal digits, or "$", "x", "X", "0x", "0X" and hexadecimal digits; the
// value must lie in the 32-bit signed range.
std::int32_t DecimalValue(std::string_view text);

// The low `width` bits of a value 0-15; the empty text for other values.
std::string ValueToBits(std::int64_t value, int width);

// The digit of one of the sixteen 4-character bit strings (exact, case
// sensitive); the empty text for anything else.
std::string BitsToHexDigit(std::string_view bits);

// "0"-"9", "A"-"F" for 0-15; the empty text for other values.
std::string ValueToHexDigit(std::int64_t value);

// The 4-bit string of "00" ... "15"; the empty text for any other text.
std::string DecimalToBits(std::string_view text);

// The decimal text of a bit string read right to left; each character is
// read with DecimalValue, so "2"-"9" count with their digit value.
std::string BitsToDecimal(std::string_view bits);

// The 16 bits of a code word given as its five position texts.
std::string CodeWordToBits(std::string_view p1, std::string_view p2, std::string_view p3, std::string_view p4,
                           std::string_view p5);

// The five position digits of 16 bits; a group that is not made of "0" and
// "1" gives the empty text for its position.
std::array<std::string, 5> BitsToCodeWord(std::string_view bits);

// Message of a failed position check, in the order they are made.
inline constexpr std::string_view kFirstPositionMessage = kCodeWordPositions[0].check_message;
inline constexpr std::string_view kSecondPositionMessage = kCodeWordPositions[1].check_message;
inline constexpr std::string_view kThirdPositionMessage = kCodeWordPositions[2].check_message;

using ReportSink = std::function<void(std::string_view)>;

// Checks positions 1-3 against their largest digits, each on a fresh HexValue, and hands
// every failed check's message to `report` at once. Returns how many failed.
int CheckCodeWordPositions(std::string_view p1, std::string_view p2, std::string_view p3, const ReportSink& report);

}  // namespace ostrolen

#include "core/conversions.h"

#include <limits>

#include "core/utf8.h"

namespace ostrolen {
namespace {

constexpr std::array<std::string_view, 16> kNibbles = {"0000", "0001", "0010", "0011", "0100", "0101", "0110", "0111",
                                                       "1000", "1001", "1010", "1011", "1100", "1101", "1110", "1111"};
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

int DigitValue(char c, int base) {
  const int v = HexDigitValue(c);
  return v < base ? v : -1;
}

// The integer conversion behind both readings.
std::int32_t ConvertInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) throw ConversionError(text);
  // Accumulate with headroom for the one value the negative side has extra.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) throw ConversionError(text);
    value = value * base + digit;
    if (value > kLimit) throw ConversionError(text);
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) throw ConversionError(text);
  return static_cast<std::int32_t>(value);
}

}  // namespace

namespace {
// Built by appending: GCC 12 warns falsely (-Wrestrict) on "x" + std::string at -O2.
std::string ConversionMessage(std::string_view text) {
  std::string message = "'";
  message.append(text);
  message.append("' is not a valid integer value");
  return message;
}
}  // namespace

ConversionError::ConversionError(std::string_view text)
    : std::runtime_error(ConversionMessage(text)), text_(text), message_(ConversionMessage(text)) {}

std::int32_t HexValue(std::string_view text) {
  std::string converted = "$";
  converted.append(text);
  return ConvertInteger(converted);
}

std::int32_t DecimalValue(std::string_view text) { return ConvertInteger(text); }

std::string ValueToBits(std::int64_t value, int width) {
  if (value < 0 || value > 15 || width < 1 || width > 4) return {};
  return std::string(kNibbles[static_cast<std::size_t>(value)].substr(4 - static_cast<std::size_t>(width)));
}

std::string BitsToHexDigit(std::string_view bits) {
  for (std::size_t v = 0; v < kNibbles.size(); ++v) {
    if (bits == kNibbles[v]) return std::string(1, kHexDigits[v]);
  }
  return {};
}

std::string ValueToHexDigit(std::int64_t value) {
  if (value < 0 || value > 15) return {};
  return std::string(1, kHexDigits[static_cast<std::size_t>(value)]);
}

std::string DecimalToBits(std::string_view text) {
  if (text.size() != 2) return {};
  for (std::size_t v = 0; v < kNibbles.size(); ++v) {
    const char tens = v >= 10 ? '1' : '0';
    const char units = static_cast<char>('0' + v % 10);
    if (text[0] == tens && text[1] == units) return std::string(kNibbles[v]);
  }
  return {};
}

std::string BitsToDecimal(std::string_view bits) {
  auto chars = SplitChars(bits);
  if (chars.empty()) throw ConversionError("");
  std::vector<std::string_view> padded;
  if (chars.size() < 16) padded.assign(16 - chars.size(), "0");
  padded.insert(padded.end(), chars.begin(), chars.end());
  // Read from character 16 back to character 1; later characters are ignored.
  std::int64_t sum = 0;
  for (std::size_t k = 16; k >= 1; --k) {
    sum += std::int64_t{DecimalValue(padded[k - 1])} << (16 - k);
  }
  return std::to_string(sum);
}

std::string CodeWordToBits(std::string_view p1, std::string_view p2, std::string_view p3, std::string_view p4,
                           std::string_view p5) {
  const std::array<std::string_view, 5> texts = {p1, p2, p3, p4, p5};
  std::string bits;
  for (std::size_t p = 0; p < texts.size(); ++p) bits += ValueToBits(HexValue(texts[p]), kCodeWordPositions[p].width);
  return bits;
}

std::array<std::string, 5> BitsToCodeWord(std::string_view bits) {
  const auto chars = SplitChars(bits);
  std::array<std::string, 5> digits;
  for (std::size_t p = 0; p < digits.size(); ++p) {
    const PositionFormat& position = kCodeWordPositions[p];
    // A narrow position is read as a 4-bit group with leading zeros.
    std::string group(static_cast<std::size_t>(4 - position.width), '0');
    for (int k = position.first_bit; k <= position.last_bit(); ++k) {
      if (static_cast<std::size_t>(k) <= chars.size()) group += chars[static_cast<std::size_t>(k) - 1];
    }
    digits[p] = BitsToHexDigit(group);
  }
  return digits;
}

int CheckCodeWordPositions(std::string_view p1, std::string_view p2, std::string_view p3, const ReportSink& report) {
  const std::array<std::string_view, 3> texts = {p1, p2, p3};
  int failed = 0;
  for (std::size_t p = 0; p < texts.size(); ++p) {
    if (HexValue(texts[p]) > kCodeWordPositions[p].max) {
      ++failed;
      report(kCodeWordPositions[p].check_message);
    }
  }
  return failed;
}

}  // namespace ostrolen

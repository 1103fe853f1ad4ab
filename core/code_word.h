// The formats of the words the console shows: the code word of the memory
// (five positions of 3, 3, 2, 4 and 4 bits, largest digits 7, 7, 3, F, F)
// and the status message word (four hexadecimal positions, no maxima).
// Everything that knows a position's bits or its largest digit reads it here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace ostrolen {

// One position of a word: the bits it carries (numbered 1-16 from the most
// significant) and its largest digit.
struct PositionFormat {
  int first_bit = 1;
  int width = 4;
  int max = 15;
  std::string_view max_digit = "F";
  std::string_view check_message;  // reported when the digit is over `max`; empty: never checked

  int last_bit() const { return first_bit + width - 1; }
  // The position's bits as a mask over a 16-bit word (bit 1 is 0x8000).
  std::uint16_t mask() const {
    const unsigned ones = (1U << static_cast<unsigned>(width)) - 1U;
    return static_cast<std::uint16_t>(ones << static_cast<unsigned>(16 - last_bit()));
  }
  // A digit put in the position's place of a word: its low `width` bits, so
  // that an over-large digit gives its low bits, as the conversions do.
  std::uint16_t Place(std::uint32_t digit) const {
    const unsigned ones = (1U << static_cast<unsigned>(width)) - 1U;
    return static_cast<std::uint16_t>((digit & ones) << static_cast<unsigned>(16 - last_bit()));
  }
  // The position's digit in a word.
  std::uint32_t Take(std::uint16_t word) const {
    return static_cast<std::uint32_t>((word & mask()) >> static_cast<unsigned>(16 - last_bit()));
  }
};

// The value of one hexadecimal digit, in either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

inline constexpr std::array<PositionFormat, 5> kCodeWordPositions = {{
    {1, 3, 7, "7", "Первый знак должен быть не более 7!"},
    {4, 3, 7, "7", "Второй знак должен быть не более 7!"},
    {7, 2, 3, "3", "Третий знак должен быть не более 3!"},
    {9, 4, 15, "F", {}},
    {13, 4, 15, "F", {}},
}};

inline constexpr std::array<PositionFormat, 4> kMessageWordPositions = {{
    {1, 4, 15, "F", {}},
    {5, 4, 15, "F", {}},
    {9, 4, 15, "F", {}},
    {13, 4, 15, "F", {}},
}};

enum class WordKind {
  Code,     // a code word of five positions
  Message,  // a status message word of four hexadecimal positions
};

inline std::span<const PositionFormat> Positions(WordKind kind) {
  if (kind == WordKind::Code) return kCodeWordPositions;
  return kMessageWordPositions;
}

// The position (0-based) that carries bit `bit` (1-16) of a word.
inline std::size_t PositionOfBit(WordKind kind, int bit) {
  const auto positions = Positions(kind);
  for (std::size_t p = 0; p < positions.size(); ++p) {
    if (bit >= positions[p].first_bit && bit <= positions[p].last_bit()) return p;
  }
  return positions.size();
}

}  // namespace ostrolen

// Helpers shared by the subscriber page tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/utf8.h"
#include "pages/model_window.h"
#include "pages/subscriber/decoders.h"
#include "pages/subscriber/subscriber.h"
#include "tests/support/press.h"

namespace ostrolen::testing {

inline constexpr std::string_view kOn = "включена";
inline constexpr std::string_view kOff = "выключена";

// "271A6" as five position texts; "" for a word typed into no box.
inline CodeWordTexts Word(std::string_view digits) {
  CodeWordTexts word;
  const auto chars = SplitChars(digits);
  for (std::size_t p = 0; p < word.size() && p < chars.size(); ++p) word[p] = std::string(chars[p]);
  return word;
}

// A 16-bit value written in the five-position code, computed from its bits
// apart from the conversions under test.
inline CodeWordTexts WordOf(std::uint16_t value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  const unsigned v = value;
  const std::array<unsigned, 5> digits = {(v >> 13) & 7, (v >> 10) & 7, (v >> 8) & 3, (v >> 4) & 15, v & 15};
  CodeWordTexts word;
  for (std::size_t p = 0; p < 5; ++p) word[p] = std::string(1, kDigits[digits[p]]);
  return word;
}

inline std::string Joined(const CodeWordTexts& word) {
  std::string text;
  for (const std::string& p : word) text += p;
  return text;
}

// Bit k (1 = most significant) of a 16-bit value.
inline bool BitOf(std::uint16_t value, int k) { return ((value >> (16 - k)) & 1U) != 0; }

inline std::string HexOf(unsigned value, int digits) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text;
  for (int d = digits - 1; d >= 0; --d) text += kDigits[(value >> (4 * d)) & 15U];
  return text;
}

inline bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The box names of word `w` of a page, p1 to p5.
inline std::vector<std::string> BoxesOf(const AhPageControls& controls, int w) {
  std::vector<std::string> names;
  for (int p = 0; p < 5; ++p) names.push_back("Edit" + std::to_string(controls.first + 5 * w + p));
  return names;
}

// Types the words into the page's boxes (an empty text leaves a box empty).
template <std::size_t N>
void Type(ModelWindow& window, const AhPageControls& controls, const std::array<CodeWordTexts, N>& words) {
  for (std::size_t w = 0; w < N; ++w) {
    const auto names = BoxesOf(controls, static_cast<int>(w));
    for (std::size_t p = 0; p < 5; ++p) window.SetText(names[p], words[w][p]);
  }
}

// The texts of all the page's boxes, word by word.
inline std::vector<std::string> PageTexts(const ModelWindow& window, const AhPageControls& controls) {
  std::vector<std::string> texts;
  for (int w = 0; w < controls.words; ++w) {
    for (const std::string& name : BoxesOf(controls, w)) texts.push_back(window.Text(name));
  }
  return texts;
}

inline std::vector<Message> Reports(const std::vector<std::string>& texts) {
  std::vector<Message> messages;
  for (const std::string& text : texts) messages.push_back(Report(text));
  return messages;
}

inline std::string NotAnInteger(std::string_view text) {
  return "'$" + std::string(text) + "' is not a valid integer value.";
}

}  // namespace ostrolen::testing

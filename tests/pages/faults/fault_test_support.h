// What the fault page tests share: each page's button, descriptor and its
// healthy words as plain numbers, and the bits a word should show.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/faults/faults.h"
#include "pages/model_window.h"

namespace ostrolen::testing {

struct FaultPageUnderTest {
  std::string_view caption;
  std::string_view button;
  const FaultPage& faults;
  std::vector<std::uint16_t> healthy;  // the page's healthy words; 0000 on "ПУУ"
};

inline const std::vector<FaultPageUnderTest>& FaultPagesUnderTest() {
  static const std::vector<FaultPageUnderTest> pages = {
      {"УВП", "SpeedButton11", UvpFaultPage(), {0x0035, 0x003F}},
      {"БГ", "SpeedButton12", BgFaultPage(), {0x0000}},
      {"ВВК", "SpeedButton13", VvkFaultPage(), {0x0034, 0x0030}},
      {"ПУУ", "SpeedButton16", PuuFaultPage(), {0x0000, 0x0000}},
  };
  return pages;
}

inline const FaultPageUnderTest& PageUnderTest(std::string_view caption) {
  for (const FaultPageUnderTest& page : FaultPagesUnderTest()) {
    if (page.caption == caption) return page;
  }
  throw std::out_of_range("no fault page " + std::string(caption));
}

// Sixteen "0"/"1", most significant first.
inline std::string Bits(std::uint16_t value) { return std::bitset<16>(value).to_string(); }

inline std::uint16_t WordValue(std::string_view hex) {
  return static_cast<std::uint16_t>(std::stoul(std::string(hex), nullptr, 16));
}

// The texts of a row of boxes, joined.
template <typename Boxes>
std::string RowText(const ModelWindow& window, const Boxes& boxes) {
  std::string text;
  for (const auto& box : boxes) text += window.Text(box);
  return text;
}

// Types four hexadecimal digits per word into the page's message boxes;
// an empty word leaves its four boxes empty.
inline void TypeWords(ModelWindow& window, const FaultPage& page, const std::vector<std::string>& words) {
  for (std::size_t w = 0; w < words.size(); ++w) {
    for (std::size_t k = 0; k < 4; ++k) {
      window.SetText(page.words[w].message[k], words[w].empty() ? "" : words[w].substr(k, 1));
    }
  }
}

// The lines an independent reading of the table gives: an entry is listed
// when its bit of (word XOR healthy word) is set.
inline std::vector<std::string> ExpectedFaults(const FaultPageUnderTest& page,
                                               const std::vector<std::uint16_t>& words) {
  std::vector<std::string> lines;
  for (const FaultEntry& entry : page.faults.table) {
    const std::size_t w = static_cast<std::size_t>(entry.word - 1);
    const unsigned off = static_cast<unsigned>(words[w] ^ page.healthy[w]);
    if ((off >> (16 - entry.bit)) & 1U) lines.emplace_back(entry.text);
  }
  return lines;
}

}  // namespace ostrolen::testing

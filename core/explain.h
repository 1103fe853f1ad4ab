// What a decode hands back: the input error reports, the result lines with
// the bits each line comes from, and the error that stopped it, if any. One
// kind of result for every decoding page, shown by one function, and read by
// every front end to explain a line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_word.h"
#include "core/conversions.h"
#include "core/layout.h"
#include "core/window.h"

namespace ostrolen {

// The most words a page decodes at once.
inline constexpr std::size_t kMaxWords = 4;

// Bits `first` to `last` (1-16, 1 the most significant) of word `word`
// (0 for a page's first word).
struct BitRange {
  int word = 0;
  int first = 1;
  int last = 1;

  int width() const { return last - first + 1; }
  // The range as a mask over a 16-bit word.
  std::uint16_t mask() const;
};

// Where a result line comes from: the bits its text or its presence depends
// on, with their values, and the page field that the line shows.
struct LineOrigin {
  std::array<std::uint16_t, kMaxWords> mask{};   // per word; bit 1 is 0x8000
  std::array<std::uint16_t, kMaxWords> value{};  // the values of those bits, 0 elsewhere
  int field = -1;                                // -1: the line shows no field

  bool empty() const;
  // Adds `range`, taking its bits' values from `words`.
  void Add(const BitRange& range, std::span<const std::uint16_t> words);
  bool operator==(const LineOrigin&) const = default;
};

struct SourcedLine {
  std::string text;
  LineOrigin origin;
  bool operator==(const SourcedLine&) const = default;
};

struct DecodeResult {
  std::vector<std::string> reports;  // input error reports, in order
  bool cleared = false;              // the list was cleared before `lines`
  std::vector<SourcedLine> lines;
  std::optional<ConversionError> error;  // where the decode stopped

  std::vector<std::string> Texts() const;
};

// Shows a result on the window as a press does: the reports, then the list
// (cleared or appended to), then the error is raised for the common handler.
void ShowResult(Window& window, std::string_view list, const DecodeResult& result);

// A line's source as the command line writes it: for each word it depends on,
// "w" and the word's number, ":" and its 16 bits with every other bit ".",
// items joined by one blank ("w0:....1..........."). `mark` replaces each
// bit's value when given ('x' for a field's bits).
std::string SourceText(const LineOrigin& origin, char mark = '\0');

// The source in words for the window's tooltip, one line per word, e.g.
// "Слово 0, биты 5–9 (позиции 2–4): 10110". `kinds` gives each word's format.
std::string SourceDescription(const LineOrigin& origin, std::span<const WordKind> kinds);

// The contiguous runs of the bits set in a 16-bit mask, as 1-based ranges.
std::vector<std::pair<int, int>> BitRuns(std::uint16_t mask);

// The boxes that carry the origin's bits: on a page that shows its words
// bit by bit, the bit boxes of every row; elsewhere the position boxes.
std::vector<std::string> BoxesOfOrigin(const PageLayout& page, const LineOrigin& origin);

}  // namespace ostrolen

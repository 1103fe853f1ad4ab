#include "core/explain.h"

#include <bit>

namespace ostrolen {

std::uint16_t BitRange::mask() const {
  if (first < 1 || last > 16 || first > last) return 0;
  const unsigned ones = (1U << static_cast<unsigned>(width())) - 1U;
  return static_cast<std::uint16_t>(ones << static_cast<unsigned>(16 - last));
}

bool LineOrigin::empty() const {
  for (const std::uint16_t m : mask) {
    if (m != 0) return false;
  }
  return true;
}

void LineOrigin::Add(const BitRange& range, std::span<const std::uint16_t> words) {
  if (range.word < 0 || static_cast<std::size_t>(range.word) >= kMaxWords) return;
  const auto w = static_cast<std::size_t>(range.word);
  const std::uint16_t bits = range.mask();
  mask[w] = static_cast<std::uint16_t>(mask[w] | bits);
  const std::uint16_t word = w < words.size() ? words[w] : 0;
  value[w] = static_cast<std::uint16_t>((value[w] & ~bits) | (word & bits));
}

std::vector<std::string> DecodeResult::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(lines.size());
  for (const SourcedLine& line : lines) texts.push_back(line.text);
  return texts;
}

void ShowResult(Window& window, std::string_view list, const DecodeResult& result) {
  for (const std::string& report : result.reports) window.InputErrorReport(report);
  if (result.cleared) window.ClearList(list);
  for (const SourcedLine& line : result.lines) window.AppendSourcedLine(list, line.text, line.origin);
  if (result.error) throw *result.error;
}

std::vector<std::pair<int, int>> BitRuns(std::uint16_t mask) {
  std::vector<std::pair<int, int>> runs;
  for (int bit = 1; bit <= 16; ++bit) {
    if ((mask & (0x8000U >> static_cast<unsigned>(bit - 1))) == 0) continue;
    if (!runs.empty() && runs.back().second == bit - 1) {
      runs.back().second = bit;
    } else {
      runs.emplace_back(bit, bit);
    }
  }
  return runs;
}

namespace {

char BitChar(std::uint16_t word, int bit) { return (word & (0x8000U >> static_cast<unsigned>(bit - 1))) ? '1' : '0'; }

// "5", or "5–9" with an en dash.
std::string Span(int first, int last) {
  std::string text = std::to_string(first);
  if (last != first) text += "–" + std::to_string(last);
  return text;
}

}  // namespace

std::string SourceText(const LineOrigin& origin, char mark) {
  std::string text;
  for (std::size_t w = 0; w < kMaxWords; ++w) {
    if (origin.mask[w] == 0) continue;
    if (!text.empty()) text += ' ';
    text += 'w' + std::to_string(w) + ':';
    for (int bit = 1; bit <= 16; ++bit) {
      if (BitChar(origin.mask[w], bit) == '0') {
        text += '.';
      } else {
        text += mark != '\0' ? mark : BitChar(origin.value[w], bit);
      }
    }
  }
  return text;
}

std::string SourceDescription(const LineOrigin& origin, std::span<const WordKind> kinds) {
  std::string text;
  for (std::size_t w = 0; w < kMaxWords; ++w) {
    if (origin.mask[w] == 0) continue;
    const WordKind kind = w < kinds.size() ? kinds[w] : WordKind::Code;
    if (!text.empty()) text += '\n';
    text += "Слово " + std::to_string(w) + ", ";
    bool first_run = true;
    for (const auto& [first, last] : BitRuns(origin.mask[w])) {
      if (!first_run) text += "; ";
      first_run = false;
      const std::size_t p1 = PositionOfBit(kind, first) + 1;
      const std::size_t p2 = PositionOfBit(kind, last) + 1;
      text += (first == last ? "бит " : "биты ") + Span(first, last);
      text += (p1 == p2 ? " (позиция " : " (позиции ") + Span(static_cast<int>(p1), static_cast<int>(p2)) + "): ";
      for (int bit = first; bit <= last; ++bit) text += BitChar(origin.value[w], bit);
    }
  }
  return text;
}

std::vector<std::string> BoxesOfOrigin(const PageLayout& page, const LineOrigin& origin) {
  std::vector<std::string> boxes;
  for (std::size_t w = 0; w < page.words.size() && w < kMaxWords; ++w) {
    const WordSpec& word = page.words[w];
    const std::uint16_t mask = origin.mask[w];
    if (mask == 0) continue;
    if (!word.bit_rows.empty()) {
      for (const auto& row : word.bit_rows) {
        for (const auto& [first, last] : BitRuns(mask)) {
          for (int bit = first; bit <= last && static_cast<std::size_t>(bit) <= row.size(); ++bit) {
            boxes.push_back(row[static_cast<std::size_t>(bit - 1)]);
          }
        }
      }
      continue;
    }
    const auto positions = Positions(word.kind);
    for (std::size_t p = 0; p < positions.size() && p < word.positions.size(); ++p) {
      if ((mask & positions[p].mask()) != 0) boxes.push_back(word.positions[p]);
    }
  }
  return boxes;
}

}  // namespace ostrolen

#include "core/compare.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <functional>
#include <utility>

namespace ostrolen {
namespace {

// What makes two lines of the two decodes the same line.
struct LineKey {
  enum class Kind : char { Field, Entry, Text };
  Kind kind = Kind::Text;
  int word = -1;          // Kind::Field: the field; Kind::Entry: the word
  std::uint16_t bit = 0;  // Kind::Entry: the entry's bit
  std::string_view text;  // Kind::Text
  std::size_t hash = 0;   // of all of the above, to tell most keys apart at once
  int occurrence = 0;     // earlier lines of the same side with this key

  bool SameKey(const LineKey& other) const {
    return hash == other.hash && kind == other.kind && word == other.word && bit == other.bit && text == other.text;
  }
  bool SameLine(const LineKey& other) const { return occurrence == other.occurrence && SameKey(other); }
};

LineKey KeyOf(const SourcedLine& line) {
  LineKey key;
  if (line.origin.field >= 0) {
    key.kind = LineKey::Kind::Field;
    key.word = line.origin.field;
    key.hash = static_cast<std::size_t>(key.word);
    return key;
  }
  // A fault line depends on its entry's bit alone.
  int words = 0;
  for (std::size_t w = 0; w < line.origin.mask.size(); ++w) {
    if (line.origin.mask[w] == 0) continue;
    ++words;
    key.word = static_cast<int>(w);
    key.bit = line.origin.mask[w];
  }
  if (words == 1 && std::has_single_bit(key.bit)) {
    key.kind = LineKey::Kind::Entry;
    key.hash = (static_cast<std::size_t>(key.word) << 16U) | key.bit | (std::size_t{1} << 20U);
    return key;
  }
  key = LineKey{};
  key.text = line.text;
  key.hash = std::hash<std::string_view>{}(key.text);
  return key;
}

std::vector<LineKey> KeysOf(std::span<const SourcedLine> lines) {
  std::vector<LineKey> keys;
  keys.reserve(lines.size());
  for (const SourcedLine& line : lines) {
    LineKey key = KeyOf(line);
    // A field shown on several lines, a repeated text: the n-th pairs with the n-th.
    for (const LineKey& earlier : keys) {
      if (earlier.SameKey(key)) ++key.occurrence;
    }
    keys.push_back(key);
  }
  return keys;
}

// The pairs (old index, new index) of a longest common run of keys, in order.
std::vector<std::pair<std::size_t, std::size_t>> Pairs(const std::vector<LineKey>& before,
                                                       const std::vector<LineKey>& after) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  // Most compares keep most lines: those at both ends pair without the table.
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head].SameLine(after[head])) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail].SameLine(after[after.size() - 1 - tail])) {
    ++tail;
  }
  for (std::size_t i = 0; i < head; ++i) pairs.emplace_back(i, i);
  const std::size_t n = before.size() - head - tail;
  const std::size_t m = after.size() - head - tail;
  if (n > 0 && m > 0) {
    // longest[i * (m + 1) + j]: the longest common run of the middles from i and j on.
    std::vector<int> longest((n + 1) * (m + 1), 0);
    const auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
    const auto same = [&](std::size_t i, std::size_t j) { return before[head + i].SameLine(after[head + j]); };
    for (std::size_t i = n; i-- > 0;) {
      for (std::size_t j = m; j-- > 0;) {
        longest[at(i, j)] =
            same(i, j) ? longest[at(i + 1, j + 1)] + 1 : std::max(longest[at(i + 1, j)], longest[at(i, j + 1)]);
      }
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n && j < m) {
      if (same(i, j) && longest[at(i, j)] == longest[at(i + 1, j + 1)] + 1) {
        pairs.emplace_back(head + i++, head + j++);
      } else if (longest[at(i + 1, j)] >= longest[at(i, j + 1)]) {
        ++i;
      } else {
        ++j;
      }
    }
  }
  for (std::size_t k = tail; k > 0; --k) pairs.emplace_back(before.size() - k, after.size() - k);
  return pairs;
}

}  // namespace

std::vector<ComparedLine> CompareLines(std::span<const SourcedLine> before, std::span<const SourcedLine> after) {
  const std::vector<std::pair<std::size_t, std::size_t>> pairs = Pairs(KeysOf(before), KeysOf(after));
  std::vector<ComparedLine> lines;
  lines.reserve(std::max(before.size(), after.size()));
  std::size_t i = 0;
  std::size_t j = 0;
  const auto catch_up = [&](std::size_t to_i, std::size_t to_j) {
    for (; i < to_i; ++i) lines.push_back({Change::Gone, before[i].text, {}});
    for (; j < to_j; ++j) lines.push_back({Change::Added, after[j].text, {}});
  };
  for (const auto& [old_index, new_index] : pairs) {
    catch_up(old_index, new_index);
    const std::string& old_text = before[i].text;
    const std::string& new_text = after[j].text;
    if (old_text == new_text) {
      lines.push_back({Change::Same, new_text, {}});
    } else {
      lines.push_back({Change::Changed, new_text, old_text});
    }
    ++i;
    ++j;
  }
  catch_up(before.size(), after.size());
  return lines;
}

bool AllSame(std::span<const ComparedLine> lines) {
  return std::all_of(lines.begin(), lines.end(), [](const ComparedLine& line) { return line.change == Change::Same; });
}

std::vector<std::string> OldTexts(std::span<const ComparedLine> lines) {
  std::vector<std::string> texts;
  for (const ComparedLine& line : lines) {
    if (line.change == Change::Changed) {
      texts.push_back(line.old_text);
    } else if (line.change != Change::Added) {
      texts.push_back(line.text);
    }
  }
  return texts;
}

std::vector<std::string> NewTexts(std::span<const ComparedLine> lines) {
  std::vector<std::string> texts;
  for (const ComparedLine& line : lines) {
    if (line.change != Change::Gone) texts.push_back(line.text);
  }
  return texts;
}

std::string_view ChangeDescription(Change change) {
  switch (change) {
    case Change::Same: return "без изменений";
    case Change::Changed: return "изменено";
    case Change::Added: return "новая строка";
    case Change::Gone: return "строки больше нет";
  }
  return {};
}

}  // namespace ostrolen

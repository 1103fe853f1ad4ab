#include "core/compare.h"

#include <algorithm>
#include <bit>
#include <cstddef>
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
  int occurrence = 0;     // earlier lines of the same side with this key

  bool SameLine(const LineKey& other) const {
    return kind == other.kind && word == other.word && bit == other.bit && text == other.text &&
           occurrence == other.occurrence;
  }
};

LineKey KeyOf(const SourcedLine& line) {
  LineKey key;
  if (line.origin.field >= 0) {
    key.kind = LineKey::Kind::Field;
    key.word = line.origin.field;
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
    return key;
  }
  key = LineKey{};
  key.text = line.text;
  return key;
}

std::vector<LineKey> KeysOf(std::span<const SourcedLine> lines) {
  std::vector<LineKey> keys;
  keys.reserve(lines.size());
  for (const SourcedLine& line : lines) {
    LineKey key = KeyOf(line);
    // A field shown on several lines, a repeated text: the n-th pairs with the n-th.
    for (const LineKey& earlier : keys) {
      if (earlier.kind == key.kind && earlier.word == key.word && earlier.bit == key.bit && earlier.text == key.text) {
        ++key.occurrence;
      }
    }
    keys.push_back(key);
  }
  return keys;
}

// The pairs (old index, new index) of a longest common run of keys, in order.
std::vector<std::pair<std::size_t, std::size_t>> Pairs(const std::vector<LineKey>& before,
                                                       const std::vector<LineKey>& after) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  const std::size_t n = before.size();
  const std::size_t m = after.size();
  // Most compares keep every line: pair them without the table.
  if (n == m && std::equal(before.begin(), before.end(), after.begin(),
                           [](const LineKey& a, const LineKey& b) { return a.SameLine(b); })) {
    for (std::size_t i = 0; i < n; ++i) pairs.emplace_back(i, i);
    return pairs;
  }
  // longest[i * (m + 1) + j]: the longest common run of before[i..] and after[j..].
  std::vector<int> longest((n + 1) * (m + 1), 0);
  const auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = m; j-- > 0;) {
      longest[at(i, j)] = before[i].SameLine(after[j]) ? longest[at(i + 1, j + 1)] + 1
                                                       : std::max(longest[at(i + 1, j)], longest[at(i, j + 1)]);
    }
  }
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n && j < m) {
    if (before[i].SameLine(after[j]) && longest[at(i, j)] == longest[at(i + 1, j + 1)] + 1) {
      pairs.emplace_back(i++, j++);
    } else if (longest[at(i + 1, j)] >= longest[at(i, j + 1)]) {
      ++i;
    } else {
      ++j;
    }
  }
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

#include "core/typing.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

#include "core/utf8.h"

namespace ostrolen {
namespace {

char32_t CodePoint(std::string_view character) {
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(character[i])); };
  if (character.size() == 1) return byte(0) < 0x80 ? byte(0) : char32_t{0xFFFD};  // a stray byte is no blank
  if (character.size() == 2) return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
  if (character.size() == 3) return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
  return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
}

std::size_t Count(const PageLayout& page) { return page.boxes.size(); }

const BoxSpec& Box(const PageLayout& page, int index) { return page.boxes[static_cast<std::size_t>(index)]; }

}  // namespace

bool IsWordSeparator(char32_t c) {
  // Unicode's white space (as the window's toolkit counts it), then the separators.
  static constexpr std::array<char32_t, 16> kSingles = {0x20,   0x85, 0xA0, 0x1680, 0x2028, 0x2029, 0x202F, 0x205F,
                                                        0x3000, U'-', U',', U';',   U':',   U'.',   U'_',   U'/'};
  if (std::find(kSingles.begin(), kSingles.end(), c) != kSingles.end()) return true;
  return (c >= 0x09 && c <= 0x0D) || (c >= 0x2000 && c <= 0x200A);
}

std::vector<std::string> SpreadCharacters(std::string_view text) {
  std::vector<std::string> characters;
  for (const std::string_view character : SplitChars(text)) {
    const char32_t code = CodePoint(character);
    if (IsWordSeparator(code)) continue;
    if (code < 0x20 || code == 0x7F) continue;  // line breaks and other controls of a copied text
    characters.emplace_back(character);
  }
  return characters;
}

bool IsInputBox(const PageLayout& page, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < Count(page) && Box(page, index).role == BoxRole::Input;
}

bool IsSingleBox(const PageLayout& page, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < Count(page) && Box(page, index).max_length == 1;
}

int PreviousInputBox(const PageLayout& page, int index) {
  for (int i = index - 1; i >= 0; --i) {
    if (IsInputBox(page, i)) return i;
  }
  return -1;
}

int NextInputBox(const PageLayout& page, int index) {
  for (int i = index + 1; i < static_cast<int>(Count(page)); ++i) {
    if (IsInputBox(page, i)) return i;
  }
  return -1;
}

int NextBoxOfPress(const PageLayout& page, int index) {
  const int next = NextInputBox(page, index);
  if (next < 0 || EnterButton(page, next) != EnterButton(page, index)) return -1;
  return next;
}

int RowNeighbour(const PageLayout& page, int index, int step) {
  const BoxSpec& from = Box(page, index);
  // The nearest row in that direction that holds an input box.
  int row_y = step < 0 ? INT_MIN : INT_MAX;
  bool found = false;
  for (int i = 0; i < static_cast<int>(Count(page)); ++i) {
    if (!IsInputBox(page, i)) continue;
    const int y = Box(page, i).y;
    if (step < 0 ? (y < from.y && y > row_y) : (y > from.y && y < row_y)) {
      row_y = y;
      found = true;
    }
  }
  if (!found) return -1;
  const int middle = from.x + from.width / 2;
  int best = -1;
  int best_distance = INT_MAX;
  for (int i = 0; i < static_cast<int>(Count(page)); ++i) {
    const BoxSpec& spec = Box(page, i);
    if (!IsInputBox(page, i) || spec.y != row_y) continue;
    const int distance = std::abs(spec.x + spec.width / 2 - middle);
    if (distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}

std::string EnterButton(const PageLayout& page, int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < Count(page) && !Box(page, index).enter_button.empty()) {
    return Box(page, index).enter_button;
  }
  return page.buttons.empty() ? std::string() : page.buttons.front().name;
}

PastePlan PlanPaste(const PageLayout& page, int index, std::string_view text) {
  PastePlan plan;
  if (!IsInputBox(page, index)) return plan;
  if (!IsSingleBox(page, index)) {
    plan.plain = true;
    return plan;
  }
  int last = -1;
  for (std::string& character : SpreadCharacters(text)) {
    if (index < 0 || !IsSingleBox(page, index)) break;  // past the last box, or into a wider box: the rest is dropped
    plan.writes.push_back({index, std::move(character)});
    last = index;
    index = NextBoxOfPress(page, index);
  }
  if (last >= 0) plan.focus = NextBoxOfPress(page, last) >= 0 ? NextBoxOfPress(page, last) : last;
  return plan;
}

}  // namespace ostrolen

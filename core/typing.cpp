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
  if (!PasteSpreads(page, index)) {
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

namespace {

// The length of a UTF-8 text in UTF-16 units, as the toolkits count a caret.
int Utf16Length(std::string_view text) {
  int units = 0;
  for (const std::string_view character : SplitChars(text)) units += character.size() == 4 ? 2 : 1;
  return units;
}

// Arrows and Backspace with Shift, Ctrl, Alt or Meta select or jump by words
// inside a box, as usual.
bool Plain(const Key& key) { return !(key.shift || key.ctrl || key.alt || key.meta); }

KeyAction Focus(int box, Caret caret) {
  KeyAction action;
  action.kind = KeyAction::Kind::Focus;
  action.box = box;
  action.caret = caret;
  return action;
}

KeyAction Write(int box, std::string text) {
  KeyAction action;
  action.kind = KeyAction::Kind::Write;
  action.box = box;
  action.text = std::move(text);
  return action;
}

KeyAction Forget() {
  KeyAction action;
  action.kind = KeyAction::Kind::Forget;
  return action;
}

KeyOutcome Handled(std::vector<KeyAction> actions = {}) { return {true, std::move(actions)}; }

}  // namespace

KeyOutcome KeyInBox(const PageLayout& page, int index, const BoxState& state, const Key& key) {
  if (index < 0 || static_cast<std::size_t>(index) >= Count(page)) return {};
  if (key.code == Key::Code::Enter) {
    KeyAction press;
    press.kind = KeyAction::Kind::Press;
    press.button = EnterButton(page, index);
    if (press.button.empty()) return Handled();
    return Handled({press});
  }
  if (!IsInputBox(page, index)) return {};
  const bool single = IsSingleBox(page, index);
  const int length = Utf16Length(state.text);
  switch (key.code) {
    case Key::Code::Paste: {
      if (!PasteSpreads(page, index)) return {};
      const PastePlan plan = PlanPaste(page, index, key.text);
      KeyOutcome outcome = Handled();
      for (const PastePlan::Write& write : plan.writes) outcome.actions.push_back(Write(write.box, write.text));
      if (!plan.writes.empty()) outcome.actions.push_back(Forget());
      if (plan.focus >= 0) outcome.actions.push_back(Focus(plan.focus, Caret::All));
      return outcome;
    }
    case Key::Code::Backspace: {
      if (!Plain(key)) return {};
      if (!state.text.empty()) {
        if (!single) return {};
        return Handled({Write(index, ""), Forget()});
      }
      const int previous = PreviousInputBox(page, index);
      if (previous < 0) return Handled();
      KeyOutcome outcome = Handled({Focus(previous, Caret::End)});
      // A one-character box is emptied; a wider one loses its last character.
      if (IsSingleBox(page, previous)) {
        outcome.actions.push_back(Write(previous, ""));
      } else {
        KeyAction erase;
        erase.kind = KeyAction::Kind::EraseLast;
        erase.box = previous;
        outcome.actions.push_back(erase);
      }
      outcome.actions.push_back(Forget());
      return outcome;
    }
    case Key::Code::Left: {
      if (!Plain(key) || (!single && (state.caret > 0 || state.selection))) return {};
      const int previous = PreviousInputBox(page, index);
      if (previous < 0) return Handled();
      return Handled({Focus(previous, IsSingleBox(page, previous) ? Caret::All : Caret::End)});
    }
    case Key::Code::Right: {
      if (!Plain(key) || (!single && (state.caret < length || state.selection))) return {};
      const int next = NextInputBox(page, index);
      if (next < 0) return Handled();
      return Handled({Focus(next, IsSingleBox(page, next) ? Caret::All : Caret::Start)});
    }
    case Key::Code::Up:
    case Key::Code::Down: {
      if (!Plain(key)) return {};
      const int other = RowNeighbour(page, index, key.code == Key::Code::Up ? -1 : 1);
      if (other < 0) return Handled();
      return Handled({Focus(other, Caret::All)});
    }
    default: break;
  }
  if (!single || !Typed(key)) return {};
  // The character fills an empty box (or replaces its selected one); a full
  // box keeps its character. Either way the next box is ready for the next.
  KeyOutcome outcome = Handled();
  if (state.text.empty() || state.selection) {
    outcome.actions.push_back(Write(index, key.text));
    outcome.actions.push_back(Forget());
  }
  if (const int next = NextBoxOfPress(page, index); next >= 0) outcome.actions.push_back(Focus(next, Caret::All));
  return outcome;
}

bool PasteSpreads(const PageLayout& page, int index) { return IsInputBox(page, index) && IsSingleBox(page, index); }

bool ClickSelectsAll(const PageLayout& page, int index, bool selection) {
  return IsInputBox(page, index) && IsSingleBox(page, index) && !selection;
}

std::vector<std::string> TabOrder(const PageLayout& page) {
  std::vector<std::string> order;
  for (int i = 0; i < static_cast<int>(Count(page)); ++i) {
    if (IsInputBox(page, i)) order.push_back(Box(page, i).name);
  }
  for (const ButtonSpec& button : page.buttons) order.push_back(button.name);
  for (const ListSpec& list : page.lists) order.push_back(list.name);
  return order;
}

bool Typed(const Key& key) {
  if (key.code != Key::Code::Character || key.ctrl || key.alt || key.meta) return false;
  const std::vector<std::string_view> characters = SplitChars(key.text);
  if (characters.size() != 1) return false;
  const char32_t code = CodePoint(characters.front());
  return code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0) && code != 0x2028 && code != 0x2029;
}

}  // namespace ostrolen

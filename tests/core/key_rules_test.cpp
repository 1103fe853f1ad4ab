// What each key does in each box of every page: the rules both the window
// and the browser page carry out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/typing.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

using Code = Key::Code;
using Kind = KeyAction::Kind;

Key Press(Code code, std::string text = {}, bool shift = false, bool ctrl = false) {
  Key key;
  key.code = code;
  key.text = std::move(text);
  key.shift = shift;
  key.ctrl = ctrl;
  return key;
}

std::vector<Kind> Kinds(const KeyOutcome& outcome) {
  std::vector<Kind> kinds;
  for (const KeyAction& action : outcome.actions) kinds.push_back(action.kind);
  return kinds;
}

const KeyAction* Find(const KeyOutcome& outcome, Kind kind) {
  for (const KeyAction& action : outcome.actions) {
    if (action.kind == kind) return &action;
  }
  return nullptr;
}

// Every box of every page, every key, empty and full, caret at either end.
TEST(KeyRules, SweepOverEveryBoxOfEveryPage) {
  const std::vector<Key> keys = {Press(Code::Character, "7"),
                                 Press(Code::Character, "7", false, true),
                                 Press(Code::Enter),
                                 Press(Code::Backspace),
                                 Press(Code::Backspace, {}, true),
                                 Press(Code::Left),
                                 Press(Code::Right),
                                 Press(Code::Up),
                                 Press(Code::Down),
                                 Press(Code::Left, {}, true),
                                 Press(Code::Paste, "0075 003F"),
                                 Press(Code::Other)};
  for (const PageLayout* page : AllPages()) {
    for (int i = 0; i < static_cast<int>(page->boxes.size()); ++i) {
      const BoxSpec& spec = page->boxes[static_cast<std::size_t>(i)];
      for (const std::string text : {"", "5"}) {
        for (const int caret : {0, static_cast<int>(text.size())}) {
          for (const Key& key : keys) {
            SCOPED_TRACE(spec.name + " text '" + text + "' caret " + std::to_string(caret) + " key " +
                         std::to_string(static_cast<int>(key.code)));
            const KeyOutcome outcome = KeyInBox(*page, i, {text, caret, false}, key);
            // Enter presses the box's button wherever it is; nothing else touches a box that is not typed into.
            if (key.code == Code::Enter) {
              ASSERT_TRUE(outcome.handled);
              ASSERT_EQ(Kinds(outcome), std::vector<Kind>{Kind::Press});
              EXPECT_EQ(outcome.actions[0].button, EnterButton(*page, i));
              continue;
            }
            if (spec.role != BoxRole::Input) {
              EXPECT_FALSE(outcome.handled);
              continue;
            }
            for (const KeyAction& action : outcome.actions) {
              if (action.kind == Kind::Press || action.kind == Kind::Forget) continue;
              EXPECT_TRUE(IsInputBox(*page, action.box)) << action.box;
              if (action.kind == Kind::Write) EXPECT_LE(action.text.size(), 4U);
            }
            // A change of a box always lets the chosen line go; a move alone never does.
            const bool writes = Find(outcome, Kind::Write) != nullptr || Find(outcome, Kind::EraseLast) != nullptr;
            EXPECT_EQ(writes, Find(outcome, Kind::Forget) != nullptr);
            const bool single = spec.max_length == 1;
            switch (key.code) {
              case Code::Character:
                EXPECT_EQ(outcome.handled, single && !key.ctrl);
                if (outcome.handled) {
                  EXPECT_EQ(Find(outcome, Kind::Write) != nullptr, text.empty());
                  const KeyAction* focus = Find(outcome, Kind::Focus);
                  EXPECT_EQ(focus != nullptr, NextBoxOfPress(*page, i) >= 0);
                  if (focus != nullptr) EXPECT_EQ(focus->box, NextBoxOfPress(*page, i));
                }
                break;
              case Code::Backspace:
                if (key.shift) {
                  EXPECT_FALSE(outcome.handled);
                } else if (!text.empty()) {
                  EXPECT_EQ(outcome.handled, single);
                  if (single) EXPECT_EQ(Kinds(outcome), (std::vector<Kind>{Kind::Write, Kind::Forget}));
                } else {
                  EXPECT_TRUE(outcome.handled);
                  const int previous = PreviousInputBox(*page, i);
                  EXPECT_EQ(Find(outcome, Kind::Focus) != nullptr, previous >= 0);
                  if (previous >= 0) {
                    EXPECT_EQ(Find(outcome, Kind::Focus)->caret, Caret::End);
                    EXPECT_EQ(Find(outcome, IsSingleBox(*page, previous) ? Kind::Write : Kind::EraseLast)->box,
                              previous);
                  }
                }
                break;
              case Code::Left:
              case Code::Right: {
                const bool left = key.code == Code::Left;
                const bool inside = !single && (left ? caret > 0 : caret < static_cast<int>(text.size()));
                EXPECT_EQ(outcome.handled, !key.shift && !inside);
                const int to = left ? PreviousInputBox(*page, i) : NextInputBox(*page, i);
                if (outcome.handled && to >= 0) {
                  ASSERT_EQ(Kinds(outcome), std::vector<Kind>{Kind::Focus});
                  EXPECT_EQ(outcome.actions[0].box, to);
                  EXPECT_EQ(outcome.actions[0].caret,
                            IsSingleBox(*page, to) ? Caret::All : (left ? Caret::End : Caret::Start));
                }
                break;
              }
              case Code::Up:
              case Code::Down: {
                EXPECT_TRUE(outcome.handled);
                const int to = RowNeighbour(*page, i, key.code == Code::Up ? -1 : 1);
                EXPECT_EQ(outcome.actions.empty(), to < 0);
                if (to >= 0) EXPECT_EQ(outcome.actions[0].box, to);
                break;
              }
              case Code::Paste: EXPECT_EQ(outcome.handled, single); break;
              default: EXPECT_FALSE(outcome.handled); break;
            }
          }
        }
      }
    }
  }
}

// The converter's first word: typing runs on, a full box keeps its character.
TEST(KeyRules, TypingAWordRunsThroughTheBoxesOfOnePress) {
  const PageLayout& page = ConverterPage();
  int box = 0;
  while (!IsInputBox(page, box)) ++box;
  KeyOutcome typed = KeyInBox(page, box, {"", 0, false}, Press(Code::Character, "3"));
  ASSERT_TRUE(typed.handled);
  EXPECT_EQ(typed.actions[0].text, "3");
  KeyOutcome full = KeyInBox(page, box, {"3", 1, false}, Press(Code::Character, "4"));
  EXPECT_EQ(Find(full, Kind::Write), nullptr);
  KeyOutcome replaced = KeyInBox(page, box, {"3", 0, true}, Press(Code::Character, "4"));
  ASSERT_NE(Find(replaced, Kind::Write), nullptr);
  EXPECT_EQ(Find(replaced, Kind::Write)->text, "4");
  // Control characters and Alt are not typed.
  EXPECT_FALSE(KeyInBox(page, box, {"", 0, false}, Press(Code::Character, "\t")).handled);
  Key alt = Press(Code::Character, "3");
  alt.alt = true;
  EXPECT_FALSE(KeyInBox(page, box, {"", 0, false}, alt).handled);
  // A character beyond the first plane is one character.
  EXPECT_TRUE(KeyInBox(page, box, {"", 0, false}, Press(Code::Character, "😀")).handled);
}

TEST(KeyRules, TabRunsThroughInputBoxesThenButtonsThenTheList) {
  for (const PageLayout* page : AllPages()) {
    const std::vector<std::string> order = TabOrder(*page);
    std::size_t inputs = 0;
    for (int i = 0; i < static_cast<int>(page->boxes.size()); ++i) inputs += IsInputBox(*page, i) ? 1 : 0;
    ASSERT_EQ(order.size(), inputs + page->buttons.size() + page->lists.size()) << page->sheet;
    if (!page->lists.empty()) EXPECT_EQ(order.back(), page->lists.front().name);
    if (!page->buttons.empty()) EXPECT_EQ(order[inputs], page->buttons.front().name);
  }
}

}  // namespace
}  // namespace ostrolen

#include "core/typing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pages/pages.h"

namespace ostrolen {
namespace {

using Strings = std::vector<std::string>;

TEST(Typing, SpreadingTakesOnlyTheWordsCharacters) {
  EXPECT_EQ(SpreadCharacters(" 3-5,2;9:C./_\t\r\n"), Strings({"3", "5", "2", "9", "C"}));
  EXPECT_EQ(SpreadCharacters("0075\u00A0003F"), Strings({"0", "0", "7", "5", "0", "0", "3", "F"}));
  EXPECT_EQ(SpreadCharacters("2719В\u2003Е"), Strings({"2", "7", "1", "9", "В", "Е"}));
  EXPECT_EQ(SpreadCharacters("a\x7F\x01😀"), Strings({"a", "😀"}));
  // A stray byte is a character of its own, not a blank (0x85 and 0xA0 are blanks only as code points).
  EXPECT_EQ(SpreadCharacters("\x85\xA0"), Strings({"\x85", "\xA0"}));
  EXPECT_TRUE(SpreadCharacters(" - ").empty());
}

TEST(Typing, SeparatorsAreBlanksAndPunctuationBetweenGroups) {
  for (const char32_t c :
       {U' ', U'\t', U'\n', U'\r', U'\u00A0', U'\u2003', U'\u3000', U'-', U',', U';', U':', U'.', U'_', U'/'}) {
    EXPECT_TRUE(IsWordSeparator(c)) << static_cast<unsigned>(c);
  }
  for (const char32_t c : {U'0', U'F', U'f', U'В', U'+', U'$', U'\\', U'*'}) {
    EXPECT_FALSE(IsWordSeparator(c)) << static_cast<unsigned>(c);
  }
}

// Over every box of every page: the moves lead to input boxes of the same
// page, typing runs forward among the boxes of one button, and Enter
// presses a button of the page.
TEST(Typing, EveryPagesMovesStayAmongItsInputBoxes) {
  for (const PageLayout* page : AllPages()) {
    std::set<std::string> buttons;
    for (const ButtonSpec& button : page->buttons) buttons.insert(button.name);
    const int count = static_cast<int>(page->boxes.size());
    for (int i = 0; i < count; ++i) {
      SCOPED_TRACE(page->boxes[static_cast<std::size_t>(i)].name);
      EXPECT_TRUE(buttons.count(EnterButton(*page, i)) == 1);
      for (const int to : {PreviousInputBox(*page, i), NextInputBox(*page, i), NextBoxOfPress(*page, i),
                           RowNeighbour(*page, i, -1), RowNeighbour(*page, i, 1)}) {
        if (to >= 0) {
          EXPECT_TRUE(IsInputBox(*page, to));
        }
      }
      const int next = NextBoxOfPress(*page, i);
      if (next >= 0) {
        EXPECT_GT(next, i);
        EXPECT_EQ(EnterButton(*page, next), EnterButton(*page, i));
      }
      const int up = RowNeighbour(*page, i, -1);
      if (up >= 0) {
        EXPECT_LT(page->boxes[static_cast<std::size_t>(up)].y, page->boxes[static_cast<std::size_t>(i)].y);
      }
    }
  }
}

// A paste writes the chain of boxes that typing runs through, one character
// a box, and leaves the focus where typing the same characters would.
TEST(Typing, PastingFollowsTheTypingChain) {
  const std::string word = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
  for (const PageLayout* page : AllPages()) {
    for (int i = 0; i < static_cast<int>(page->boxes.size()); ++i) {
      SCOPED_TRACE(page->boxes[static_cast<std::size_t>(i)].name);
      for (const std::size_t length : {std::size_t{1}, std::size_t{3}, word.size()}) {
        const PastePlan plan = PlanPaste(*page, i, word.substr(0, length));
        if (!IsInputBox(*page, i)) {
          EXPECT_TRUE(plan.writes.empty() && !plan.plain && plan.focus < 0);
          continue;
        }
        if (!IsSingleBox(*page, i)) {
          EXPECT_TRUE(plan.plain && plan.writes.empty());
          continue;
        }
        int box = i;
        std::size_t k = 0;
        for (; k < plan.writes.size(); ++k) {
          ASSERT_EQ(plan.writes[k].box, box);
          EXPECT_EQ(plan.writes[k].text, word.substr(k, 1));
          const int next = NextBoxOfPress(*page, box);
          if (k + 1 < plan.writes.size()) box = next;
          ASSERT_TRUE(IsSingleBox(*page, box));
        }
        ASSERT_FALSE(plan.writes.empty());
        const int after = NextBoxOfPress(*page, plan.writes.back().box);
        // Either the word ran out, or the chain did.
        EXPECT_TRUE(plan.writes.size() == length || after < 0 || !IsSingleBox(*page, after));
        EXPECT_EQ(plan.focus, after >= 0 ? after : plan.writes.back().box);
      }
    }
  }
}

}  // namespace
}  // namespace ostrolen

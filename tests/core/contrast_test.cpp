// The frame's colours against each other: text must read at 4.5:1 on every
// face it stands on, and what tells focus, a selection or a lit box must
// stand out at 3:1 from what is around it.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "core/shell.h"

namespace ostrolen::shell {
namespace {

TEST(Contrast, TheRatioIsTheReadabilityRulesOne) {
  EXPECT_DOUBLE_EQ(ContrastRatio({0, 0, 0}, {0xFF, 0xFF, 0xFF}), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio({0xFF, 0xFF, 0xFF}, {0, 0, 0}), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kWindowFace, kWindowFace), 1.0);
  // Known figures: grey #777777 on white just fails 4.5, #767676 just passes.
  EXPECT_NEAR(ContrastRatio({0x77, 0x77, 0x77}, {0xFF, 0xFF, 0xFF}), 4.48, 0.01);
  EXPECT_NEAR(ContrastRatio({0x76, 0x76, 0x76}, {0xFF, 0xFF, 0xFF}), 4.54, 0.01);
  // The old look: the lit fill on the boxes, and Fusion's highlight.
  EXPECT_NEAR(ContrastRatio(kExplainColour, kBoxBackground), 1.02, 0.01);
  EXPECT_NEAR(ContrastRatio({0xFF, 0xFF, 0xFF}, {0x30, 0x8C, 0xC6}), 3.7, 0.05);
}

struct Pair {
  const char* what;
  Colour front;
  Colour back;
  double least;
};

// Every pair a look draws, text at 4.5:1 and what tells focus, a selection or
// a lit box at 3:1.
std::vector<Pair> PairsOf(const LookColours& c) {
  constexpr double kTextLeast = 4.5;
  constexpr double kIndicatorLeast = 3.0;
  // A caption's bold text counts as large.
  constexpr double kLargeTextLeast = 3.0;
  return {
      {"text on the window face", c.text, c.face, kTextLeast},
      {"text in a box or a list", c.text, c.box, kTextLeast},
      {"text of the selected line, in a lit box", c.text, c.explain, kTextLeast},
      {"selected text on the highlight", c.highlighted_text, c.highlight, kTextLeast},
      {"text in a menu, the search list or the table", c.text, c.menu, kTextLeast},
      {"a table's heading", c.text, c.heading, kTextLeast},
      {"the lit frame on the window face", c.explain_frame, c.face, kIndicatorLeast},
      {"the lit frame on a box or a list", c.explain_frame, c.box, kIndicatorLeast},
      {"the lit frame on the lit fill", c.explain_frame, c.explain, kIndicatorLeast},
      {"the focus frame on the window face", c.focus_frame, c.face, kIndicatorLeast},
      {"the focus frame on a box or a list", c.focus_frame, c.box, kIndicatorLeast},
      {"the focus frame on a menu or the table", c.focus_frame, c.menu, kIndicatorLeast},
      {"the highlight on a list", c.highlight, c.box, kIndicatorLeast},
      {"the highlight on the window face", c.highlight, c.face, kIndicatorLeast},
      {"the highlight on a menu or the table", c.highlight, c.menu, kIndicatorLeast},
      {"an unchanged line's mark on a list", c.same, c.box, kTextLeast},
      {"a changed line's mark and old value on a list", c.changed, c.box, kTextLeast},
      {"a new line's mark on a list", c.added, c.box, kTextLeast},
      {"a gone line on a list", c.gone, c.box, kTextLeast},
      {"a search line that is no match, on the list", c.quiet, c.menu, kTextLeast},
      {"a warning on the window face", c.warning, c.face, kTextLeast},
      {"a dialog's caption where it fades", c.highlighted_text, c.caption_end, kLargeTextLeast},
  };
}

TEST(Contrast, EveryPairOfBothLooksMeetsItsLeast) {
  for (const Look look : {Look::Light, Look::Dark}) {
    const char* name = look == Look::Dark ? "dark" : "light";
    for (const Pair& pair : PairsOf(ColoursOf(look))) {
      const double ratio = ContrastRatio(pair.front, pair.back);
      std::cout << name << ": " << pair.what << ": " << ColourText(pair.front) << " on " << ColourText(pair.back) << " "
                << ratio << ":1\n";
      EXPECT_GE(ratio, pair.least) << name << ": " << pair.what;
    }
  }
  // A saved report is a file, on white in either look.
  EXPECT_GE(ContrastRatio(kGoneColour, {0xFF, 0xFF, 0xFF}), 4.5);
  EXPECT_GE(kExplainFramePixels, 2);
  EXPECT_GE(kFocusFramePixels, 2);
}

// The light look is the window's look as it always was.
TEST(Contrast, TheLightLookIsTheWindowsOwn) {
  EXPECT_EQ(ColourText(kLightColours.face), ColourText(kWindowFace));
  EXPECT_EQ(ColourText(kLightColours.box), ColourText(kBoxBackground));
  EXPECT_EQ(ColourText(kLightColours.highlight), ColourText(kHighlight));
  EXPECT_EQ(&ColoursOf(Look::Light), &kLightColours);
  EXPECT_EQ(&ColoursOf(Look::Dark), &kDarkColours);
}

}  // namespace
}  // namespace ostrolen::shell

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

TEST(Contrast, EveryPairOfTheLookMeetsItsLeast) {
  constexpr double kTextLeast = 4.5;
  constexpr double kIndicatorLeast = 3.0;
  const std::vector<Pair> pairs = {
      {"text on the window face", kText, kWindowFace, kTextLeast},
      {"text in a box or a list", kText, kBoxBackground, kTextLeast},
      {"text of the selected line, in a lit box", kText, kExplainColour, kTextLeast},
      {"selected text on the highlight", kHighlightedText, kHighlight, kTextLeast},
      {"the lit frame on the window face", kExplainFrame, kWindowFace, kIndicatorLeast},
      {"the lit frame on a box or a list", kExplainFrame, kBoxBackground, kIndicatorLeast},
      {"the lit frame on the lit fill", kExplainFrame, kExplainColour, kIndicatorLeast},
      {"the focus frame on the window face", kFocusFrame, kWindowFace, kIndicatorLeast},
      {"the focus frame on a box or a list", kFocusFrame, kBoxBackground, kIndicatorLeast},
      {"the highlight on a list", kHighlight, kBoxBackground, kIndicatorLeast},
      {"the highlight on the window face", kHighlight, kWindowFace, kIndicatorLeast},
      {"an unchanged line's mark on a list", kSameColour, kBoxBackground, kTextLeast},
      {"a changed line's mark and old value on a list", kChangedColour, kBoxBackground, kTextLeast},
      {"a new line's mark on a list", kAddedColour, kBoxBackground, kTextLeast},
      {"a gone line on a list", kGoneColour, kBoxBackground, kTextLeast},
      {"a search line that is no match, on the list", kQuietText, {0xFF, 0xFF, 0xFF}, kTextLeast},
      {"a gone line in a saved report", kGoneColour, {0xFF, 0xFF, 0xFF}, kTextLeast},
  };
  for (const Pair& pair : pairs) {
    const double ratio = ContrastRatio(pair.front, pair.back);
    std::cout << pair.what << ": " << ColourText(pair.front) << " on " << ColourText(pair.back) << " " << ratio
              << ":1\n";
    EXPECT_GE(ratio, pair.least) << pair.what;
  }
  EXPECT_GE(kExplainFramePixels, 2);
  EXPECT_GE(kFocusFramePixels, 2);
}

}  // namespace
}  // namespace ostrolen::shell

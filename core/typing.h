// How the operator types into a page, apart from any widgets: which
// characters of a pasted word go into the boxes, the order in which typing
// runs through a page's boxes and where it stops, and which button Enter
// presses. The Qt window and the browser page both follow these rules.
// Boxes are named by their index in the page's `boxes` (input order).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/layout.h"

namespace ostrolen {

// Blanks and the separators a word may carry between its characters when it
// is pasted: "0075 003F", "0075-003F", "3 5 2 9 C".
bool IsWordSeparator(char32_t c);

// The characters of a pasted UTF-8 text that go into one-character boxes,
// one a box, in order: everything but blanks, separators and control
// characters (the line breaks of a copied text).
std::vector<std::string> SpreadCharacters(std::string_view text);

// A box the operator types into (not fixed, not written by every press).
bool IsInputBox(const PageLayout& page, int index);
// A box that takes one character.
bool IsSingleBox(const PageLayout& page, int index);

// The input box before or after `index` in input order; -1 when none.
int PreviousInputBox(const PageLayout& page, int index);
int NextInputBox(const PageLayout& page, int index);

// The next input box that Enter sends to the same button: typing and
// pasting stop at the end of the boxes one press reads, so that Enter then
// presses the button they belong to. -1 when none.
int NextBoxOfPress(const PageLayout& page, int index);

// The input box in the nearest row above (`step` -1) or below (+1) whose
// middle is closest to that of box `index`; -1 when none.
int RowNeighbour(const PageLayout& page, int index, int step);

// The button Enter presses from box `index`: its own, else the page's first.
std::string EnterButton(const PageLayout& page, int index);

// What a paste into box `index` does.
struct PastePlan {
  bool plain = false;  // a wider box: the text goes in as an ordinary paste does
  struct Write {
    int box;
    std::string text;
  };
  std::vector<Write> writes;  // one character a box, in order
  int focus = -1;             // the box that has the focus afterwards; -1: unchanged
};

// Spreads `text` over box `index` and the one-character input boxes after
// it that the same button reads, one character a box; what is left over is
// dropped. Focus moves on as if the text were typed.
PastePlan PlanPaste(const PageLayout& page, int index, std::string_view text);

}  // namespace ostrolen

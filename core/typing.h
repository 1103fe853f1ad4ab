// How the operator types into a page, apart from any widgets: which
// characters of a pasted word go into the boxes, the order in which typing
// runs through a page's boxes and where it stops, which button Enter
// presses, and what each key does in a box. The Qt window and the browser
// page translate their key events into a `Key` and carry out the actions
// these rules give; neither decides a key of its own.
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

// Where the caret goes in a box that gets the focus.
enum class Caret { All, Start, End };

// A key as the operator pressed it in a box, whatever toolkit saw it.
struct Key {
  enum class Code {
    Character,
    Enter,
    Backspace,
    Left,
    Right,
    Up,
    Down,
    Paste,
    Other,
    // Keys the page's boxes leave to the editing of a line, and the lists' keys.
    Tab,
    Delete,
    Home,
    End,
    PageUp,
    PageDown,
    Escape,
    Menu,  // the Menu key, or Shift+F10
  };
  Code code = Code::Other;
  std::string text;  // Character: the character typed (UTF-8); Paste: the clipboard's text
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool meta = false;
};

// The box as it stands when the key comes: its text, the caret (in UTF-16
// units, as both toolkits count it) and whether some text is selected.
struct BoxState {
  std::string text;
  int caret = 0;
  bool selection = false;
};

// One thing a key does to the page, in order.
struct KeyAction {
  enum class Kind {
    Write,      // box `box` now holds `text`
    EraseLast,  // box `box` loses its last character
    Focus,      // box `box` gets the focus, its caret at `caret`
    Press,      // button `button` is pressed, as a click on it
    Forget,     // a box changed: the chosen line of the page is let go and its boxes go out
  };
  Kind kind = Kind::Write;
  int box = -1;
  std::string text;
  Caret caret = Caret::All;
  std::string button;
  bool operator==(const KeyAction&) const = default;
};

struct KeyOutcome {
  bool handled = false;  // false: the toolkit does with the key what it always does
  std::vector<KeyAction> actions;
};

// A key that types into a box: a printable character without Ctrl, Alt or Meta.
bool Typed(const Key& key);

// What `key` does in box `index`: typing runs on through the boxes one
// press reads, Backspace and the arrows move between boxes, Enter presses
// the box's button, a paste spreads a word over one-character boxes.
KeyOutcome KeyInBox(const PageLayout& page, int index, const BoxState& state, const Key& key);

// A paste into box `index` spreads over the boxes (a one-character input
// box); any other box takes a paste as usual.
bool PasteSpreads(const PageLayout& page, int index);

// A click into a one-character input box selects its character, so that
// the next character typed replaces it.
bool ClickSelectsAll(const PageLayout& page, int index, bool selection);

// The order Tab runs in: the page's input boxes in typing order, then its
// buttons, then its result list (control names).
std::vector<std::string> TabOrder(const PageLayout& page);

}  // namespace ostrolen

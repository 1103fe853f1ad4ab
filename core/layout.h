// Page layouts as data: every page declares its boxes, labels, lists and
// buttons once, and the window, the command-line runner and the tests all
// walk the same declarations. Positions are pixels inside the page.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_word.h"
#include "core/window.h"

namespace ostrolen {

enum class Picture {
  None,
  ArrowDown,   // green arrow bending downwards
  ArrowUp,     // green arrow bending upwards
  ArrowRight,  // green arrow bending to the right, towards the result list
  Book,        // open book with a pen
  Disc,        // small green disc with a white arrow pointing right
};

enum class BoxRole {
  Input,   // typed by the operator (and possibly written by a press)
  Output,  // written by every press before it is read; typing has no effect
  Fixed,   // read-only, with a fixed text
};

struct BoxSpec {
  std::string name;
  int x = 0;
  int y = 0;
  int width = 25;
  int height = 32;
  int max_length = 1;
  BoxRole role = BoxRole::Input;
  std::string text;          // the fixed text of a read-only box
  std::string enter_button;  // the button Enter presses; empty: the page's first
  bool read_only() const { return role == BoxRole::Fixed; }
};

struct LabelSpec {
  std::string text;
  int x = 0;
  int y = 0;
  int pixel_size = 11;
  bool bold = false;
  int width = 0;  // 0: as wide as the text; otherwise the text is centred in it
};

struct ListSpec {
  std::string name;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int pixel_size = 13;
  int line_height = 16;
  bool bold = true;
};

struct ButtonSpec {
  std::string name;
  std::string caption;
  Picture picture = Picture::None;
  int x = 0;
  int y = 0;
  int width = 33;
  int height = 33;
  Handler handler = nullptr;  // none yet: the button does nothing
};

// A word a page decodes, for explaining its lines: the boxes of its
// positions and, where the page shows the word bit by bit, the rows of
// sixteen boxes (bit 1 first) that show its bits.
struct WordSpec {
  WordKind kind = WordKind::Code;
  std::vector<std::string> positions;
  std::vector<std::vector<std::string>> bit_rows;
};

// A group of boxes that the command line prints after a press.
struct ShownBoxes {
  std::string_view label;
  std::string_view boxes_of;  // the boxes Enter sends to this button
};

// What the command line (decode, compare, find, a page's address) calls a
// press of one of the page's buttons, with the words it takes.
struct PageCommand {
  std::string_view name;  // "sko"
  std::string_view button;
  std::string_view boxes_of;  // the boxes the words fill are those Enter sends to this button; empty: `button`
  int word_length = 0;        // characters of one word; 0: each word is the text of one box
  std::string_view words;     // the words, as the help names them
  std::string_view example;
  std::string_view what;
  std::vector<ShownBoxes> shown;  // the converter's boxes; empty: the page's result list
  bool explains = false;          // its lines know their bits (--explain)
};

struct ComposePage;  // pages/subscriber/compose.h
struct FaultPage;    // pages/faults/faults.h

struct PageLayout {
  std::string sheet;           // the tab sheet's control name
  std::string caption;         // the tab's caption
  std::vector<BoxSpec> boxes;  // in input order: row by row, left to right
  std::vector<LabelSpec> labels;
  std::vector<ListSpec> lists;  // the page's result list, if it has one
  std::vector<ButtonSpec> buttons;
  std::vector<WordSpec> words;           // word 0 first; empty on pages that decode no words
  std::vector<PageCommand> commands;     // in the order of the command line's help
  const ComposePage* compose = nullptr;  // a subscriber page: how its lines change its words
  const FaultPage* faults = nullptr;     // a fault page: its table and boxes

  const ListSpec* list() const { return lists.empty() ? nullptr : &lists.front(); }
};

// A tab of the page tree: either a leaf page or a nested tab set.
struct TabNode {
  std::string sheet;
  std::string caption;
  const PageLayout* page = nullptr;  // a leaf
  std::string control;               // a nested tab set's control name
  std::vector<TabNode> children;
  int initial = 0;  // the child selected at start
};

// The page with what the command line calls its buttons' presses.
PageLayout WithCommands(PageLayout page, std::vector<PageCommand> commands);

// "Edit" followed by the number.
std::string EditName(int number);

// Boxes named `names`, side by side from (x, y), `step` pixels apart, with a
// wider gap of `group_gap` after every `group` boxes (0: no groups).
std::vector<BoxSpec> BoxRow(const std::vector<std::string>& names, int x, int y, BoxRole role = BoxRole::Input,
                            int step = 27, int group = 0, int group_gap = 0);

// EditName(first) ... EditName(last).
std::vector<std::string> EditRange(int first, int last);

// Labels side by side, one per text, centred over boxes laid as BoxRow lays them.
std::vector<LabelSpec> LabelRow(const std::vector<std::string>& texts, int x, int y, int pixel_size, bool bold,
                                int step = 27, int group = 0, int group_gap = 0);

// The largest digit of each code word position, as the labels over the boxes show them.
std::vector<std::string> MaxDigitLabels();

// Appends `more` to `to`.
template <typename T>
void Append(std::vector<T>& to, const std::vector<T>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

// The number of a box's name ("Edit12" is 12; 0 for none), for listing boxes in number order.
long BoxNumber(std::string_view name);

}  // namespace ostrolen

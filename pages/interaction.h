// What the operator does with a page's result lines, apart from any widgets:
// a chosen line lights the boxes its bits are in and names them in its
// tooltip; a line of a subscriber field offers to change it (a switch of two
// values, a menu of its values, the editor of a number, the page's forms);
// a change writes the new words into the boxes and is kept for Ctrl+Z; and
// copying a list gives one text. The Qt window and the browser page only
// draw what these give.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/explain.h"
#include "core/layout.h"
#include "core/window.h"
#include "pages/subscriber/compose.h"

namespace ostrolen {

// The format of each word the page decodes, word 0 first.
std::vector<WordKind> WordKinds(const PageLayout& page);

// The tooltip of a line: the bits it comes from, in words; empty for a line
// that depends on no bit.
std::string LineTip(const PageLayout& page, const LineOrigin& origin);

// The boxes lit while `chosen` are the chosen lines of the page's list (a
// line without bits as nullptr): those of the one chosen line, none when
// more or fewer are chosen.
std::vector<std::string> LitBoxes(const PageLayout& page, std::span<const LineOrigin* const> chosen);

// What a screen reader adds to a box lit by the selected line `line`, so
// that the lighting is not told by its colour alone.
std::string LitBoxDescription(std::string_view line);

// The text a copy of a list gives: its chosen lines in list order, or all
// its lines when none is chosen, joined by "\n".
std::string CopiedText(const std::vector<std::string>& lines, const std::vector<bool>& chosen);

// One value of a field as a menu item: its text as the line shows it, and
// whether the words hold it now.
struct OfferedValue {
  std::string text;
  std::uint32_t value = 0;
  bool current = false;
};

// The editor of a number: its caption, the label with the range, the value now.
struct NumberEditor {
  std::string caption;
  std::string label;
  std::string value;
};

// What a line of a subscriber field offers besides copying.
struct LineOffer {
  const ComposePage* page = nullptr;
  const AhField* field = nullptr;
  int line_field = -1;  // the field index the line shows, to choose the line again after a change
  std::vector<std::uint16_t> words;
  std::vector<OfferedValue> values;     // a field of named values
  std::optional<std::uint32_t> toggle;  // two values: the other one
  std::optional<NumberEditor> number;   // a number
  const AhField* form = nullptr;        // a page of two forms: its form selector
  std::vector<OfferedValue> forms;
};

// What line `line_field` (its LineOrigin's field) of `list` offers with the
// boxes as they are now: nothing on a page that composes no words, for a
// line that shows no settable field, or when the boxes hold no word to change.
std::optional<LineOffer> OfferOfLine(const Window& window, std::string_view list, int line_field);

// What a double click or Enter on a line does.
enum class Activation {
  None,        // the line offers nothing
  Toggle,      // a two-valued field switches to `toggle`
  EditNumber,  // a number opens its editor
  OpenMenu,    // any other field shows its menu
};
Activation ActivationOf(const std::optional<LineOffer>& offer);

// Whether the number editor takes `text` (as the line shows a value, or as bits).
std::optional<std::uint32_t> EditedNumber(const LineOffer& offer, std::string_view text);

// A change made from a line: the box texts before it, the button that
// decodes the page again, and the line to choose again afterwards.
struct LineChange {
  std::vector<std::pair<std::string, std::string>> before;
  std::string button;
  int line_field = -1;
};

// Sets `field` (a line's own, or the page's form selector) to `value` in the
// words on `page`'s boxes and writes them into the boxes. The line chosen
// again afterwards is the field's own, or for the form the line `from` it
// was changed from. The caller presses `button` and chooses the line.
// Nothing when the boxes hold no word to change.
std::optional<LineChange> ApplyToLine(Window& window, const ComposePage& page, const AhField& field,
                                      std::uint32_t value, int from = -1);

// The changes of one page, last first; Ctrl+Z takes back the last.
class ChangeHistory {
 public:
  void Add(LineChange change) { changes_.push_back(std::move(change)); }
  bool Empty() const { return changes_.empty(); }
  // Writes the boxes back as they were before the last change and gives it
  // (the caller presses its button and chooses its line); nothing when there
  // is nothing to take back.
  std::optional<LineChange> Undo(Window& window);

 private:
  std::vector<LineChange> changes_;
};

// The line of `field` among `origins` (a list's lines in order); -1 when none shows it.
int LineOfField(std::span<const LineOrigin* const> origins, int field);

}  // namespace ostrolen

// Composing subscriber data words from their fields: the values a field
// takes, read and written as its line shows them, and setting a field in the
// words with every bit outside it kept. The window's line editing and
// `ostrolen-cli encode` both work through these.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"
#include "pages/subscriber/fields.h"
#include "pages/subscriber/subscriber.h"

namespace ostrolen {

// A subscriber page as composing sees it: its fields, boxes and button.
struct ComposePage {
  const AhFieldPage* fields = nullptr;
  AhPageControls controls;
  std::string_view button;
};

// The pages of the registry that compose words, in tab order.
const std::vector<std::reference_wrapper<const ComposePage>>& ComposePages();
const ComposePage* FindComposePage(std::string_view name);  // "sko"
// The example words of the page's command.
std::string_view ComposeExample(const ComposePage& page);

// The fields that can be set, in line order; on the first stage the form
// selector comes first. A presence line that only sums up others ("Ограничений
// нет") is not one of them.
std::vector<const AhField*> SettableFields(const AhFieldPage& page);

// The form selector of a page that has one, as a field of its own.
const AhField* FormField(const AhFieldPage& page);

// Two or more named values (a table, a service state, a presence line), or
// a number from 0 to FieldMax.
bool IsNumeric(const AhField& field);
std::uint32_t FieldMax(const AhField& field);

// A named value: its text as the line shows it; an empty text is written as
// the value's bits ("0b1000").
struct FieldChoice {
  std::string text;
  std::uint32_t value = 0;
};
std::vector<FieldChoice> Choices(const AhField& field);

// The value as the line shows it (a number in the line's own notation).
std::string ValueText(const AhField& field, std::uint32_t value);
// The value's bits, "0b0101".
std::string BitsText(const AhField& field, std::uint32_t value);

// A value typed as its line shows it, or as its bits ("0b0101"); nothing
// when the text names no value the field's bits can hold.
std::optional<std::uint32_t> ParseFieldValue(const AhField& field, std::string_view text);

// The field's value in `words` (word 0 first).
std::uint32_t GetField(const AhField& field, std::span<const std::uint16_t> words);

// Sets the field to `value` (at most FieldMax). A field of the other form
// switches the form first, and that form's bits start at zero.
void SetField(const AhFieldPage& page, const AhField& field, std::span<std::uint16_t> words, std::uint32_t value);

// The field a form's fields belong to is shown only when the selector
// chooses that form.
bool FieldShown(const AhFieldPage& page, const AhField& field, std::span<const std::uint16_t> words);

// The page's words from its boxes; nothing when a box is not a digit, or
// (on the four-word pages) a position is over its largest digit: then there
// is no word to change.
std::optional<std::vector<std::uint16_t>> WordsOnPage(const Window& window, const ComposePage& page);

// The five position digits of a word, as the console takes them.
std::array<std::string, 5> CodeWordDigits(std::uint16_t word);

// Writes the words into the page's boxes, one digit a box, upper case.
void WriteWords(Window& window, const ComposePage& page, std::span<const std::uint16_t> words);

}  // namespace ostrolen

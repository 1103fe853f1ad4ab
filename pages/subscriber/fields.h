// The fields of the subscriber data words, declared once: for every line a
// page shows, the word and bits it comes from, its label and how the value
// is shown. One walker turns a page's declarations into its lines, reading
// the boxes in the page's own order; the same declarations explain a line's
// bits and compose a word from its fields.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"

namespace ostrolen {

// How a field's value is shown on its line.
enum class Shown : std::uint8_t {
  Texts,         // the label, then the value's text from `texts`
  Decimal,       // the label, then the value in decimal
  HexDigit,      // the label, then the value as one hexadecimal digit
  CodeWord,      // the label, then the value as the five digits of a code word
  ReversedHex,   // the label, then the word's four hexadecimal digits, last first
  ServiceState,  // the label, then "включена" or "выключена"
  Present,       // the label alone, when the bit is 1 (a restriction)
  NoneSet,       // the label alone, when every bit is 0 ("Ограничений нет")
  Blank,         // an empty line; no bits
};

struct AhField {
  BitRange bits;
  std::string_view label;
  Shown shown = Shown::Decimal;
  std::span<const std::string_view> texts = {};  // Shown::Texts: one per value
  std::string_view name = {};                    // when the label does not name the field
};

// When a form's boxes are read, relative to its lines.
enum class ReadOrder : std::uint8_t {
  LineByLine,   // the list is cleared, then each field is read as its line is made
  ValuesFirst,  // every field is read before the list is cleared
  WordsAfter,   // line by line for `read_after` fields, then the form's words are read whole
};

struct AhForm {
  std::span<const AhField> fields;
  ReadOrder read = ReadOrder::LineByLine;
  std::size_t read_after = 0;
};

enum class PositionCheck : std::uint8_t {
  Warn,   // each failed check is reported and the decode goes on
  Count,  // the failed checks of the block are counted; any stops the decode
};

struct AhFieldPage {
  std::string_view name;  // as the command line names the page
  std::size_t words = 1;
  PositionCheck check = PositionCheck::Warn;
  std::string_view count_label;      // PositionCheck::Count: the line shown with the count
  std::optional<BitRange> selector;  // a bit that chooses between two forms
  const AhField* form = nullptr;     // the selector as a field, for composing
  std::array<AhForm, 2> forms;       // forms[1] only with a selector
  // Every field once, form by form in line order; a line's LineOrigin::field
  // indexes this.
  std::vector<const AhField*> fields = {};
};

const AhFieldPage& FirstStageFields();
const AhFieldPage& SecondStageFields();
const AhFieldPage& ThirdStageFields();
const AhFieldPage& SkoFields();
const AhFieldPage& RkoFields();

// The field's name: its own, else its label without trailing blanks and "=".
std::string FieldName(const AhField& field);

// The positions of words as the boxes hold them after filling.
using CodeWordTexts = std::array<std::string, 5>;

// The twelve position checks of a four-word block, word by word, p1, p2,
// p3 of each; every failure is reported at once. Returns the count.
int CheckFourWordBlock(std::span<const CodeWordTexts> block, const ReportSink& report);

// The whole decode of a page's words.
DecodeResult DecodeAhPage(const AhFieldPage& page, std::span<const CodeWordTexts> words);

// The line a field shows for `value`; nothing when a presence line is absent.
std::optional<std::string> FieldLine(const AhField& field, std::uint32_t value);

}  // namespace ostrolen

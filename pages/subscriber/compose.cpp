#include "pages/subscriber/compose.h"

#include <algorithm>

#include "core/layout.h"
#include "core/utf8.h"
#include "pages/pages.h"
#include "pages/subscriber/attributes.h"

namespace ostrolen {
namespace {

// The two values of a presence line: the restriction is off or on.
constexpr std::array<std::string_view, 2> kPresence = {"нет", "есть"};

std::uint32_t Mask(const AhField& field) { return FieldMax(field) << static_cast<unsigned>(16 - field.bits.last); }

// The form (0 or 1) whose fields include `field`; -1 for a field of every form.
int FormOf(const AhFieldPage& page, const AhField& field) {
  if (!page.selector) return -1;
  for (std::size_t f = 0; f < page.forms.size(); ++f) {
    for (const AhField& candidate : page.forms[f].fields) {
      if (&candidate == &field) return static_cast<int>(f);
    }
  }
  return -1;
}

void SetBits(const BitRange& range, std::span<std::uint16_t> words, std::uint32_t value) {
  const auto w = static_cast<std::size_t>(range.word);
  if (w >= words.size() || range.width() <= 0) return;
  const std::uint16_t mask = range.mask();
  const auto shifted = static_cast<std::uint16_t>(value << static_cast<unsigned>(16 - range.last));
  words[w] = static_cast<std::uint16_t>((words[w] & ~mask) | (shifted & mask));
}

// Switches the page to form `form`; the form's bits start at zero.
void SwitchForm(const AhFieldPage& page, std::span<std::uint16_t> words, std::uint32_t form) {
  if (!page.selector || GetField(*page.form, words) == form) return;
  for (const AhField& field : page.forms[form & 1U].fields) SetBits(field.bits, words, 0);
  SetBits(*page.selector, words, form);
}

std::optional<std::uint32_t> ParseBinary(std::string_view digits, std::uint32_t max) {
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : digits) {
    if (c != '0' && c != '1') return std::nullopt;
    value = value * 2 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

std::optional<std::uint32_t> ParseNumber(const AhField& field, std::string_view text) {
  const std::uint32_t max = FieldMax(field);
  std::uint32_t value = 0;
  switch (field.shown) {
    case Shown::Decimal:
      if (text.empty() || text.size() > 5) return std::nullopt;
      for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
      }
      break;
    case Shown::HexDigit: {
      if (text.size() != 1 || HexDigitValue(text[0]) < 0) return std::nullopt;
      value = static_cast<std::uint32_t>(HexDigitValue(text[0]));
      break;
    }
    case Shown::CodeWord: {
      // Five positions, each within its largest digit.
      if (text.size() != kCodeWordPositions.size()) return std::nullopt;
      for (std::size_t p = 0; p < text.size(); ++p) {
        const int digit = HexDigitValue(text[p]);
        if (digit < 0 || digit > kCodeWordPositions[p].max) return std::nullopt;
        value |= kCodeWordPositions[p].Place(static_cast<std::uint32_t>(digit));
      }
      break;
    }
    case Shown::ReversedHex:
      // Shown from the last hexadecimal digit to the first.
      if (text.size() != 4) return std::nullopt;
      for (std::size_t k = 0; k < 4; ++k) {
        const int digit = HexDigitValue(text[k]);
        if (digit < 0) return std::nullopt;
        value |= static_cast<std::uint32_t>(digit) << (4 * k);
      }
      break;
    default: return std::nullopt;
  }
  if (value > max) return std::nullopt;
  return value;
}

}  // namespace

const std::vector<std::reference_wrapper<const ComposePage>>& ComposePages() {
  static const std::vector<std::reference_wrapper<const ComposePage>> pages = [] {
    std::vector<std::reference_wrapper<const ComposePage>> found;
    for (const PageLayout* page : AllPages()) {
      if (page->compose != nullptr) found.emplace_back(*page->compose);
    }
    return found;
  }();
  return pages;
}

const ComposePage* FindComposePage(std::string_view name) {
  for (const ComposePage& page : ComposePages()) {
    if (page.fields->name == name) return &page;
  }
  return nullptr;
}

std::string_view ComposeExample(const ComposePage& page) {
  for (const PageLayout* layout : AllPages()) {
    if (layout->compose != &page) continue;
    for (const PageCommand& command : layout->commands) {
      if (command.name == page.fields->name) return command.example;
    }
  }
  return {};
}

std::vector<const AhField*> SettableFields(const AhFieldPage& page) {
  std::vector<const AhField*> fields;
  if (page.form != nullptr) fields.push_back(page.form);
  for (const AhField* field : page.fields) {
    if (field->shown != Shown::Blank && field->shown != Shown::NoneSet) fields.push_back(field);
  }
  return fields;
}

const AhField* FormField(const AhFieldPage& page) { return page.form; }

bool IsNumeric(const AhField& field) {
  switch (field.shown) {
    case Shown::Decimal:
    case Shown::HexDigit:
    case Shown::CodeWord:
    case Shown::ReversedHex: return true;
    default: return false;
  }
}

std::uint32_t FieldMax(const AhField& field) {
  if (field.bits.width() <= 0) return 0;
  return (1U << static_cast<unsigned>(field.bits.width())) - 1U;
}

std::string BitsText(const AhField& field, std::uint32_t value) {
  std::string text = "0b";
  for (int k = field.bits.width(); k-- > 0;) text += ((value >> static_cast<unsigned>(k)) & 1U) != 0 ? '1' : '0';
  return text;
}

std::vector<FieldChoice> Choices(const AhField& field) {
  std::vector<FieldChoice> choices;
  if (IsNumeric(field) || field.bits.width() <= 0) return choices;
  for (std::uint32_t value = 0; value <= FieldMax(field); ++value) choices.push_back({ValueText(field, value), value});
  return choices;
}

std::string ValueText(const AhField& field, std::uint32_t value) {
  std::string_view text;
  switch (field.shown) {
    case Shown::Texts: text = value < field.texts.size() ? field.texts[value] : std::string_view{}; break;
    case Shown::ServiceState: text = ServiceStateTexts()[value & 1U]; break;
    case Shown::Present: text = kPresence[value & 1U]; break;
    case Shown::NoneSet:
    case Shown::Blank: break;
    default: {
      const std::optional<std::string> line = FieldLine(field, value);
      return line ? line->substr(field.label.size()) : std::string();
    }
  }
  return text.empty() ? BitsText(field, value) : std::string(text);
}

std::optional<std::uint32_t> ParseFieldValue(const AhField& field, std::string_view text) {
  if (text.starts_with("0b")) return ParseBinary(text.substr(2), FieldMax(field));
  if (IsNumeric(field)) return ParseNumber(field, text);
  for (const FieldChoice& choice : Choices(field)) {
    if (choice.text == text) return choice.value;
  }
  return std::nullopt;
}

std::uint32_t GetField(const AhField& field, std::span<const std::uint16_t> words) {
  const auto w = static_cast<std::size_t>(field.bits.word);
  if (w >= words.size() || field.bits.width() <= 0) return 0;
  return (static_cast<std::uint32_t>(words[w]) & Mask(field)) >> static_cast<unsigned>(16 - field.bits.last);
}

void SetField(const AhFieldPage& page, const AhField& field, std::span<std::uint16_t> words, std::uint32_t value) {
  if (&field == page.form) {
    SwitchForm(page, words, value & 1U);
    return;
  }
  const int form = FormOf(page, field);
  if (form >= 0) SwitchForm(page, words, static_cast<std::uint32_t>(form));
  SetBits(field.bits, words, std::min(value, FieldMax(field)));
}

bool FieldShown(const AhFieldPage& page, const AhField& field, std::span<const std::uint16_t> words) {
  const int form = FormOf(page, field);
  return form < 0 || GetField(*page.form, words) == static_cast<std::uint32_t>(form);
}

std::optional<std::vector<std::uint16_t>> WordsOnPage(const Window& window, const ComposePage& page) {
  const std::vector<std::string> names =
      EditRange(page.controls.first, page.controls.first + 5 * page.controls.words - 1);
  std::vector<std::uint16_t> words(static_cast<std::size_t>(page.controls.words), 0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string text = window.Text(names[i]);
    const std::size_t p = i % 5;
    int digit = 0;  // an empty box is filled with "0" by a press
    if (!text.empty()) {
      if (text.size() != 1 || HexDigitValue(text[0]) < 0) return std::nullopt;
      digit = HexDigitValue(text[0]);
    }
    if (digit > kCodeWordPositions[p].max && page.fields->check == PositionCheck::Count) return std::nullopt;
    std::uint16_t& word = words[i / 5];
    word = static_cast<std::uint16_t>(word | kCodeWordPositions[p].Place(static_cast<std::uint32_t>(digit)));
  }
  return words;
}

std::array<std::string, 5> CodeWordDigits(std::uint16_t word) {
  std::array<std::string, 5> digits;
  for (std::size_t p = 0; p < digits.size(); ++p) {
    digits[p] = ValueToHexDigit(kCodeWordPositions[p].Take(word));
  }
  return digits;
}

void WriteWords(Window& window, const ComposePage& page, std::span<const std::uint16_t> words) {
  for (std::size_t w = 0; w < words.size() && w < static_cast<std::size_t>(page.controls.words); ++w) {
    const std::array<std::string, 5> digits = CodeWordDigits(words[w]);
    for (std::size_t p = 0; p < digits.size(); ++p) {
      window.SetText(EditName(page.controls.first + static_cast<int>(w * 5 + p)), digits[p]);
    }
  }
}

}  // namespace ostrolen

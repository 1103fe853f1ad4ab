#include "pages/interaction.h"
#include "pages/pages.h"

#include <algorithm>

#include "core/shell.h"

namespace ostrolen {
namespace {

std::vector<OfferedValue> Values(const AhField& field, std::uint32_t current) {
  std::vector<OfferedValue> values;
  for (FieldChoice& choice : Choices(field)) {
    values.push_back({std::move(choice.text), choice.value, choice.value == current});
  }
  return values;
}

std::vector<std::string> BoxNames(const ComposePage& page) {
  return EditRange(page.controls.first, page.controls.first + 5 * page.controls.words - 1);
}

}  // namespace

std::vector<WordKind> WordKinds(const PageLayout& page) {
  std::vector<WordKind> kinds;
  kinds.reserve(page.words.size());
  for (const WordSpec& word : page.words) kinds.push_back(word.kind);
  return kinds;
}

std::string LineTip(const PageLayout& page, const LineOrigin& origin) {
  if (origin.empty()) return {};
  return SourceDescription(origin, WordKinds(page));
}

std::vector<std::string> LitBoxes(const PageLayout& page, std::span<const LineOrigin* const> chosen) {
  if (chosen.size() != 1 || chosen.front() == nullptr || chosen.front()->empty()) return {};
  std::vector<std::string> lit;
  for (std::string& box : BoxesOfOrigin(page, *chosen.front())) {
    if (std::find(lit.begin(), lit.end(), box) == lit.end()) lit.push_back(std::move(box));
  }
  return lit;
}

std::string LitBoxDescription(std::string_view line) {
  return std::string(shell::kLitBoxDescription) + std::string(line);
}

std::string CopiedText(const std::vector<std::string>& lines, const std::vector<bool>& chosen) {
  const bool all = std::none_of(chosen.begin(), chosen.end(), [](bool c) { return c; });
  std::string text;
  bool first = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!all && !(i < chosen.size() && chosen[i])) continue;
    if (!first) text += '\n';
    text += lines[i];
    first = false;
  }
  return text;
}

std::optional<LineOffer> OfferOfLine(const Window& window, std::string_view list, int line_field) {
  const PageLayout* layout = FindPageOfList(list);
  const ComposePage* page = layout == nullptr ? nullptr : layout->compose;
  if (page == nullptr || line_field < 0) return std::nullopt;
  const auto& fields = page->fields->fields;
  if (static_cast<std::size_t>(line_field) >= fields.size()) return std::nullopt;
  const AhField* field = fields[static_cast<std::size_t>(line_field)];
  const std::vector<const AhField*> settable = SettableFields(*page->fields);
  if (std::find(settable.begin(), settable.end(), field) == settable.end()) return std::nullopt;
  std::optional<std::vector<std::uint16_t>> words = WordsOnPage(window, *page);
  if (!words) return std::nullopt;

  LineOffer offer;
  offer.page = page;
  offer.field = field;
  offer.line_field = line_field;
  offer.words = std::move(*words);
  const std::uint32_t current = GetField(*field, offer.words);
  if (IsNumeric(*field)) {
    offer.number = NumberEditor{
        FieldName(*field),
        FieldName(*field) + " (от " + ValueText(*field, 0) + " до " + ValueText(*field, FieldMax(*field)) + "):",
        ValueText(*field, current)};
  } else {
    offer.values = Values(*field, current);
    if (offer.values.size() == 2) {
      offer.toggle = current == offer.values[0].value ? offer.values[1].value : offer.values[0].value;
    }
  }
  if (const AhField* form = FormField(*page->fields)) {
    offer.form = form;
    offer.forms = Values(*form, GetField(*form, offer.words));
  }
  return offer;
}

Activation ActivationOf(const std::optional<LineOffer>& offer) {
  if (!offer) return Activation::None;
  if (offer->number) return Activation::EditNumber;
  if (offer->toggle) return Activation::Toggle;
  return Activation::OpenMenu;
}

std::optional<std::uint32_t> EditedNumber(const LineOffer& offer, std::string_view text) {
  if (offer.field == nullptr || !offer.number) return std::nullopt;
  return ParseFieldValue(*offer.field, text);
}

std::optional<LineChange> ApplyToLine(Window& window, const ComposePage& page, const AhField& field,
                                      std::uint32_t value, int from) {
  std::optional<std::vector<std::uint16_t>> words = WordsOnPage(window, page);
  if (!words) return std::nullopt;
  LineChange change;
  for (std::string& name : BoxNames(page)) {
    std::string text = window.Text(name);
    change.before.emplace_back(std::move(name), std::move(text));
  }
  change.button = std::string(page.button);
  const auto& fields = page.fields->fields;
  const auto own = std::find(fields.begin(), fields.end(), &field);
  change.line_field = own != fields.end() ? static_cast<int>(own - fields.begin()) : from;
  SetField(*page.fields, field, *words, value);
  WriteWords(window, page, *words);
  return change;
}

std::optional<LineChange> ChangeHistory::Undo(Window& window) {
  if (changes_.empty()) return std::nullopt;
  LineChange change = std::move(changes_.back());
  changes_.pop_back();
  for (const auto& [name, text] : change.before) window.SetText(name, text);
  return change;
}

int LineOfField(std::span<const LineOrigin* const> origins, int field) {
  if (field < 0) return -1;
  for (std::size_t i = 0; i < origins.size(); ++i) {
    if (origins[i] != nullptr && origins[i]->field == field) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace ostrolen

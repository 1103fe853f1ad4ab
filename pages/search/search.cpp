#include "pages/search/search.h"

#include <algorithm>
#include <array>

#include "core/explain.h"
#include "core/utf8.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

// A fault page of the registry: its table, and what the command line calls
// its page and its button.
struct FaultSearchPage {
  const FaultPage* faults = nullptr;
  std::string_view page;
  std::string_view button;
};

// The fault pages, in tab order.
const std::vector<FaultSearchPage>& FaultPages() {
  static const std::vector<FaultSearchPage> pages = [] {
    std::vector<FaultSearchPage> found;
    for (const PageLayout* page : AllPages()) {
      if (page->faults == nullptr || page->commands.empty()) continue;
      found.push_back({page->faults, page->commands.front().name, page->commands.front().button});
    }
    return found;
  }();
  return pages;
}

// What the command line calls the press of `button`; empty for none.
std::string_view CommandOfButton(std::string_view button) {
  const ButtonOnPage found = FindButton(button);
  if (found.page == nullptr) return {};
  for (const PageCommand& command : found.page->commands) {
    if (command.button == button) return command.name;
  }
  return {};
}

constexpr std::string_view kSegmentPage = "segment";
constexpr std::string_view kSegmentButton = "SpeedButton17";
constexpr std::string_view kSegmentBox = "Edit329";
constexpr std::string_view kStepBox = "Edit330";

// Latin letters that look like Cyrillic ones, small, after the case fold.
struct LookAlike {
  char32_t latin;
  char32_t cyrillic;
};
constexpr std::array<LookAlike, 12> kLookAlikes = {{
    {U'a', U'а'},
    {U'b', U'в'},
    {U'c', U'с'},
    {U'e', U'е'},
    {U'h', U'н'},
    {U'k', U'к'},
    {U'm', U'м'},
    {U'o', U'о'},
    {U'p', U'р'},
    {U't', U'т'},
    {U'x', U'х'},
    {U'y', U'у'},
}};

char32_t FoldChar(char32_t c) {
  c = FoldCase(c);
  if (c == U'ё') return U'е';
  if (c >= U'a' && c <= U'y') {
    for (const LookAlike& pair : kLookAlikes) {
      if (pair.latin == c) return pair.cyrillic;
    }
  }
  return c;
}

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0xA0; }

bool IsWordChar(char32_t c) {
  return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= 0xC0 && c <= 0x24F) ||
         (c >= 0x370 && c <= 0x52F);
}

// Blanks at either end dropped, each run of them one blank.
std::u32string Squeezed(std::u32string_view text) {
  std::u32string out;
  bool blank = false;
  for (const char32_t c : text) {
    if (IsBlank(c)) {
      blank = !out.empty();
      continue;
    }
    if (blank) out += U' ';
    blank = false;
    out += c;
  }
  return out;
}

SearchEntry Entry(MatchKind kind, std::string_view page, std::string text) {
  SearchEntry entry;
  entry.kind = kind;
  entry.page = page;
  entry.folded = FoldForSearch(text);
  entry.text = std::move(text);
  return entry;
}

void AddSubscriberPage(std::vector<SearchEntry>& entries, const ComposePage& page) {
  for (const AhField* field : SettableFields(*page.fields)) {
    SearchEntry label = Entry(MatchKind::Field, page.fields->name, FieldName(*field));
    label.compose = &page;
    label.field = field;
    entries.push_back(std::move(label));
    for (const FieldChoice& choice : Choices(*field)) {
      // A value with no text of its own is shown as its bits: nothing to find.
      if (choice.text.starts_with("0b")) continue;
      SearchEntry value = Entry(MatchKind::Value, page.fields->name, choice.text);
      value.compose = &page;
      value.field = field;
      value.value = choice.value;
      entries.push_back(std::move(value));
    }
  }
}

std::vector<SearchEntry> BuildTableEntries() {
  std::vector<SearchEntry> entries;
  for (const ComposePage& page : ComposePages()) AddSubscriberPage(entries, page);
  for (const FaultSearchPage& page : FaultPages()) {
    const FaultPage& layout = *page.faults;
    for (const FaultEntry& fault : layout.table) {
      SearchEntry entry = Entry(MatchKind::Fault, page.page, std::string(fault.text));
      entry.faults = &layout;
      entry.fault = &fault;
      entries.push_back(std::move(entry));
    }
  }
  for (const UskTest& test : UskTests()) {
    const std::string_view page = CommandOfButton(test.button);
    for (const std::string_view text : test.texts) {
      SearchEntry entry = Entry(MatchKind::Usk, page, std::string(text));
      entry.test = &test;
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

// How well `folded` holds `typed` (not empty); -1: not at all.
int Rank(std::u32string_view folded, std::u32string_view typed) {
  std::size_t at = folded.find(typed);
  if (at == std::u32string_view::npos) return -1;
  if (at == 0) return folded.size() == typed.size() ? 0 : 1;
  for (; at != std::u32string_view::npos; at = folded.find(typed, at + 1)) {
    if (!IsWordChar(folded[at - 1])) return 2;
  }
  return 3;
}

const FaultSearchPage* FaultPageOf(const SearchEntry& entry) {
  for (const FaultSearchPage& page : FaultPages()) {
    if (page.faults == entry.faults) return &page;
  }
  return nullptr;
}

std::string SheetOf(std::string_view button) {
  const ButtonOnPage found = FindButton(button);
  return found.page != nullptr ? found.page->sheet : std::string();
}

// The bits a value's line depends on: the form selector, when the field
// belongs to one form, and the field's own.
LineOrigin ValueOrigin(const SearchEntry& entry, std::span<const std::uint16_t> words) {
  const AhFieldPage& page = *entry.compose->fields;
  LineOrigin origin;
  if (page.selector && entry.field != page.form) {
    bool in_form = false;
    for (const AhForm& form : page.forms) {
      for (const AhField& field : form.fields) in_form = in_form || &field == entry.field;
    }
    if (in_form) origin.Add(*page.selector, words);
  }
  origin.Add(entry.field->bits, words);
  return origin;
}

int FieldIndex(const SearchEntry& entry) {
  const std::vector<const AhField*>& fields = entry.compose->fields->fields;
  const auto at = std::find(fields.begin(), fields.end(), entry.field);
  return at == fields.end() ? -1 : static_cast<int>(at - fields.begin());
}

}  // namespace

std::string_view MatchKindName(MatchKind kind) {
  switch (kind) {
    case MatchKind::Field: return "field";
    case MatchKind::Value: return "value";
    case MatchKind::Fault: return "fault";
    case MatchKind::Usk: return "usk";
    case MatchKind::Segment: return "segment";
  }
  return {};
}

std::u32string FoldForSearch(std::string_view text) {
  std::u32string folded = DecodeUtf8(text);
  for (char32_t& c : folded) c = FoldChar(c);
  return Squeezed(folded);
}

std::span<const SearchEntry> TableEntries() {
  static const std::vector<SearchEntry> entries = BuildTableEntries();
  return entries;
}

std::vector<SearchEntry> RowEntries(const RowListing& listing) {
  std::vector<SearchEntry> entries;
  for (const SegmentRow& row : listing.rows) {
    for (const auto& [column, text] : row.texts) {
      if (text.empty()) continue;
      SearchEntry entry = Entry(MatchKind::Segment, kSegmentPage, text);
      entry.segment = row.segment;
      entry.step = row.step;
      entry.column = std::string(column);
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

std::vector<SearchMatch> FindMatches(std::string_view typed, std::span<const SearchEntry> tables,
                                     std::span<const SearchEntry> rows) {
  std::vector<SearchMatch> matches;
  const std::u32string folded = FoldForSearch(typed);
  if (folded.empty()) return matches;
  for (const std::span<const SearchEntry> entries : {tables, rows}) {
    for (const SearchEntry& entry : entries) {
      const int rank = Rank(entry.folded, folded);
      if (rank >= 0) matches.push_back({&entry, rank});
    }
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [](const SearchMatch& a, const SearchMatch& b) { return a.rank < b.rank; });
  return matches;
}

std::vector<std::uint16_t> MatchWords(const SearchEntry& entry, std::span<const std::uint16_t> current) {
  std::vector<std::uint16_t> words;
  if (entry.kind == MatchKind::Value) {
    const AhFieldPage& page = *entry.compose->fields;
    words.assign(page.words, 0);
    std::copy_n(current.begin(), std::min(current.size(), words.size()), words.begin());
    SetField(page, *entry.field, words, entry.value);
  } else if (entry.kind == MatchKind::Fault) {
    for (const FaultWordBoxes& word : entry.faults->words) words.push_back(HealthyValue(*entry.faults, word));
    const auto w = static_cast<std::size_t>(entry.fault->word - 1);
    if (w < words.size()) {
      words[w] = static_cast<std::uint16_t>(words[w] ^
                                            BitRange{entry.fault->word - 1, entry.fault->bit, entry.fault->bit}.mask());
    }
  }
  return words;
}

std::string MatchWhere(const SearchEntry& entry) {
  switch (entry.kind) {
    case MatchKind::Field: {
      LineOrigin origin;
      origin.Add(entry.field->bits, {});
      return SourceText(origin, 'x');
    }
    case MatchKind::Value: return SourceText(ValueOrigin(entry, MatchWords(entry)));
    case MatchKind::Fault: {
      LineOrigin origin;
      origin.Add({entry.fault->word - 1, entry.fault->bit, entry.fault->bit}, MatchWords(entry));
      return SourceText(origin);
    }
    case MatchKind::Usk: return std::string(entry.test->button);
    case MatchKind::Segment: return entry.step.empty() ? entry.segment : entry.segment + " " + entry.step;
  }
  return {};
}

MatchAction ActionOf(const SearchEntry& entry, std::span<const std::uint16_t> current) {
  MatchAction action;
  switch (entry.kind) {
    case MatchKind::Field:
    case MatchKind::Value: {
      const ComposePage& page = *entry.compose;
      action.sheet = SheetOf(page.button);
      action.field = FieldIndex(entry);
      if (entry.kind == MatchKind::Field) break;
      const std::vector<std::uint16_t> words = MatchWords(entry, current);
      for (std::size_t w = 0; w < words.size(); ++w) {
        const std::array<std::string, 5> digits = CodeWordDigits(words[w]);
        for (std::size_t p = 0; p < digits.size(); ++p) {
          action.boxes.emplace_back(EditName(page.controls.first + static_cast<int>(w * 5 + p)), digits[p]);
        }
      }
      action.button = std::string(page.button);
      break;
    }
    case MatchKind::Fault: {
      const FaultSearchPage* page = FaultPageOf(entry);
      if (page == nullptr) break;
      action.sheet = SheetOf(page->button);
      const std::vector<std::uint16_t> words = MatchWords(entry);
      for (std::size_t w = 0; w < words.size(); ++w) {
        for (std::size_t k = 0; k < 4; ++k) {
          action.boxes.emplace_back(entry.faults->words[w].message[k],
                                    ValueToHexDigit((words[w] >> (4 * (3 - k))) & 0xFU));
        }
      }
      action.button = std::string(page->button);
      action.line = std::string(entry.fault->text);
      break;
    }
    case MatchKind::Usk:
      action.sheet = SheetOf(entry.test->button);
      action.button = std::string(entry.test->button);
      break;
    case MatchKind::Segment:
      action.sheet = SheetOf(kSegmentButton);
      action.boxes = {{std::string(kSegmentBox), entry.segment}, {std::string(kStepBox), entry.step}};
      action.button = std::string(kSegmentButton);
      break;
  }
  return action;
}

}  // namespace ostrolen

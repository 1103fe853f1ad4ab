// The search over the tables: what folds to what, that every fault entry,
// field and value is found where it is, the order of the matches, and that
// choosing a match and pressing its page shows what was found.
#include "pages/search/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "core/utf8.h"
#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

struct FaultPageCase {
  std::string_view page;
  const FaultPage& (*layout)();
  std::string_view button;
};

const std::vector<FaultPageCase> kFaultPages = {
    {"uvp", UvpFaultPage, "SpeedButton11"},
    {"bg", BgFaultPage, "SpeedButton12"},
    {"vvk", VvkFaultPage, "SpeedButton13"},
    {"puu", PuuFaultPage, "SpeedButton16"},
};

// The text with every Cyrillic letter that has a Latin look-alike written
// in Latin, and the reverse: the same text to the eye.
std::string SwappedLookAlikes(std::string_view text) {
  const std::vector<std::pair<char32_t, char32_t>> pairs = {
      {U'А', U'A'}, {U'В', U'B'}, {U'С', U'C'}, {U'Е', U'E'}, {U'Н', U'H'}, {U'К', U'K'}, {U'М', U'M'},
      {U'О', U'O'}, {U'Р', U'P'}, {U'Т', U'T'}, {U'Х', U'X'}, {U'У', U'Y'}, {U'а', U'a'}, {U'с', U'c'},
      {U'е', U'e'}, {U'о', U'o'}, {U'р', U'p'}, {U'х', U'x'}, {U'у', U'y'},
  };
  std::u32string chars = DecodeUtf8(text);
  for (char32_t& c : chars) {
    for (const auto& [cyrillic, latin] : pairs) {
      if (c == cyrillic) {
        c = latin;
        break;
      }
      if (c == latin) {
        c = cyrillic;
        break;
      }
    }
  }
  return EncodeUtf8(chars);
}

std::string Upper(std::string_view text) {
  std::u32string chars = DecodeUtf8(text);
  for (char32_t& c : chars) {
    if (c >= U'a' && c <= U'z') c -= 0x20;
    if (c >= U'а' && c <= U'я') c -= 0x20;
    if (c == U'ё') c = U'Ё';
  }
  return EncodeUtf8(chars);
}

bool Finds(std::string_view typed, const SearchEntry& entry) {
  for (const SearchMatch& match : FindMatches(typed, TableEntries())) {
    if (match.entry == &entry) return true;
  }
  return false;
}

const SearchEntry* EntryOf(MatchKind kind, const void* what, std::uint32_t value = 0) {
  for (const SearchEntry& entry : TableEntries()) {
    if (entry.kind != kind) continue;
    if ((kind == MatchKind::Fault && entry.fault == what) || (kind == MatchKind::Field && entry.field == what) ||
        (kind == MatchKind::Value && entry.field == what && entry.value == value)) {
      return &entry;
    }
  }
  return nullptr;
}

std::vector<CodeWordTexts> Texts(const std::vector<std::uint16_t>& words) {
  std::vector<CodeWordTexts> texts;
  for (const std::uint16_t word : words) texts.push_back(CodeWordDigits(word));
  return texts;
}

TEST(SearchFold, LetterCaseYoAndLookAlikes) {
  struct Case {
    std::string text;
    std::string folded;
  };
  const std::vector<Case> cases = {
      {"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", "абвгдежзийклмнопрстуфхцчшщъыьэюя"},
      {"Ёлка ёж", "елка еж"},
      {"ABCEHKMOPTXY", "авсенкмортху"},
      {"abcehkmoptxy", "авсенкмортху"},
      {"DFGIJLNQRSUVWZ", "dfgijlnqrsuvwz"},
      {"  бв   01-60\t ", "бв 01-60"},
      {"УВПС", "увпс"},
      {"УВПC", "увпс"},
      {"Услуга \"Напоминание\"(НАП)  ", "услуга \"напоминание\"(нап)"},
      {"", ""},
      {"   ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeUtf8(FoldForSearch(c.text)), c.folded) << c.text;
}

TEST(SearchFold, EveryCyrillicCapitalFoldsWithItsSmallLetter) {
  for (char32_t c = U'А'; c <= U'Я'; ++c) {
    const std::u32string capital(1, c), small(1, c + 0x20);
    EXPECT_EQ(FoldForSearch(EncodeUtf8(capital)), FoldForSearch(EncodeUtf8(small))) << EncodeUtf8(capital);
  }
  for (char32_t c = U'A'; c <= U'Z'; ++c) {
    const std::u32string capital(1, c), small(1, c + 0x20);
    EXPECT_EQ(FoldForSearch(EncodeUtf8(capital)), FoldForSearch(EncodeUtf8(small))) << EncodeUtf8(capital);
  }
}

TEST(SearchTables, EveryFaultEntryFindsItsPageAndExactlyItsBit) {
  int checked = 0;
  for (const FaultPageCase& page : kFaultPages) {
    const FaultPage& layout = page.layout();
    std::vector<std::uint16_t> healthy;
    for (const FaultWordBoxes& word : layout.words) healthy.push_back(HealthyValue(layout, word));
    for (const FaultEntry& fault : layout.table) {
      const SearchEntry* entry = EntryOf(MatchKind::Fault, &fault);
      ASSERT_NE(entry, nullptr) << fault.text;
      EXPECT_EQ(entry->page, page.page);
      EXPECT_EQ(entry->text, fault.text);
      for (const std::string& typed :
           {std::string(fault.text), Upper(fault.text), SwappedLookAlikes(fault.text), " " + std::string(fault.text)}) {
        EXPECT_TRUE(Finds(typed, *entry)) << typed;
      }
      // The words differ from the healthy ones in exactly that bit, and the
      // page's decoder lists exactly that entry, with the bit as its source.
      const std::vector<std::uint16_t> words = MatchWords(*entry);
      ASSERT_EQ(words.size(), healthy.size());
      int differing = 0;
      for (std::size_t w = 0; w < words.size(); ++w)
        differing += std::popcount(static_cast<unsigned>(words[w] ^ healthy[w]));
      EXPECT_EQ(differing, 1) << fault.text;
      const DecodeResult decoded = DecodeFaultWords(words, healthy, layout.table);
      std::vector<std::string> expected = {std::string(fault.text)};
      EXPECT_EQ(decoded.Texts(), expected);
      ASSERT_EQ(decoded.lines.size(), 1U);
      EXPECT_EQ(MatchWhere(*entry), SourceText(decoded.lines[0].origin)) << fault.text;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 27 + 12 + 12 + 32);
}

TEST(SearchTables, BvFindsTheUvpEntryWithItsBit) {
  const std::vector<SearchMatch> matches = FindMatches("бв 01-60", TableEntries());
  ASSERT_FALSE(matches.empty());
  EXPECT_EQ(matches[0].entry->page, "uvp");
  EXPECT_EQ(matches[0].entry->text, "БВ 01-60 УВП 0-3");
  EXPECT_EQ(MatchWhere(*matches[0].entry), "w0:.........1......");
  for (const SearchMatch& match : matches) EXPECT_EQ(match.entry->kind, MatchKind::Fault) << match.entry->text;
  EXPECT_EQ(matches.size(), 7U);  // one on УВП, four on БГ, two on ВВК
}

TEST(SearchTables, EveryFieldAndEveryValueFindsItsField) {
  int values = 0;
  for (const ComposePage& page : ComposePages()) {
    for (const AhField* field : SettableFields(*page.fields)) {
      const SearchEntry* label = EntryOf(MatchKind::Field, field);
      ASSERT_NE(label, nullptr) << FieldName(*field);
      EXPECT_EQ(label->page, page.fields->name);
      EXPECT_EQ(label->text, FieldName(*field));
      EXPECT_TRUE(Finds(FieldName(*field), *label));
      EXPECT_TRUE(Finds(SwappedLookAlikes(Upper(FieldName(*field))), *label));
      LineOrigin bits;
      bits.Add(field->bits, {});
      EXPECT_EQ(MatchWhere(*label), SourceText(bits, 'x'));

      for (const FieldChoice& choice : Choices(*field)) {
        if (choice.text.starts_with("0b")) continue;
        const SearchEntry* value = EntryOf(MatchKind::Value, field, choice.value);
        ASSERT_NE(value, nullptr) << FieldName(*field) << " = " << choice.text;
        EXPECT_EQ(value->text, choice.text);
        EXPECT_TRUE(Finds(choice.text, *value));
        EXPECT_TRUE(Finds(SwappedLookAlikes(Upper(choice.text)), *value)) << choice.text;
        // The words hold that value, and the page's decode shows it on the
        // field's line, whose bits are where the match says.
        const std::vector<std::uint16_t> words = MatchWords(*value);
        EXPECT_EQ(GetField(*field, words), choice.value);
        EXPECT_TRUE(FieldShown(*page.fields, *field, words));
        const int index = ActionOf(*value).field;
        const std::optional<std::string> line = FieldLine(*field, choice.value);
        if (index < 0 || !line) continue;  // the form selector; a restriction that is off
        const DecodeResult decoded = DecodeAhPage(*page.fields, Texts(words));
        const auto at = std::find_if(decoded.lines.begin(), decoded.lines.end(),
                                     [&](const SourcedLine& l) { return l.origin.field == index; });
        ASSERT_NE(at, decoded.lines.end()) << FieldName(*field) << " = " << choice.text;
        EXPECT_EQ(at->text, *line);
        EXPECT_EQ(SourceText(at->origin), MatchWhere(*value)) << FieldName(*field) << " = " << choice.text;
        ++values;
      }
    }
  }
  EXPECT_GT(values, 100);
}

TEST(SearchTables, EveryUskTextFindsItsRow) {
  const std::vector<std::string_view> pages = {"usk0", "usk1", "usk2", "usk3", "bal"};
  const std::span<const UskTest> tests = UskTests();
  ASSERT_EQ(tests.size(), pages.size());
  for (std::size_t t = 0; t < tests.size(); ++t) {
    for (const std::string_view text : tests[t].texts) {
      bool found = false;
      for (const SearchMatch& match : FindMatches(text, TableEntries())) {
        found = found || (match.entry->test == &tests[t] && match.entry->page == pages[t] &&
                          MatchWhere(*match.entry) == tests[t].button);
      }
      EXPECT_TRUE(found) << text;
    }
  }
}

TEST(SearchTables, ServiceFoundOnEveryPageThatSwitchesIt) {
  std::vector<std::string> found;
  for (const SearchMatch& match : FindMatches("напоминание", TableEntries())) {
    found.push_back(std::string(match.entry->page) + " " + std::string(MatchKindName(match.entry->kind)) + " " +
                    MatchWhere(*match.entry));
  }
  const std::vector<std::string> expected = {"third-stage field w0:..x.............", "sko field w0:..........x.....",
                                             "rko field w1:..x............."};
  EXPECT_EQ(found, expected);
}

TEST(SearchOrder, WholeTextThenStartThenWordThenAnywhereEachInTableOrder) {
  const std::vector<SearchMatch> matches = FindMatches("пак", TableEntries());
  // Every match of "пак" is inside a word's run of letters or starts one.
  ASSERT_FALSE(matches.empty());
  for (std::size_t i = 1; i < matches.size(); ++i) {
    EXPECT_LE(matches[i - 1].rank, matches[i].rank);
    if (matches[i - 1].rank == matches[i].rank) EXPECT_LT(matches[i - 1].entry, matches[i].entry);
  }
  // "ПСГ" is a whole text twice on ВВК; "ПСГ" also begins no other text.
  const std::vector<SearchMatch> psg = FindMatches("псг", TableEntries());
  ASSERT_GE(psg.size(), 2U);
  EXPECT_EQ(psg[0].rank, 0);
  EXPECT_EQ(psg[1].rank, 0);
  EXPECT_EQ(psg[0].entry->fault->word, 1);
  EXPECT_EQ(psg[1].entry->fault->word, 2);

  struct RankCase {
    std::string typed;
    std::string text;
    int rank;
  };
  const std::vector<RankCase> ranks = {
      {"БГ0", "БГ0", 0},
      {"бг", "БГ0", 1},
      {"0бг", "БП-15 0БГ", 2},
      {"бг", "БП-15 0БГ", 3},
      {"ствол", "ГВТ 0-й ствол", 2},
  };
  for (const RankCase& c : ranks) {
    bool seen = false;
    for (const SearchMatch& match : FindMatches(c.typed, TableEntries())) {
      if (match.entry->text != c.text) continue;
      seen = true;
      EXPECT_EQ(match.rank, c.rank) << c.typed << " in " << c.text;
    }
    EXPECT_TRUE(seen) << c.typed << " in " << c.text;
  }
}

TEST(SearchOrder, RowsComeAfterTablesOfTheSameRank) {
  RowListing listing;
  listing.rows.push_back({"segmoborud", "12", "", {{"oborud", "БГ0"}}});
  listing.rows.push_back({"Segment", "12", "1", {{"isppro", "Проверка БГ"}, {"prim", ""}}});
  const std::vector<SearchEntry> rows = RowEntries(listing);
  ASSERT_EQ(rows.size(), 2U);  // the empty note is left out
  const std::vector<SearchMatch> matches = FindMatches("бг0", TableEntries(), rows);
  ASSERT_GE(matches.size(), 2U);
  EXPECT_EQ(matches[0].entry->kind, MatchKind::Fault);
  EXPECT_EQ(matches[1].entry, &rows[0]);
  EXPECT_EQ(MatchWhere(rows[0]), "12");
  EXPECT_EQ(MatchWhere(rows[1]), "12 1");
}

TEST(SearchOrder, NothingForNothingTyped) {
  EXPECT_TRUE(FindMatches("", TableEntries()).empty());
  EXPECT_TRUE(FindMatches(" \t ", TableEntries()).empty());
  EXPECT_TRUE(FindMatches("нет такого текста", TableEntries()).empty());
}

// Choosing a match: its boxes written and its button pressed on the
// window without widgets show what was found.
TEST(SearchActions, ChoosingAFaultShowsExactlyThatItem) {
  for (const FaultPageCase& page : kFaultPages) {
    for (const FaultEntry& fault : page.layout().table) {
      const SearchEntry& entry = *EntryOf(MatchKind::Fault, &fault);
      const MatchAction action = ActionOf(entry);
      EXPECT_EQ(action.button, page.button);
      EXPECT_EQ(action.sheet, FindButton(page.button).page->sheet);
      ModelWindow window;
      for (const auto& [box, text] : action.boxes) window.SetText(box, text);
      ASSERT_TRUE(Press(window, action.button));
      EXPECT_EQ(window.Lines(page.layout().list), std::vector<std::string>{std::string(fault.text)});
      EXPECT_EQ(action.line, fault.text);
      EXPECT_TRUE(window.Messages().empty());
    }
  }
}

TEST(SearchActions, ChoosingAValueSetsItInTheCurrentWords) {
  int checked = 0;
  for (const ComposePage& page : ComposePages()) {
    // The page's example words, as the operator may have typed them.
    std::vector<std::uint16_t> current;
    ModelWindow typed;
    std::size_t box = 0;
    for (const char c : std::string(ComposeExample(page))) {
      if (c == ' ') continue;
      typed.SetText(EditName(page.controls.first + static_cast<int>(box++)), std::string(1, c));
    }
    current = *WordsOnPage(typed, page);
    for (const AhField* field : SettableFields(*page.fields)) {
      for (const FieldChoice& choice : Choices(*field)) {
        if (choice.text.starts_with("0b")) continue;
        const SearchEntry& entry = *EntryOf(MatchKind::Value, field, choice.value);
        const MatchAction action = ActionOf(entry, current);
        ModelWindow window;
        for (const auto& [name, text] : action.boxes) window.SetText(name, text);
        const std::vector<std::uint16_t> words = *WordsOnPage(window, page);
        EXPECT_EQ(GetField(*field, words), choice.value);
        // Every other field keeps its bits, but on the other form.
        std::vector<std::uint16_t> expected = current;
        SetField(*page.fields, *field, expected, choice.value);
        EXPECT_EQ(words, expected);
        ASSERT_TRUE(Press(window, action.button));
        const std::optional<std::string> line = FieldLine(*field, choice.value);
        if (action.field >= 0 && line) {
          const std::vector<LineOrigin>& origins = window.Origins(page.controls.list);
          const std::vector<std::string>& lines = window.Lines(page.controls.list);
          bool shown = false;
          for (std::size_t i = 0; i < origins.size(); ++i)
            shown = shown || (origins[i].field == action.field && lines[i] == *line);
          EXPECT_TRUE(shown) << FieldName(*field) << " = " << choice.text;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(SearchActions, ChoosingAFieldSelectsItsLineAndChangesNothing) {
  for (const SearchEntry& entry : TableEntries()) {
    if (entry.kind != MatchKind::Field) continue;
    const MatchAction action = ActionOf(entry);
    EXPECT_TRUE(action.boxes.empty());
    EXPECT_TRUE(action.button.empty());
    EXPECT_FALSE(action.sheet.empty());
    if (entry.field == entry.compose->fields->form) {
      EXPECT_EQ(action.field, -1);
    } else {
      ASSERT_GE(action.field, 0) << entry.text;
      EXPECT_EQ(entry.compose->fields->fields[static_cast<std::size_t>(action.field)], entry.field);
    }
  }
}

TEST(SearchActions, ChoosingAUskTextPressesItsRow) {
  for (const SearchEntry& entry : TableEntries()) {
    if (entry.kind != MatchKind::Usk) continue;
    const MatchAction action = ActionOf(entry);
    EXPECT_EQ(action.button, entry.test->button);
    EXPECT_EQ(action.sheet, UskPage().sheet);
    ModelWindow window;
    ASSERT_TRUE(Press(window, action.button));
    bool shown = false;
    for (const std::string& line : window.Lines("ListBox11"))
      shown = shown || line.find(entry.text) != std::string::npos;
    EXPECT_TRUE(shown) << entry.text;
  }
}

TEST(SearchActions, ChoosingARowTypesItsSegmentAndStep) {
  RowListing listing;
  listing.rows.push_back({"segmentkup", "3C", "5", {{"object", "Объект 3C-5"}}});
  const std::vector<SearchEntry> rows = RowEntries(listing);
  ASSERT_EQ(rows.size(), 1U);
  const MatchAction action = ActionOf(rows[0]);
  EXPECT_EQ(action.sheet, SegmentsPage().sheet);
  EXPECT_EQ(action.button, "SpeedButton17");
  const std::vector<std::pair<std::string, std::string>> boxes = {{"Edit329", "3C"}, {"Edit330", "5"}};
  EXPECT_EQ(action.boxes, boxes);
}

}  // namespace
}  // namespace ostrolen

// The field declarations against the decode: every line's source is exact
// (a bit outside it never changes the line, a bit inside it always does),
// the source's values are the word's own bits, and composing a field changes
// only its bits and only its line.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "pages/subscriber/compose.h"
#include "tests/pages/subscriber/ah_test_support.h"

namespace ostrolen::testing {
namespace {

struct PageCase {
  const char* name;
  const AhFieldPage& page;
};

std::vector<CodeWordTexts> TextsOf(std::span<const std::uint16_t> words) {
  std::vector<CodeWordTexts> texts;
  for (const std::uint16_t word : words) texts.push_back(WordOf(word));
  return texts;
}

DecodeResult Decode(const AhFieldPage& page, std::span<const std::uint16_t> words) {
  return DecodeAhPage(page, TextsOf(words));
}

bool InSource(const LineOrigin& origin, std::size_t word, int bit) {
  return (origin.mask[word] & (0x8000U >> static_cast<unsigned>(bit - 1))) != 0;
}

// Each field's line in a decode, as a hash of its text (0: no line), and its source.
struct FieldLines {
  std::vector<std::size_t> text;
  std::vector<LineOrigin> origin;
};

FieldLines LinesByField(const AhFieldPage& page, std::span<const std::uint16_t> words) {
  const DecodeResult result = Decode(page, words);
  EXPECT_FALSE(result.error);
  FieldLines lines{std::vector<std::size_t>(page.fields.size(), 0), std::vector<LineOrigin>(page.fields.size())};
  for (const SourcedLine& line : result.lines) {
    for (std::size_t w = 0; w < kMaxWords; ++w) {
      const std::uint16_t word = w < words.size() ? words[w] : 0;
      EXPECT_EQ(line.origin.value[w], word & line.origin.mask[w]) << line.text;
    }
    if (line.origin.field < 0 || line.origin.empty()) continue;
    const auto f = static_cast<std::size_t>(line.origin.field);
    lines.text[f] = std::hash<std::string>{}(line.text) | 1U;
    lines.origin[f] = line.origin;
  }
  return lines;
}

// The lines of `words` against those of the word with bit `bit` of word `w` flipped.
void CheckFlip(const FieldLines& lines, const FieldLines& flipped, std::size_t w, int bit) {
  for (std::size_t f = 0; f < lines.text.size(); ++f) {
    if (lines.text[f] == 0) continue;
    if (InSource(lines.origin[f], w, bit)) {
      ASSERT_NE(flipped.text[f], lines.text[f]) << "field " << f << ": word " << w << " bit " << bit << " is no source";
    } else {
      ASSERT_EQ(flipped.text[f], lines.text[f]) << "field " << f << ": word " << w << " bit " << bit << " is a source";
    }
  }
}

std::uint16_t Flip(std::uint16_t word, int bit) {
  return static_cast<std::uint16_t>(word ^ (0x8000U >> static_cast<unsigned>(bit - 1)));
}

void CheckSources(const AhFieldPage& page, const std::vector<std::uint16_t>& words) {
  const FieldLines lines = LinesByField(page, words);
  for (std::size_t w = 0; w < words.size(); ++w) {
    for (int bit = 1; bit <= 16; ++bit) {
      std::vector<std::uint16_t> flipped = words;
      flipped[w] = Flip(flipped[w], bit);
      CheckFlip(lines, LinesByField(page, flipped), w, bit);
    }
  }
}

const std::vector<PageCase>& Pages() {
  static const std::vector<PageCase> pages = {{"first-stage", FirstStageFields()},
                                              {"second-stage", SecondStageFields()},
                                              {"third-stage", ThirdStageFields()},
                                              {"sko", SkoFields()},
                                              {"rko", RkoFields()}};
  return pages;
}

// Every word of a one-word page; random blocks of the others.
template <typename Check>
void ForSweptWords(const AhFieldPage& page, Check check, std::size_t blocks = 3000) {
  if (page.words == 1) {
    for (std::uint32_t v = 0; v <= 0xFFFF; ++v) check(std::vector<std::uint16_t>{static_cast<std::uint16_t>(v)});
    return;
  }
  std::mt19937 random(static_cast<unsigned>(page.words * 7919));
  for (std::size_t i = 0; i < blocks; ++i) {
    std::vector<std::uint16_t> words(page.words);
    for (std::uint16_t& word : words) word = static_cast<std::uint16_t>(random());
    check(words);
  }
}

TEST(FieldSources, EveryLineDependsOnExactlyItsBits) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    if (c.page.words == 1) {
      // Every word, each decoded once, against every word one bit away.
      std::vector<FieldLines> all;
      all.reserve(0x10000);
      for (std::uint32_t v = 0; v <= 0xFFFF; ++v) all.push_back(LinesByField(c.page, std::vector{std::uint16_t(v)}));
      for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
        for (int bit = 1; bit <= 16; ++bit) CheckFlip(all[v], all[Flip(static_cast<std::uint16_t>(v), bit)], 0, bit);
        if (::testing::Test::HasFatalFailure()) return;
      }
      continue;
    }
    std::mt19937 random(static_cast<unsigned>(c.page.words * 7919));
    for (int i = 0; i < 1000 && !::testing::Test::HasFatalFailure(); ++i) {
      std::vector<std::uint16_t> words(c.page.words);
      for (std::uint16_t& word : words) word = static_cast<std::uint16_t>(random());
      CheckSources(c.page, words);
    }
  }
}

TEST(FieldSources, ExamplesAsTheCommandLineShowsThem) {
  const DecodeResult sko = Decode(SkoFields(), std::vector<std::uint16_t>{0x5DA6});  // 271A6
  ASSERT_GE(sko.lines.size(), 13U);
  EXPECT_EQ(sko.lines[12].text, "Набор номера = Частотный");
  EXPECT_EQ(SourceText(sko.lines[12].origin), "w0:....1...........");
  const DecodeResult first = Decode(FirstStageFields(), std::vector<std::uint16_t>{0x7FFF | 0x8000});  // 773FF
  ASSERT_EQ(first.lines.size(), 2U);
  EXPECT_EQ(SourceText(first.lines[0].origin), "w0:11..............");
  EXPECT_EQ(SourceText(first.lines[1].origin), "w0:1.11111111111111");
  // The hundred of 3529C: bit 1 picks the form, bits 5-9 carry 13.
  const DecodeResult number = Decode(FirstStageFields(), std::vector<std::uint16_t>{0x769C});
  EXPECT_EQ(number.lines[1].text, "нормализованная сотня=13");
  EXPECT_EQ(SourceText(number.lines[1].origin), "w0:0...01101.......");
  const WordKind kinds[] = {WordKind::Code};
  EXPECT_EQ(SourceDescription(number.lines[1].origin, kinds),
            "Слово 0, бит 1 (позиция 1): 0; биты 5–9 (позиции 2–4): 01101");
}

TEST(FieldSources, CountAndEmptyLinesDependOnNoBit) {
  const DecodeResult third = Decode(ThirdStageFields(), std::vector<std::uint16_t>{1, 2, 3, 4});
  ASSERT_EQ(third.lines.size(), 14U);
  EXPECT_EQ(third.lines[10].text, "");
  EXPECT_TRUE(third.lines[10].origin.empty());
  EXPECT_EQ(SourceText(third.lines[10].origin), "");
  const std::array<CodeWordTexts, 4> bad = {Word("80000"), Word("00000"), Word("00000"), Word("00000")};
  const DecodeResult counted = DecodeAhPage(SecondStageFields(), bad);
  ASSERT_EQ(counted.lines.size(), 1U);
  EXPECT_EQ(counted.lines[0].text, "Ошибок при вводе = 1");
  EXPECT_TRUE(counted.lines[0].origin.empty());
}

// --- Composing -------------------------------------------------------------

// The values a sweep sets: all of a field with named values; the ends and a
// spread of a number.
std::vector<std::uint32_t> ValuesToSet(const AhField& field) {
  std::vector<std::uint32_t> values;
  const std::uint32_t max = FieldMax(field);
  if (!IsNumeric(field) || max < 16) {
    for (std::uint32_t v = 0; v <= max; ++v) values.push_back(v);
    return values;
  }
  for (std::uint32_t v : {0U, 1U, max / 3, max / 2, max - 1, max}) values.push_back(v);
  return values;
}

std::uint16_t FieldMaskIn(const AhField& field, std::size_t word) {
  return static_cast<std::size_t>(field.bits.word) == word ? field.bits.mask() : 0;
}

// The hash FieldLines keeps for the line a field shows for `value`.
std::size_t LineHash(const AhField& field, std::uint32_t value) {
  static std::map<std::pair<const AhField*, std::uint32_t>, std::size_t> known;
  const auto [it, added] = known.try_emplace({&field, value}, 0);
  if (added) {
    const std::optional<std::string> line = FieldLine(field, value);
    it->second = line ? (std::hash<std::string>{}(*line) | 1U) : 0;
  }
  return it->second;
}

// Sets every value of every field of the page in `words` and checks the
// result; `lines_of` decodes a set of words.
template <typename LinesOf>
void CheckComposing(const AhFieldPage& page, const std::vector<std::uint16_t>& words, LinesOf lines_of) {
  const FieldLines& before = lines_of(words);
  for (std::size_t index = 0; index < page.fields.size() + 1; ++index) {
    // The page's fields, then its form selector (if any).
    const AhField* field = index < page.fields.size() ? page.fields[index] : page.form;
    if (field == nullptr || field->shown == Shown::Blank || field->shown == Shown::NoneSet) continue;
    for (const std::uint32_t value : ValuesToSet(*field)) {
      const bool shown = field == page.form ? GetField(*page.form, words) == value : FieldShown(page, *field, words);
      std::vector<std::uint16_t> set = words;
      SetField(page, *field, set, value);
      ASSERT_EQ(GetField(*field, set), value) << FieldName(*field);
      std::vector<std::uint16_t> again = set;
      SetField(page, *field, again, value);
      ASSERT_EQ(again, set) << FieldName(*field);
      if (!shown) {
        // The form switched: its bits started at zero, then the field was set.
        const std::uint16_t field_bits = field == page.form ? 0 : field->bits.mask();
        ASSERT_EQ(set[0] & ~(page.form->bits.mask() | field_bits), 0) << FieldName(*field);
        continue;
      }
      // Only the field's bits move.
      for (std::size_t w = 0; w < words.size(); ++w) {
        ASSERT_EQ(set[w] & ~FieldMaskIn(*field, w), words[w] & ~FieldMaskIn(*field, w)) << FieldName(*field);
      }
      const FieldLines& after = lines_of(set);
      if (index < page.fields.size()) {
        ASSERT_EQ(after.text[index], LineHash(*field, value)) << FieldName(*field);
      }
      // Every other line stays, but for lines sharing the field's bits.
      for (std::size_t f = 0; f < page.fields.size(); ++f) {
        if (f == index || before.text[f] == 0) continue;
        if ((before.origin[f].mask[static_cast<std::size_t>(field->bits.word)] & field->bits.mask()) != 0) continue;
        ASSERT_EQ(after.text[f], before.text[f]) << FieldName(*field) << " moved " << FieldName(*page.fields[f]);
      }
    }
  }
}

TEST(Compose, EveryFieldEveryValueChangesOnlyItsBitsAndItsLine) {
  for (const PageCase& c : Pages()) {
    SCOPED_TRACE(c.name);
    if (c.page.words == 1) {
      // Every word, each decoded once.
      std::vector<FieldLines> all;
      all.reserve(0x10000);
      for (std::uint32_t v = 0; v <= 0xFFFF; ++v) all.push_back(LinesByField(c.page, std::vector{std::uint16_t(v)}));
      const auto lookup = [&](const std::vector<std::uint16_t>& words) -> const FieldLines& { return all[words[0]]; };
      for (std::uint32_t v = 0; v <= 0xFFFF && !::testing::Test::HasFatalFailure(); ++v) {
        CheckComposing(c.page, {static_cast<std::uint16_t>(v)}, lookup);
      }
      continue;
    }
    const auto decode = [&](const std::vector<std::uint16_t>& words) { return LinesByField(c.page, words); };
    std::mt19937 random(static_cast<unsigned>(c.page.words * 104729));
    for (int i = 0; i < 700 && !::testing::Test::HasFatalFailure(); ++i) {
      std::vector<std::uint16_t> words(c.page.words);
      for (std::uint16_t& word : words) word = static_cast<std::uint16_t>(random());
      CheckComposing(c.page, words, decode);
    }
  }
}

// Just the boxes, for sweeps: a model window holds every page.
class BoxWindow : public Window {
 public:
  std::string Text(std::string_view box) const override {
    const auto it = boxes_.find(std::string(box));
    return it == boxes_.end() ? std::string() : it->second;
  }
  void SetText(std::string_view box, std::string_view text) override { boxes_[std::string(box)] = text; }
  void ClearList(std::string_view) override {}
  void AppendLine(std::string_view, std::string_view) override {}
  void InputErrorReport(std::string_view) override {}
  void ShowError(std::string_view) override {}

 private:
  std::map<std::string, std::string> boxes_;
};

TEST(Compose, WordsRoundTripThroughTheBoxes) {
  for (const ComposePage& page : ComposePages()) {
    ForSweptWords(
        *page.fields,
        [&](const std::vector<std::uint16_t>& words) {
          BoxWindow window;
          WriteWords(window, page, words);
          const auto read = WordsOnPage(window, page);
          ASSERT_TRUE(read);
          ASSERT_EQ(*read, words);
          // What the console takes: one upper-case digit a box, each within its maximum.
          for (std::size_t w = 0; w < words.size(); ++w) {
            const std::vector<std::string> boxes = BoxesOf(page.controls, static_cast<int>(w));
            ASSERT_EQ(Joined({window.Text(boxes[0]), window.Text(boxes[1]), window.Text(boxes[2]),
                              window.Text(boxes[3]), window.Text(boxes[4])}),
                      Joined(WordOf(words[w])));
          }
        },
        500);
  }
}

TEST(Compose, NoWordToChangeAfterABadCharacterOrACountedCheck) {
  const ComposePage* sko = FindComposePage("sko");
  ASSERT_NE(sko, nullptr);
  ModelWindow window;
  Type<1>(window, sko->controls, {Word("27G A6")});
  EXPECT_FALSE(WordsOnPage(window, *sko));
  // An over-large position of a one-word page decodes from its low bits, and so composes.
  Type<1>(window, sko->controls, {Word("971A6")});
  ASSERT_TRUE(WordsOnPage(window, *sko));
  EXPECT_EQ(WordsOnPage(window, *sko)->front(), 0x3DA6);  // 171A6
  const ComposePage* second = FindComposePage("second-stage");
  ASSERT_NE(second, nullptr);
  Type<4>(window, second->controls, {Word("00000"), Word("08000"), Word("00000"), Word("00000")});
  EXPECT_FALSE(WordsOnPage(window, *second));
}

TEST(Compose, FieldValuesAsTheLinesShowThem) {
  const AhFieldPage& second = SecondStageFields();
  const auto field = [&](std::string_view name) {
    for (const AhField* f : SettableFields(second)) {
      if (FieldName(*f) == name) return f;
    }
    return static_cast<const AhField*>(nullptr);
  };
  const AhField* type = field("Тип абонентской линии");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(ParseFieldValue(*type, "САК"), 10U);
  EXPECT_EQ(ParseFieldValue(*type, "0b1000"), 8U);
  EXPECT_EQ(Choices(*type)[8].text, "0b1000");
  EXPECT_EQ(Choices(*type)[15].text, "0b1111");
  EXPECT_FALSE(ParseFieldValue(*type, "0b10000"));
  const AhField* block = field("№ 4-словного блока ОЗУ");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(ValueText(*block, FieldMax(*block)), "173FF");
  EXPECT_EQ(ParseFieldValue(*block, "173ff"), FieldMax(*block));
  EXPECT_FALSE(ParseFieldValue(*block, "273FF"));  // bit 2 is not the field's
  EXPECT_FALSE(ParseFieldValue(*block, "18000"));  // 8 is over the third position's 3
  const AhField* count = field("Количество сокращённых номеров");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(ParseFieldValue(*count, "7"), 7U);
  EXPECT_FALSE(ParseFieldValue(*count, "8"));
  EXPECT_FALSE(ParseFieldValue(*count, "-1"));
  EXPECT_FALSE(ParseFieldValue(*count, ""));
  const AhField* key = nullptr;
  for (const AhField* f : SettableFields(ThirdStageFields())) {
    if (FieldName(*f) == "Ключ-пароль") key = f;
  }
  ASSERT_NE(key, nullptr);
  // The key is shown from the word's last digit to its first.
  std::vector<std::uint16_t> words = {0, 0, 0, 0};
  SetField(ThirdStageFields(), *key, words, *ParseFieldValue(*key, "1234"));
  EXPECT_EQ(words[2], 0x4321);
}

TEST(Compose, FirstStageFormSwitchStartsTheOtherFormAtZero) {
  const AhFieldPage& page = FirstStageFields();
  std::vector<std::uint16_t> words = {0x769C};  // 3529C: class 7, hundred 13, tens and units 28
  const AhField* block = page.forms[1].fields.data() + 1;
  SetField(page, *block, words, 5);
  EXPECT_EQ(words[0], 0x8005);
  SetField(page, *page.form, words, 0);
  EXPECT_EQ(words[0], 0x0000);
  SetField(page, *page.form, words, 0);  // already that form: nothing moves
  EXPECT_EQ(words[0], 0x0000);
}

TEST(Compose, FieldNamesAreUniqueOnEveryPage) {
  for (const PageCase& c : Pages()) {
    std::set<std::string> names;
    for (const AhField* field : SettableFields(c.page)) {
      EXPECT_TRUE(names.insert(FieldName(*field)).second) << c.name << ": " << FieldName(*field);
      EXPECT_FALSE(FieldName(*field).empty()) << c.name;
      EXPECT_NE(FieldName(*field).back(), ' ');
    }
  }
}

}  // namespace
}  // namespace ostrolen::testing

// What a line of each subscriber page offers, what a change does to the
// boxes and the list, and Ctrl+Z: the rules both editions draw.
#include "pages/interaction.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

std::vector<const LineOrigin*> Pointers(const std::vector<LineOrigin>& origins) {
  std::vector<const LineOrigin*> pointers;
  for (const LineOrigin& origin : origins) pointers.push_back(&origin);
  return pointers;
}

std::map<std::string, std::string, std::less<>> BoxesOf(const ModelWindow& window, const ComposePage& page) {
  std::map<std::string, std::string, std::less<>> boxes;
  for (const std::string& name : EditRange(page.controls.first, page.controls.first + 5 * page.controls.words - 1)) {
    boxes[name] = window.Text(name);
  }
  return boxes;
}

// On random words of every page, every line's offer: a change through it
// gives the list a fresh press of the new words gives, the line of the same
// field is found again, and Ctrl+Z brings back the boxes and the list.
TEST(LineInteraction, EveryOfferChangesItsFieldAndIsTakenBack) {
  std::mt19937 random(20261208);
  for (const ComposePage& page : ComposePages()) {
    SCOPED_TRACE(std::string(page.fields->name));
    for (int round = 0; round < 25; ++round) {
      ModelWindow window;
      std::vector<std::uint16_t> words(static_cast<std::size_t>(page.controls.words));
      for (std::uint16_t& word : words) word = static_cast<std::uint16_t>(random());
      WriteWords(window, page, words);
      ASSERT_TRUE(Press(window, page.button));
      const std::string list(page.controls.list);
      const std::vector<LineOrigin> origins = window.Origins(list);
      const std::vector<std::string> lines = window.Lines(list);
      const auto boxes = BoxesOf(window, page);
      ChangeHistory history;
      int offered = 0;
      for (const LineOrigin& origin : origins) {
        const std::optional<LineOffer> offer = OfferOfLine(window, list, origin.field);
        const Activation activation = ActivationOf(offer);
        if (!offer) {
          EXPECT_EQ(activation, Activation::None);
          continue;
        }
        ++offered;
        EXPECT_EQ(offer->number.has_value(), IsNumeric(*offer->field));
        EXPECT_EQ(offer->toggle.has_value(), !offer->number && offer->values.size() == 2);
        EXPECT_EQ(activation, offer->number ? Activation::EditNumber
                                            : (offer->toggle ? Activation::Toggle : Activation::OpenMenu));
        EXPECT_EQ(offer->form != nullptr, FormField(*page.fields) != nullptr);
        const std::uint32_t current = GetField(*offer->field, offer->words);
        int marked = 0;
        for (const OfferedValue& value : offer->values) marked += value.current ? 1 : 0;
        if (!offer->number) EXPECT_LE(marked, 1);
        if (offer->number) {
          EXPECT_EQ(offer->number->value, ValueText(*offer->field, current));
          EXPECT_TRUE(EditedNumber(*offer, offer->number->value));
          EXPECT_FALSE(EditedNumber(*offer, "x"));
          EXPECT_NE(offer->number->label.find(" (от "), std::string::npos);
        }
        // The other value of a switch, else the largest number or the last named value.
        const std::uint32_t value = offer->toggle   ? *offer->toggle
                                    : offer->number ? FieldMax(*offer->field)
                                                    : offer->values.back().value;
        const std::optional<LineChange> change = ApplyToLine(window, *offer->page, *offer->field, value, origin.field);
        ASSERT_TRUE(change);
        EXPECT_EQ(change->button, page.button);
        EXPECT_EQ(change->line_field, origin.field);
        history.Add(*change);
        ASSERT_TRUE(Press(window, change->button));
        // The same list as a fresh press of the words now in the boxes.
        ModelWindow fresh;
        for (const auto& [name, text] : BoxesOf(window, page)) fresh.SetText(name, text);
        ASSERT_TRUE(Press(fresh, page.button));
        EXPECT_EQ(window.Lines(list), fresh.Lines(list));
        const int again = LineOfField(Pointers(window.Origins(list)), change->line_field);
        if (again >= 0) {
          const std::optional<LineOffer> after = OfferOfLine(window, list, change->line_field);
          ASSERT_TRUE(after);
          EXPECT_EQ(GetField(*after->field, after->words), std::min(value, FieldMax(*after->field)));
        }
        // Taken back at once.
        const std::optional<LineChange> undone = history.Undo(window);
        ASSERT_TRUE(undone);
        ASSERT_TRUE(Press(window, undone->button));
        EXPECT_EQ(BoxesOf(window, page), boxes);
        EXPECT_EQ(window.Lines(list), lines);
      }
      EXPECT_GT(offered, 0);
      EXPECT_FALSE(history.Undo(window));
    }
  }
}

TEST(LineInteraction, NoOfferWithoutAWordToChange) {
  const ComposePage& sko = *FindComposePage("sko");
  ModelWindow window;
  WriteWords(window, sko, std::vector<std::uint16_t>{0x271A});
  ASSERT_TRUE(Press(window, sko.button));
  const std::string list(sko.controls.list);
  const int field = window.Origins(list).front().field;
  ASSERT_TRUE(OfferOfLine(window, list, field));
  window.SetText("Edit274", "G");
  EXPECT_FALSE(OfferOfLine(window, list, field));
  EXPECT_FALSE(OfferOfLine(window, "ListBox4", field));  // a list that composes nothing
  EXPECT_FALSE(OfferOfLine(window, list, -1));
  EXPECT_FALSE(OfferOfLine(window, list, 999));
  EXPECT_FALSE(ApplyToLine(window, sko, *sko.fields->fields.front(), 0));
}

TEST(LineInteraction, OnlyOneChosenLineLightsItsBoxes) {
  const PageLayout& page = SkoPage();
  ModelWindow window;
  window.SetText("Edit274", "2");
  window.SetText("Edit275", "7");
  window.SetText("Edit276", "1");
  window.SetText("Edit277", "A");
  window.SetText("Edit278", "6");
  ASSERT_TRUE(Press(window, "SpeedButton14"));
  const std::vector<LineOrigin>& origins = window.Origins("ListBox7");
  ASSERT_GE(origins.size(), 2U);
  for (const LineOrigin& origin : origins) {
    const std::vector<const LineOrigin*> one = {&origin};
    EXPECT_EQ(LitBoxes(page, one).empty(), origin.empty());
    EXPECT_EQ(LineTip(page, origin).empty(), origin.empty());
  }
  const std::vector<const LineOrigin*> two = {&origins[0], &origins[1]};
  EXPECT_TRUE(LitBoxes(page, two).empty());
  EXPECT_TRUE(LitBoxes(page, {}).empty());
  const std::vector<const LineOrigin*> plain = {nullptr};
  EXPECT_TRUE(LitBoxes(page, plain).empty());
}

TEST(LineInteraction, CopyingGivesTheChosenLinesOrAll) {
  const std::vector<std::string> lines = {"a", "b ", "c"};
  EXPECT_EQ(CopiedText(lines, {false, false, false}), "a\nb \nc");
  EXPECT_EQ(CopiedText(lines, {}), "a\nb \nc");
  EXPECT_EQ(CopiedText(lines, {false, true, true}), "b \nc");
  EXPECT_EQ(CopiedText(lines, {true}), "a");
  EXPECT_EQ(CopiedText({}, {}), "");
}

}  // namespace
}  // namespace ostrolen

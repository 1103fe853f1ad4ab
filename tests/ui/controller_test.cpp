// The interaction controller: the rules both editions draw, checked on the
// controller itself, and the replay's script and dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/shell.h"
#include "pages/pages.h"
#include "tests/ui/quiet.h"
#include "ui/controller.h"
#include "ui/replay.h"

namespace ostrolen::ui {
namespace {

void Type(Controller& c, std::string_view text) {
  for (const char ch : text) {
    Key key;
    key.code = Key::Code::Character;
    key.text = std::string(1, ch);
    c.KeyIn(key);
  }
}

std::vector<int> Selected(const Controller& c, std::string_view list) {
  std::vector<int> rows;
  const auto& lines = c.ListOf(list).lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].selected) rows.push_back(static_cast<int>(i));
  }
  return rows;
}

int LineOf(const Controller& c, std::string_view list, std::string_view starts) {
  const auto& lines = c.ListOf(list).lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].text.rfind(starts, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

bool Has(const std::vector<Effect>& effects, Effect::Kind kind) {
  return std::any_of(effects.begin(), effects.end(), [kind](const Effect& e) { return e.kind == kind; });
}

TEST(Controller, StartsOnTheInitialPageWithTheFocusInItsFirstBox) {
  const Controller c(Quiet());
  const TabNode* node = &PageTree();
  while (node->page == nullptr) node = &node->children[static_cast<std::size_t>(node->initial)];
  EXPECT_EQ(&c.Front(), node->page);
  EXPECT_EQ(c.FocusNow().control, TabOrder(*node->page).front());
  EXPECT_TRUE(c.Idle());
}

TEST(Controller, TypingRunsThroughTheBoxesAndEnterPressesWithTheLinesDrawn) {
  Controller c(Quiet());
  ASSERT_TRUE(c.ShowPage(SkoPage().sheet, true));
  EXPECT_EQ(c.FocusNow().control, "") << "a tab chosen with the keys keeps the focus on the tabs";
  ASSERT_TRUE(c.ShowPage(ConverterPage().sheet));
  ASSERT_TRUE(c.ShowPage(SkoPage().sheet));
  EXPECT_EQ(c.FocusNow().control, "Edit274") << "a tab clicked: the page's first box";
  Type(c, "271A6");
  EXPECT_EQ(c.Text("Edit274"), "2");
  EXPECT_EQ(c.Text("Edit278"), "6");
  c.TakeEffects();
  c.KeyIn(Named(Key::Code::Enter));
  const std::vector<Effect> effects = c.TakeEffects();
  EXPECT_TRUE(Has(effects, Effect::Kind::Lines));
  EXPECT_TRUE(Has(effects, Effect::Kind::Address));
  const List& list = c.ListOf("ListBox7");
  ASSERT_FALSE(list.lines.empty());
  for (const Line& line : list.lines) {
    EXPECT_EQ(line.mark, 0);
    EXPECT_FALSE(line.selected);
    EXPECT_EQ(line.tip.empty(), line.origin.empty()) << line.text;
  }
  EXPECT_EQ(c.Address(), "sko=271A6");
}

TEST(Controller, AComparedListShowsItsGoneLinesWhereTheyStoodAndNeverSelectsThem) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  c.KeyIn(Ctrl('r'));
  ASSERT_FALSE(c.Open({"sko", {"271A4"}}));
  const List& list = c.ListOf("ListBox7");
  const auto gone = std::find_if(list.lines.begin(), list.lines.end(), [](const Line& l) { return l.gone; });
  ASSERT_NE(gone, list.lines.end());
  const int row = static_cast<int>(gone - list.lines.begin());
  EXPECT_EQ(gone->mark, '-');
  EXPECT_FALSE(c.ClickLine(row) && c.ListOf("ListBox7").lines[static_cast<std::size_t>(row)].selected);
  // The arrows pass over it.
  c.ClickLine(row - 1);
  c.KeyIn(Named(Key::Code::Down));
  EXPECT_EQ(Selected(c, "ListBox7"), std::vector<int>{row + 1});
  // A copy gives the page's own lines only.
  c.KeyIn(Ctrl('a'));
  ASSERT_TRUE(c.CopyLines());
  EXPECT_EQ(c.Clipboard().find(gone->text + "\n"), std::string::npos);
  const std::size_t own = static_cast<std::size_t>(
      std::count_if(list.lines.begin(), list.lines.end(), [](const Line& l) { return !l.gone; }));
  EXPECT_EQ(static_cast<std::size_t>(std::count(c.Clipboard().begin(), c.Clipboard().end(), '\n')) + 1, own);
}

TEST(Controller, KeepingTheReferenceActsOnThePageInFrontOnly) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  ASSERT_TRUE(c.ShowPage(ConverterPage().sheet));
  c.KeyIn(Ctrl('r'));  // the converter has no result list: nothing is kept
  ASSERT_FALSE(c.Open({"sko", {"271A4"}}));
  for (const Line& line : c.ListOf("ListBox7").lines) EXPECT_EQ(line.mark, 0) << line.text;
}

// PageUp and PageDown go as far as the list shows lines, less one, on every list.
TEST(Controller, PageKeysMoveByTheListsVisibleLinesLessOne) {
  for (const PageLayout* page : AllPages()) {
    const ListSpec* spec = page->list();
    if (spec == nullptr || page->commands.empty()) continue;
    Controller c(Quiet());
    const PageCommand& command = page->commands.front();
    if (c.Open({std::string(command.name), {}})) continue;
    const int n = static_cast<int>(c.ListOf(spec->name).lines.size());
    if (n < 2) continue;
    c.ClickLine(0);
    c.KeyIn(Named(Key::Code::PageDown));
    const int step = std::max(1, spec->height / spec->line_height - 1);
    EXPECT_EQ(Selected(c, spec->name), std::vector<int>{std::min(step, n - 1)}) << page->caption;
    c.KeyIn(Named(Key::Code::End));
    c.KeyIn(Named(Key::Code::PageUp));
    EXPECT_EQ(Selected(c, spec->name), std::vector<int>{std::max(0, n - 1 - step)}) << page->caption;
  }
}

TEST(Controller, EnterSwitchesALineOnlyWhenItAloneIsSelectedAndCtrlZTakesItBack) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  const int dialling = LineOf(c, "ListBox7", "Набор номера");
  ASSERT_GE(dialling, 0);
  c.ClickLine(dialling);
  c.ClickLine(dialling + 1, false, true);
  c.KeyIn(Named(Key::Code::Enter));
  EXPECT_EQ(c.Address(), "sko=271A6") << "two lines chosen: nothing switches";
  c.ClickLine(dialling);
  c.KeyIn(Named(Key::Code::Enter));
  EXPECT_NE(c.Address(), "sko=271A6");
  EXPECT_TRUE(c.CanUndo("ListBox7"));
  EXPECT_EQ(Selected(c, "ListBox7"), std::vector<int>{LineOf(c, "ListBox7", "Набор номера")});
  c.KeyIn(Ctrl('z'));
  EXPECT_FALSE(c.CanUndo("ListBox7"));
  EXPECT_EQ(c.Address(), "sko=271A6");
}

TEST(Controller, TheMenuListsTheFieldsValuesAndItsChoiceChangesTheWord) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  const int line = LineOf(c, "ListBox7", "Тип абонентской линии");
  ASSERT_TRUE(c.MenuOnLine(line));
  const Menu& menu = c.MenuNow();
  ASSERT_TRUE(menu.open);
  EXPECT_EQ(menu.items.back().text, shell::kCopyLines);
  EXPECT_EQ(std::count_if(menu.items.begin(), menu.items.end(), [](const MenuItem& i) { return i.checked == 1; }), 1);
  const auto other =
      std::find_if(menu.items.begin(), menu.items.end(), [](const MenuItem& i) { return i.checked == 0; });
  ASSERT_NE(other, menu.items.end());
  const std::string before = c.Address();
  ASSERT_TRUE(c.Choose(other->text));
  EXPECT_FALSE(c.MenuNow().open);
  EXPECT_NE(c.Address(), before);
  // Escape closes a menu without a change; keys go nowhere else meanwhile.
  c.MenuOnLine(line);
  Type(c, "7");
  c.KeyIn(Named(Key::Code::Escape));
  EXPECT_FALSE(c.MenuNow().open);
  EXPECT_EQ(c.FocusNow().control, "ListBox7");
}

TEST(Controller, TheNumberEditorTakesAValueOrATextThatMayGrowIntoOneUpToEighteenCharacters) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"first-stage", {"3529C"}}));
  const List& list = c.ListOf(FirstStagePage().list()->name);
  int numeric = -1;
  for (std::size_t i = 0; i < list.lines.size() && numeric < 0; ++i) {
    c.ClickLine(static_cast<int>(i));
    c.DoubleClickLine(static_cast<int>(i));
    if (c.EditorNow().open) numeric = static_cast<int>(i);
    c.KeyIn(Named(Key::Code::Escape));
  }
  ASSERT_GE(numeric, 0) << "the first stage has a number to edit";
  c.DoubleClickLine(numeric);
  ASSERT_TRUE(c.EditorNow().open);
  EXPECT_EQ(c.FocusNow().control, kEditorBox);
  Type(c, "xxxxxxxxxxxxxxxxxxxxxxxxx");
  EXPECT_EQ(c.EditorNow().text.size(), 18U);
  EXPECT_FALSE(c.EditorNow().ok);
  EXPECT_FALSE(c.Choose(shell::kOk));
  c.KeyIn(Named(Key::Code::Escape));
  EXPECT_FALSE(c.EditorNow().open);
  EXPECT_EQ(c.FocusNow().control, FirstStagePage().list()->name);
}

TEST(Controller, TheHistoryIsModalAndPutsAnEntryBackOnItsPage) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  ASSERT_FALSE(c.Open({"sko", {"271A4"}}));
  ASSERT_TRUE(c.ShowPage(ConverterPage().sheet));
  c.KeyIn(Ctrl('h'));
  ASSERT_TRUE(c.History().open);
  ASSERT_EQ(c.History().entries.size(), 2U);
  EXPECT_FALSE(c.Press(ConverterPage().buttons.front().name)) << "no button while the history is open";
  EXPECT_TRUE(c.Choose(c.History().entries[1].title));  // a second entry chosen beside the first
  EXPECT_TRUE(c.History().can_compare);
  EXPECT_FALSE(c.History().can_choose);
  EXPECT_TRUE(c.Choose(shell::kCompareEntries));
  EXPECT_FALSE(c.History().open);
  EXPECT_EQ(&c.Front(), &SkoPage());
  EXPECT_EQ(c.Text("Edit278"), "4");
  const auto& lines = c.ListOf("ListBox7").lines;
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const Line& l) { return l.mark == '~' || l.mark == '-'; }));
}

TEST(Controller, APressThatReadsTheDatabaseWaitsForTheAnswerAndAnEndedReadingChangesNothing) {
  Controller c(Quiet());
  ASSERT_TRUE(c.ShowPage(SegmentsPage().sheet));
  const ButtonSpec& button = SegmentsPage().buttons.front();
  ASSERT_TRUE(c.Press(button.name));
  std::vector<Effect> effects = c.TakeEffects();
  const auto read =
      std::find_if(effects.begin(), effects.end(), [](const Effect& e) { return e.kind == Effect::Kind::Read; });
  ASSERT_NE(read, effects.end());
  EXPECT_FALSE(read->statements.empty());
  EXPECT_FALSE(c.Idle());
  c.KeyIn(Named(Key::Code::Escape));
  EXPECT_TRUE(Has(c.TakeEffects(), Effect::Kind::CancelReading));
  std::vector<StatementOutcome> cancelled(read->statements.size());
  for (StatementOutcome& outcome : cancelled) outcome.failure = ReadFailure::Cancelled;
  c.ReadingAnswered(cancelled);
  EXPECT_TRUE(c.Idle());
  EXPECT_FALSE(Has(c.TakeEffects(), Effect::Kind::Lines));
  EXPECT_EQ(c.Address(), "");
}

TEST(Controller, TheSearchListsAsOneTypesAndTheArrowsMarkAMatch) {
  Controller c(Quiet());
  c.Find("КФ");
  ASSERT_TRUE(c.Search().open);
  ASSERT_GT(c.Search().shown.lines.size(), 1U);
  EXPECT_EQ(c.Search().current, 0);
  c.KeyIn(Named(Key::Code::Down));
  EXPECT_EQ(c.Search().current, 1);
  c.KeyIn(Named(Key::Code::Escape));
  EXPECT_FALSE(c.Search().open);
  c.KeyIn(Named(Key::Code::Backspace));
  c.KeyIn(Named(Key::Code::Backspace));
  EXPECT_EQ(c.Search().text, "");
  EXPECT_FALSE(c.Search().open);
}

TEST(Replay, ScriptsNameTheirActionsKeysAndEscapes) {
  std::string error;
  const auto actions = ParseScript("# a comment\r\n\r\nopen sko\r\ntype  \\x41\\u0416\\t\nkey Ctrl+Z\n", error);
  ASSERT_TRUE(actions) << error;
  ASSERT_EQ(actions->size(), 4U);
  EXPECT_EQ((*actions)[0].name, "open");
  EXPECT_EQ((*actions)[0].line, 3);
  EXPECT_EQ((*actions)[1].arg, " AЖ\t");
  EXPECT_EQ(actions->back().name, "dump");
  for (const char* bad : {"jump 1\n", "key Ctrl+Q+\n", "key F7\n", "type \\q\n", "type \\x4\n"}) {
    EXPECT_FALSE(ParseScript(bad, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(ParseKey("Shift+F10")->code, Key::Code::Menu);
  EXPECT_EQ(ParseKey("PgDown")->code, Key::Code::PageDown);
  EXPECT_EQ(ParseKey("Ctrl+Z")->text, "z");
}

TEST(Replay, AnUnknownActionWritesNothingAndSkippedActionsAreNamed) {
  std::string out;
  std::string err;
  EXPECT_EQ(RunReplay("open sko\nfly away\n", out, err), 2);
  EXPECT_TRUE(out.empty());
  EXPECT_NE(err.find("line 2"), std::string::npos);
  err.clear();
  EXPECT_EQ(RunReplay("open sko\nclick 40\nchoose nothing\nfocus Edit1\nopen nowhere\n", out, err), 0);
  EXPECT_NE(out.find("skipped\t2\tclick\nskipped\t3\tchoose\nskipped\t4\tfocus\nskipped\t5\topen\nend\n"),
            std::string::npos)
      << out;
}

// Random scripts over every page and action: the replay runs them to the end,
// the same twice, and every record of a dump is one the format names.
TEST(Replay, RandomScriptsRunToWellFormedDumpsTheSameEachTime) {
  const std::vector<std::string> records = {
      "dump",      "page",   "button",  "box",   "focus",   "line",  "lit",  "menu",  "item",    "editor",  "message",
      "clipboard", "search", "problem", "match", "history", "entry", "undo", "title", "address", "skipped", "end"};
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    const std::string script = RandomScript(seed, 40);
    std::string first;
    std::string second;
    std::string err;
    ASSERT_EQ(RunReplay(script, first, err), 0) << err;
    ASSERT_EQ(RunReplay(script, second, err), 0);
    EXPECT_EQ(first, second) << "seed " << seed;
    std::size_t at = 0;
    while (at < first.size()) {
      const std::size_t end = first.find('\n', at);
      const std::string line = first.substr(at, end - at);
      at = end + 1;
      const std::string record = line.substr(0, line.find('\t'));
      EXPECT_NE(std::find(records.begin(), records.end(), record), records.end()) << line;
    }
  }
}

}  // namespace
}  // namespace ostrolen::ui

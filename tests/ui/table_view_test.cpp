// The table of many records as the controller holds it for both editions:
// opened by its key, records decoded a batch at a time, the counts, the
// filter and the order with the chosen rows, a copy and an export, a row
// opened on its page, and an input that is not text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/decode.h"
#include "pages/pages.h"
#include "tests/ui/quiet.h"
#include "ui/controller.h"

namespace ostrolen::ui {
namespace {

int PageIndex(std::string_view name) {
  const std::vector<TablePage>& pages = TablePages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].command->name == name) return static_cast<int>(i);
  }
  return -1;
}

bool Emitted(Controller& c, Effect::Kind kind, Effect* found = nullptr) {
  for (Effect& effect : c.TakeEffects()) {
    if (effect.kind != kind) continue;
    if (found != nullptr) *found = effect;
    return true;
  }
  return false;
}

// Opens the table on `page` and decodes `input`, `batch` records a step.
void Decode(Controller& c, std::string_view page, std::string_view input, std::size_t batch = 2) {
  if (!c.TableNow().open) {
    ASSERT_TRUE(c.KeyIn(Ctrl('b')));
  }
  ASSERT_TRUE(c.TableChoosePage(PageIndex(page)));
  c.TableBuild(input);
  int steps = 0;
  while (c.TableStep(batch)) ++steps;
  EXPECT_FALSE(c.TableNow().building);
  c.TakeEffects();
}

constexpr std::string_view kRecords =
    "# the hundred's first records\n"
    "2001\t271A6\n"
    "2002: 271A7\n"
    "\n"
    "2003\t27ZA6\n"
    "2004\t071A0\n";

TEST(TableView, OpensOnThePageInFrontAndOffersNoPageThatReadsTheDatabase) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  c.TakeEffects();
  EXPECT_TRUE(c.KeyIn(Ctrl('b')));
  EXPECT_TRUE(Emitted(c, Effect::Kind::Table));
  EXPECT_TRUE(c.TableNow().open);
  EXPECT_EQ(TablePages()[static_cast<std::size_t>(c.TableNow().page)].caption, "АХ, СКО");
  for (const TablePage& page : TablePages()) {
    EXPECT_NE(page.command->name, "segment");
    EXPECT_TRUE(page.command->shown.empty()) << page.command->name;
  }
  // While it is open, the keys are the table's: Ctrl+R keeps nothing.
  EXPECT_FALSE(c.KeyIn(Ctrl('r')));
  EXPECT_TRUE(c.KeyIn(Named(Key::Code::Escape)));
  EXPECT_FALSE(c.TableNow().open);
}

TEST(TableView, RecordsDecodedABatchAtATimeWithTheirCounts) {
  Controller c(Quiet());
  ASSERT_TRUE(c.KeyIn(Ctrl('b')));
  ASSERT_TRUE(c.TableChoosePage(PageIndex("sko")));
  c.TableBuild(kRecords);
  EXPECT_TRUE(c.TableNow().building);
  EXPECT_EQ(c.TableNow().Counts(), "Разбор записей: 0 из 4");
  EXPECT_TRUE(c.TableStep(3));
  EXPECT_EQ(c.TableNow().Counts(), "Разбор записей: 3 из 4");
  EXPECT_FALSE(c.TableStep(3));
  EXPECT_EQ(c.TableNow().Counts(), "Записей: 4, показано: 4, ошибок: 1");
  // A row is the record's label, its words, then its fields, as a single decode shows them.
  const std::vector<std::string> first = c.TableCells(0);
  ASSERT_GE(first.size(), 3U);
  EXPECT_EQ(first[0], "2001");
  EXPECT_EQ(first[1], "271A6");
  const DecodeOutcome alone = DecodeOn(*FindPageCommand("sko"), {"271A6"});
  const std::vector<Column>& columns = c.TableNow().table->columns();
  for (const SourcedLine& line : alone.lines) {
    if (line.text != "Набор номера = Частотный") continue;
    const auto column =
        std::find_if(columns.begin(), columns.end(), [](const Column& k) { return k.name == "Набор номера"; });
    ASSERT_NE(column, columns.end());
    EXPECT_EQ(first[static_cast<std::size_t>(column - columns.begin())], "Частотный");
  }
  EXPECT_EQ(c.TableCells(1)[0], "2002");
  EXPECT_FALSE(c.TableCells(2).back().empty());  // 27ZA6: the page's own message
  EXPECT_TRUE(c.TableCells(4).empty());
}

TEST(TableView, StoppedDecodingKeepsTheRowsDecoded) {
  Controller c(Quiet());
  ASSERT_TRUE(c.KeyIn(Ctrl('b')));
  ASSERT_TRUE(c.TableChoosePage(PageIndex("sko")));
  c.TableBuild(kRecords);
  EXPECT_TRUE(c.TableStep(2));
  EXPECT_TRUE(c.KeyIn(Named(Key::Code::Escape)));  // Escape stops first, then closes
  EXPECT_TRUE(c.TableNow().open);
  EXPECT_FALSE(c.TableNow().building);
  EXPECT_EQ(c.TableNow().Counts(), "Записей: 2, показано: 2, ошибок: 0 (разбор прерван: 2 из 4)");
  EXPECT_FALSE(c.TableStep(2));
}

TEST(TableView, FilterAndOrderKeepTheChosenRows) {
  Controller c(Quiet());
  Decode(c, "sko", kRecords);
  const std::vector<Column>& columns = c.TableNow().table->columns();
  c.TableFilter("набор номера = ЧАСТОТНЫЙ");
  const std::size_t tone = c.TableNow().Shown();
  EXPECT_GT(tone, 0U);
  EXPECT_LT(tone, 4U);
  for (std::size_t row = 0; row < tone; ++row) {
    const std::vector<std::string> cells = c.TableCells(row);
    const auto column =
        std::find_if(columns.begin(), columns.end(), [](const Column& k) { return k.name == "Набор номера"; });
    EXPECT_EQ(cells[static_cast<std::size_t>(column - columns.begin())], "Частотный");
  }
  c.TableFilter("");
  ASSERT_EQ(c.TableNow().Shown(), 4U);
  // The second row chosen stays chosen where the order puts it.
  c.TableChosen({1}, 1);
  ASSERT_TRUE(c.TableSort(0));
  EXPECT_FALSE(c.TableNow().descending);
  ASSERT_TRUE(c.TableSort(0));
  EXPECT_TRUE(c.TableNow().descending);
  EXPECT_EQ(c.TableCells(0)[0], "2004");
  EXPECT_EQ(c.TableNow().current, 2);
  EXPECT_EQ(c.TableNow().ChosenRows(), std::vector<std::size_t>{1});
  EXPECT_FALSE(c.TableSort(static_cast<int>(columns.size())));
}

TEST(TableView, CopyExportAndOpenARow) {
  Controller c(Quiet());
  Decode(c, "sko", kRecords);
  // Nothing chosen: nothing copied.
  EXPECT_TRUE(c.KeyIn(Ctrl('c')));
  EXPECT_FALSE(Emitted(c, Effect::Kind::Clipboard));
  c.TableChosen({0, 1}, 1);
  EXPECT_TRUE(c.KeyIn(Ctrl('c')));
  Effect copied;
  ASSERT_TRUE(Emitted(c, Effect::Kind::Clipboard, &copied));
  EXPECT_TRUE(copied.text.starts_with("2001\t271A6\t"));
  EXPECT_NE(copied.text.find("\n2002\t271A7\t"), std::string::npos);
  EXPECT_EQ(c.Clipboard(), copied.text);

  Effect saved;
  ASSERT_TRUE(c.TableExport("csv"));
  ASSERT_TRUE(Emitted(c, Effect::Kind::SaveTable, &saved));
  EXPECT_EQ(saved.name, "ostrolen-table-sko.csv");
  EXPECT_TRUE(saved.text.starts_with("\xEF\xBB\xBFМетка;Слова;"));
  EXPECT_FALSE(c.TableExport("xls"));

  // Enter opens the current row on its page, decoded, and the table closes.
  EXPECT_TRUE(c.KeyIn(Named(Key::Code::Enter)));
  EXPECT_FALSE(c.TableNow().open);
  EXPECT_EQ(c.Front().sheet, SkoPage().sheet);
  const DecodeOutcome alone = DecodeOn(*FindPageCommand("sko"), {"271A7"});
  const List& list = c.ListOf(SkoPage().list()->name);
  ASSERT_EQ(list.lines.size(), alone.lines.size());
  for (std::size_t i = 0; i < list.lines.size(); ++i) EXPECT_EQ(list.lines[i].text, alone.lines[i].text);
}

TEST(TableView, AnInputThatIsNotTextKeepsTheRows) {
  Controller c(Quiet());
  Decode(c, "sko", kRecords);
  c.TableBuild(std::string_view("2005\t271A6\n\0\n", 13), "dump.bin");
  EXPECT_EQ(c.TableNow().Counts(), kBinaryInput);
  EXPECT_EQ(c.TableNow().table->RowCount(), 4U);
  // Another page: other columns, and the last page's rows go.
  ASSERT_TRUE(c.TableChoosePage(PageIndex("uvp")));
  EXPECT_EQ(c.TableNow().table, nullptr);
  c.TableBuild("# nothing but a note\n\n");
  EXPECT_EQ(c.TableNow().Counts(), kNoRecords);
}

}  // namespace
}  // namespace ostrolen::ui

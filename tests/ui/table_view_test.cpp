// The table of many records as the controller holds it for both editions:
// opened by its key, records decoded a batch at a time, the counts, the
// filter and the order with the chosen rows, a copy and an export, a row
// opened on its page, and an input that is not text.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "pages/decode.h"
#include "pages/pages.h"
#include "pages/segments/segments.h"
#include "reader/database.h"
#include "tests/ui/quiet.h"
#include "ui/controller.h"
#include "ui/table.h"

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

TEST(TableView, OpensOnThePageInFrontAndOffersEveryRecordPage) {
  Controller c(Quiet());
  ASSERT_FALSE(c.Open({"sko", {"271A6"}}));
  c.TakeEffects();
  EXPECT_TRUE(c.KeyIn(Ctrl('b')));
  EXPECT_TRUE(Emitted(c, Effect::Kind::Table));
  EXPECT_TRUE(c.TableNow().open);
  EXPECT_EQ(TablePages()[static_cast<std::size_t>(c.TableNow().page)].caption, "АХ, СКО");
  for (const TablePage& page : TablePages()) EXPECT_TRUE(page.command->shown.empty()) << page.command->name;
  EXPECT_GE(PageIndex("segment"), 0);
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
  ASSERT_TRUE(c.TableClick(1));
  ASSERT_TRUE(c.TableSort(0));
  EXPECT_FALSE(c.TableNow().descending);
  ASSERT_TRUE(c.TableSort(0));
  EXPECT_TRUE(c.TableNow().descending);
  EXPECT_EQ(c.TableCells(0)[0], "2004");
  EXPECT_EQ(c.TableNow().current, 2);
  EXPECT_EQ(c.TableNow().ChosenRows(), std::vector<std::size_t>{1});
  EXPECT_FALSE(c.TableSort(static_cast<int>(columns.size())));
}

// The rows chosen as a list chooses its lines: a click, Shift and Ctrl with
// a click or a key, the arrows, the pages, Home, End and Ctrl+A; each change
// told to the front ends as a choice alone.
TEST(TableView, RowsAreChosenByClicksAndKeysAsALineIs) {
  Controller c(Quiet());
  std::string input;
  for (int i = 0; i < 30; ++i) input += std::to_string(i) + "\t271A6\n";
  Decode(c, "sko", input, 30);
  const auto chosen = [&c] {
    std::vector<int> rows;
    for (std::size_t i = 0; i < c.TableNow().chosen.size(); ++i) {
      if (c.TableNow().chosen[i]) rows.push_back(static_cast<int>(i));
    }
    return rows;
  };
  const auto key = [&c](Key::Code code, bool shift = false) {
    EXPECT_TRUE(c.KeyInTable(Named(code, shift)));
    return c.TableNow().current;
  };
  // No row current yet: Down goes to the first, End to the last.
  EXPECT_EQ(key(Key::Code::Down), 0);
  EXPECT_TRUE(Emitted(c, Effect::Kind::TableChoice));
  EXPECT_EQ(key(Key::Code::End), 29);
  EXPECT_EQ(chosen(), std::vector<int>{29});
  EXPECT_EQ(key(Key::Code::Down), 29);
  c.TableRowsInView(7);
  EXPECT_EQ(key(Key::Code::PageUp), 22);
  EXPECT_EQ(key(Key::Code::Up, true), 21);
  EXPECT_EQ(key(Key::Code::Up, true), 20);
  EXPECT_EQ(chosen(), (std::vector<int>{20, 21, 22}));
  EXPECT_EQ(key(Key::Code::Down, true), 21);
  EXPECT_EQ(chosen(), (std::vector<int>{21, 22}));
  EXPECT_EQ(key(Key::Code::Home), 0);
  EXPECT_EQ(key(Key::Code::PageDown), 7);
  EXPECT_EQ(key(Key::Code::PageUp), 0);
  EXPECT_EQ(key(Key::Code::PageUp), 0);

  ASSERT_TRUE(c.TableClick(4));
  ASSERT_TRUE(c.TableClick(6, false, true));
  ASSERT_TRUE(c.TableClick(4, false, true));
  EXPECT_EQ(chosen(), std::vector<int>{6});
  ASSERT_TRUE(c.TableClick(9, true));  // from the anchor, the row last clicked with Ctrl
  EXPECT_EQ(chosen(), (std::vector<int>{4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(c.TableNow().current, 9);
  EXPECT_FALSE(c.TableClick(30));
  EXPECT_FALSE(c.TableClick(-1));
  c.TakeEffects();
  EXPECT_TRUE(c.KeyInTable(Ctrl('a')));
  EXPECT_EQ(chosen().size(), 30U);
  std::vector<Effect> effects = c.TakeEffects();
  ASSERT_EQ(effects.size(), 1U);
  EXPECT_EQ(effects[0].kind, Effect::Kind::TableChoice);
  // A letter or a key with Ctrl is not the table's: the front end's own.
  EXPECT_FALSE(c.KeyInTable(Named(Key::Code::Character)));
  EXPECT_FALSE(c.KeyInTable(Named(Key::Code::Tab)));

  // The filter chooses nothing; a range begins afresh.
  c.TableFilter("2");
  EXPECT_TRUE(chosen().empty());
  EXPECT_EQ(c.TableNow().current, -1);
  ASSERT_TRUE(c.TableClick(2, true));
  EXPECT_EQ(chosen(), std::vector<int>{2});
}

TEST(TableView, CopyExportAndOpenARow) {
  Controller c(Quiet());
  Decode(c, "sko", kRecords);
  // Nothing chosen: nothing copied.
  EXPECT_TRUE(c.KeyIn(Ctrl('c')));
  EXPECT_FALSE(Emitted(c, Effect::Kind::Clipboard));
  ASSERT_TRUE(c.TableClick(0));
  ASSERT_TRUE(c.TableClick(1, true));
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

// A reference database of the test's own: each lookup finds a row that names
// what was asked; the steps numbered 9 are in no table.
class OwnDatabase {
 public:
  OwnDatabase() {
    ReferenceDatabase().SetRunner([this](const std::string& /*file*/, const std::vector<Statement>& statements) {
      ++runs;
      std::vector<StatementOutcome> outcomes;
      for (const Statement& statement : statements) outcomes.push_back(Answer(statement));
      return outcomes;
    });
  }
  ~OwnDatabase() { ReferenceDatabase().SetRunner({}); }
  OwnDatabase(const OwnDatabase&) = delete;
  OwnDatabase& operator=(const OwnDatabase&) = delete;

  int runs = 0;

 private:
  static StatementOutcome Answer(const Statement& statement) {
    std::string asked = statement.table;
    for (const Condition& condition : statement.conditions) {
      if (condition.column == "nomstep" && condition.pattern == "9") return Failed(ReadFailure::MissingTable);
      asked += " " + condition.column + "=" + condition.pattern;
    }
    StatementOutcome outcome;
    outcome.result.has_row = true;
    for (const char* column : {"oborud", "isppro", "neispr", "prim", "d", "object", "info", "priem", "ts"}) {
      outcome.result.columns.emplace_back(column);
      outcome.result.row.push_back({Value::Kind::Text, std::string(column) + " of " + asked});
    }
    return outcome;
  }
};

std::optional<Effect> ReadAsked(const std::vector<Effect>& effects) {
  for (const Effect& effect : effects) {
    if (effect.kind == Effect::Kind::Read) return effect;
  }
  return std::nullopt;
}

TEST(TableView, TheSegmentsTableReadsTheLookupsOfManyRecordsAtOnce) {
  OwnDatabase database;
  std::string input;
  const std::vector<std::string> segments = {"12", "3C", "3d", "7", "0"};
  for (int i = 0; i < 1200; ++i) {
    input += std::to_string(i) + "\t" + segments[static_cast<std::size_t>(i) % segments.size()] + " " +
             std::to_string(i % 11) + (i % 97 == 5 ? " 1" : "") + "\n";
  }
  Controller c(Quiet());
  ASSERT_TRUE(c.KeyIn(Ctrl('b')));
  ASSERT_TRUE(c.TableChoosePage(PageIndex("segment")));
  c.TableBuild(input);
  c.TakeEffects();
  int readings = 0;
  while (c.TableStep(2000)) {
    const std::optional<Effect> read = ReadAsked(c.TakeEffects());
    ASSERT_TRUE(read) << "a step on the segments page reads before it decodes";
    ++readings;
    EXPECT_TRUE(c.TableNow().reading);
    EXPECT_EQ(c.TableNow().Counts(),
              "Разбор записей: " + std::to_string(c.TableNow().done) + " из 1200. Чтение базы данных…");
    // While the database reads, a step waits.
    const std::size_t done = c.TableNow().done;
    EXPECT_TRUE(c.TableStep(2000));
    EXPECT_TRUE(c.TakeEffects().empty());
    // A lookup that records share is asked once: 5 segments, 11 steps.
    EXPECT_LE(read->statements.size(), 5U * 11U * 3U);
    for (std::size_t i = 0; i < read->statements.size(); ++i) {
      EXPECT_EQ(std::count(read->statements.begin(), read->statements.end(), read->statements[i]), 1);
    }
    c.ReadingAnswered(ReferenceDatabase().Run(read->statements));
    EXPECT_FALSE(c.TableNow().reading);
    EXPECT_EQ(c.TableNow().done, std::min<std::size_t>(done + kTableRecordsPerReading, 1200));
  }
  // 500 records a reading, and no record read the database on its own.
  EXPECT_EQ(readings, 3);
  EXPECT_EQ(database.runs, readings);

  // Every cell as the command line's table, which looks each record up alone, has it.
  Table alone(*FindPageCommand("segment"));
  for (const Record& record : ReadInput(input).records) alone.Add(record);
  ASSERT_EQ(alone.RowCount(), 1200U);
  for (std::size_t row = 0; row < alone.RowCount(); ++row) {
    std::vector<std::string> cells;
    for (std::size_t column = 0; column < alone.columns().size(); ++column) cells.push_back(alone.Cell(row, column));
    ASSERT_EQ(c.TableCells(row), cells) << "row " << row;
  }
  EXPECT_EQ(database.runs, readings + 1200 - 13);  // a record of three words reads nothing
  // The steps numbered 9 of the segments that are not control segments, and the records of three words.
  EXPECT_EQ(alone.ErrorCount(), 77U);
  EXPECT_EQ(c.TableNow().Counts(), "Записей: 1200, показано: 1200, ошибок: 77");
}

TEST(TableView, AReadingEndedOrOutlivedByItsTableChangesNoRow) {
  OwnDatabase database;
  Controller c(Quiet());
  ASSERT_TRUE(c.KeyIn(Ctrl('b')));
  ASSERT_TRUE(c.TableChoosePage(PageIndex("segment")));
  c.TableBuild("12 1\n12 2\n12 3\n");
  c.TakeEffects();
  ASSERT_TRUE(c.TableStep(1));
  std::optional<Effect> read = ReadAsked(c.TakeEffects());
  ASSERT_TRUE(read);
  c.ReadingAnswered(ReferenceDatabase().Run(read->statements));
  ASSERT_EQ(c.TableNow().done, 1U);

  // Escape while it reads: the reading is ended, and its end stops the table.
  ASSERT_TRUE(c.TableStep(1));
  read = ReadAsked(c.TakeEffects());
  ASSERT_TRUE(read);
  EXPECT_TRUE(c.KeyIn(Named(Key::Code::Escape)));
  EXPECT_TRUE(Emitted(c, Effect::Kind::CancelReading));
  EXPECT_FALSE(c.TableNow().building);
  EXPECT_TRUE(c.TableNow().open);
  std::vector<StatementOutcome> cancelled(read->statements.size());
  for (StatementOutcome& outcome : cancelled) outcome.failure = ReadFailure::Cancelled;
  c.ReadingAnswered(cancelled);
  EXPECT_EQ(c.TableNow().Counts(), "Записей: 1, показано: 1, ошибок: 0 (разбор прерван: 1 из 3)");

  // The reader ended from outside (the window's Escape goes to it first): the same.
  c.TableBuild("12 1\n12 2\n");
  ASSERT_TRUE(c.TableStep(5));
  read = ReadAsked(c.TakeEffects());
  ASSERT_TRUE(read);
  cancelled.assign(read->statements.size(), Failed(ReadFailure::Cancelled));
  c.ReadingAnswered(cancelled);
  EXPECT_FALSE(c.TableNow().building);
  EXPECT_EQ(c.TableNow().Counts(), "Записей: 0, показано: 0, ошибок: 0 (разбор прерван: 0 из 2)");

  // A new input while the last one's reading is out: its answer is not the new rows'.
  c.TableBuild("12 1\n12 2\n");
  ASSERT_TRUE(c.TableStep(5));
  const std::optional<Effect> old = ReadAsked(c.TakeEffects());
  ASSERT_TRUE(old);
  c.TableBuild("7 4\n");
  EXPECT_TRUE(Emitted(c, Effect::Kind::CancelReading));
  EXPECT_TRUE(c.TableStep(5));  // waits for the old reading's end
  c.ReadingAnswered(ReferenceDatabase().Run(old->statements));
  EXPECT_EQ(c.TableNow().done, 0U);
  ASSERT_TRUE(c.TableStep(5));
  read = ReadAsked(c.TakeEffects());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->statements, LookupStatements("7", "4"));
  c.ReadingAnswered(ReferenceDatabase().Run(read->statements));
  EXPECT_FALSE(c.TableNow().building);
  EXPECT_EQ(c.TableCells(0)[1], "7 4");

  // Closed while it reads: the reading is ended, a late answer opens nothing.
  c.TableBuild("12 1\n");
  ASSERT_TRUE(c.TableStep(5));
  read = ReadAsked(c.TakeEffects());
  ASSERT_TRUE(read);
  c.CloseTable();
  EXPECT_TRUE(Emitted(c, Effect::Kind::CancelReading));
  c.ReadingAnswered(ReferenceDatabase().Run(read->statements));
  EXPECT_FALSE(c.TableNow().open);
  EXPECT_TRUE(c.Idle());
}

}  // namespace
}  // namespace ostrolen::ui

// The table of decoded records: each row is what a single decode of its
// record shows, the input is read as the operator's files come, and the
// filter, the order and the exports keep every cell as it is.
#include "ui/table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pages/decode.h"
#include "pages/session.h"

namespace ostrolen::ui {
namespace {

const PageCommand& Page(std::string_view name) {
  const PageCommand* page = FindPageCommand(name);
  if (page == nullptr) throw std::invalid_argument(std::string(name));
  return *page;
}

Record R(int line, std::string words, std::optional<std::string> label = std::nullopt) {
  return {line, std::move(label), std::move(words)};
}

// The page's example, each character changed now and then: to another
// digit, to a letter no word has, or left out; now and then a word more.
std::string RandomWords(const PageCommand& page, std::mt19937& random) {
  std::string words(page.example);
  const bool bits = words.find_first_not_of("01 ") == std::string::npos;
  const std::string digits = bits ? "01" : "0123456789ABCDEFabcdef";
  std::string out;
  for (const char c : words) {
    const unsigned roll = random() % 100;
    if (c == ' ' || roll >= 60) {
      out += c;
    } else if (roll < 52) {
      out += digits[random() % digits.size()];
    } else if (roll < 56) {
      out += "ZЖ-"[random() % 3];
    }
  }
  if (random() % 10 == 0) out += " 1";
  return out;
}

// The cell a field's line gives: the line less the field's name and what
// joins the value to it; the whole line when nothing follows the name.
std::string ExpectedCell(const std::string& line, const std::string& name) {
  if (!line.starts_with(name)) return line;
  std::string_view rest = std::string_view(line).substr(name.size());
  std::size_t at = rest.find_first_not_of(' ');
  if (at == std::string_view::npos) return line;
  if (rest[at] == '=') at = rest.find_first_not_of(' ', at + 1);
  return std::string(rest.substr(at == std::string_view::npos ? rest.size() : at));
}

// Every record page but the segments page, whose decode reads a database.
std::vector<const PageCommand*> RecordPages() {
  std::vector<const PageCommand*> pages;
  for (const PageCommand* page : PageCommands()) {
    if (IsRecordPage(*page) && page->name != "segment") pages.push_back(page);
  }
  return pages;
}

TEST(Table, EachRowIsTheSingleDecodeOfItsRecord) {
  std::mt19937 random(20261211);
  int fields_checked = 0;
  int failures = 0;
  for (const PageCommand* page : RecordPages()) {
    Table table(*page);
    std::vector<std::string> all;
    for (int i = 0; i < 150; ++i) {
      all.push_back(RandomWords(*page, random));
      table.Add(R(i + 1, all.back(), "r" + std::to_string(i)));
    }
    ASSERT_EQ(table.RowCount(), all.size());
    std::size_t errors = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
      SCOPED_TRACE(std::string(page->name) + " " + all[i]);
      const TableRow& row = table.Row(i);
      const std::vector<std::string> words = WordsOfLine(all[i]);
      std::string joined;
      for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
      EXPECT_EQ(table.Cell(i, 0), "r" + std::to_string(i));
      EXPECT_EQ(table.Cell(i, 1), joined);
      DecodeOutcome single;
      try {
        single = DecodeOn(*page, words);
      } catch (const WordsError& error) {
        ++failures;
        ++errors;
        EXPECT_EQ(table.Cell(i, table.columns().size() - 1), error.message);
        ASSERT_TRUE(row.failure.has_value());
        EXPECT_EQ(*row.failure, error.message);
        continue;
      }
      const std::size_t boxes = EnterBoxes(page->boxes_of.empty() ? page->button : page->boxes_of).size();
      if (single.settings.size() < boxes) {
        ++failures;
        ++errors;
        const std::string error = table.Cell(i, table.columns().size() - 1);
        EXPECT_TRUE(error.starts_with(std::string(page->name) + " takes ")) << error;
        EXPECT_TRUE(error.ends_with("; got " + std::to_string(single.settings.size() / std::max(1, page->word_length))))
            << error;
        EXPECT_TRUE(row.lines.empty());
        continue;
      }
      ASSERT_EQ(row.lines.size(), single.lines.size());
      for (std::size_t k = 0; k < row.lines.size(); ++k) EXPECT_EQ(row.lines[k].text, single.lines[k].text);
      ASSERT_EQ(row.reports.size(), single.reports.size());
      for (std::size_t k = 0; k < row.reports.size(); ++k) EXPECT_EQ(row.reports[k], single.reports[k]);
      EXPECT_EQ(row.failure.has_value(), single.error.has_value());
      if (single.error) {
        ++failures;
        EXPECT_EQ(table.Cell(i, table.columns().size() - 1), *single.error);
      }
      if (!table.Cell(i, table.columns().size() - 1).empty()) ++errors;
      for (std::size_t c = 0; c < table.columns().size(); ++c) {
        const Column& column = table.columns()[c];
        if (column.kind == ColumnKind::Lines) {
          std::string lines;
          for (std::size_t k = 0; k < single.lines.size(); ++k) lines += (k == 0 ? "" : "; ") + single.lines[k].text;
          EXPECT_EQ(table.Cell(i, c), lines);
        }
        if (column.kind != ColumnKind::Field) continue;
        std::string expected;
        for (const SourcedLine& line : single.lines) {
          if (line.origin.field == column.field_index) expected = ExpectedCell(line.text, column.name);
        }
        EXPECT_EQ(table.Cell(i, c), expected) << column.name;
        ++fields_checked;
      }
    }
    EXPECT_EQ(table.ErrorCount(), errors);
    EXPECT_EQ(table.ShownCount(), table.RowCount());
  }
  EXPECT_GT(fields_checked, 4000);
  EXPECT_GT(failures, 100) << "the random records reach the pages' messages";
}

// The one reused window decodes each record as a window of its own does,
// whatever the record before it left: fewer words, other digits, an error.
TEST(RecordDecoder, EachRecordAsOnAFreshWindow) {
  std::mt19937 random(1211);
  RecordDecoder decoder;
  int compared = 0;
  for (int round = 0; round < 3; ++round) {
    for (const PageCommand* page : RecordPages()) {
      for (int i = 0; i < 40; ++i) {
        std::vector<std::string> words = WordsOfLine(RandomWords(*page, random));
        if (random() % 4 == 0 && !words.empty()) words.pop_back();
        SCOPED_TRACE(std::string(page->name) + " " + std::to_string(words.size()));
        std::optional<DecodeOutcome> fresh;
        try {
          fresh = DecodeOn(*page, words);
        } catch (const WordsError& error) {
          EXPECT_THROW(decoder.Decode(*page, words), WordsError);
          continue;
        }
        const DecodeOutcome reused = decoder.Decode(*page, words);
        EXPECT_EQ(reused.settings, fresh->settings);
        EXPECT_EQ(reused.reports, fresh->reports);
        EXPECT_EQ(reused.error, fresh->error);
        EXPECT_EQ(reused.lines, fresh->lines);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 1000);
}

TEST(Table, FieldColumnsAreThePagesFieldsWithUniqueNames) {
  const Table sko(Page("sko"));
  ASSERT_EQ(sko.columns().size(), 2 + 16 + 1);
  EXPECT_EQ(sko.columns()[0].name, "Метка");
  EXPECT_EQ(sko.columns()[1].name, "Слова");
  EXPECT_EQ(sko.columns()[2].name, "Ограничение ведомственной связи");
  EXPECT_EQ(sko.columns()[5].name, "Ограничений нет");
  EXPECT_EQ(sko.columns()[6].name, "Услуга \"Экстренная связь\"(Экс)");
  EXPECT_EQ(sko.columns().back().name, "Ошибка");
  // The third stage's blank lines are no columns.
  const Table third(Page("third-stage"));
  for (const Column& column : third.columns()) EXPECT_FALSE(column.name.empty());
  const Table uvp(Page("uvp"));
  ASSERT_EQ(uvp.columns().size(), 4U);
  EXPECT_EQ(uvp.columns()[2].name, "Строки");
  EXPECT_THROW(Table(Page("word-to-bits")), std::invalid_argument);

  for (const PageCommand* page : RecordPages()) {
    const std::vector<Column> columns = TableColumns(*page);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) EXPECT_NE(columns[i].name, columns[j].name) << page->name;
    }
  }
}

TEST(Table, ARestrictionStandsWholeAndAValueLosesItsName) {
  Table table(Page("sko"));
  table.Add(R(1, "271A6"));
  EXPECT_EQ(table.Cell(0, 2), "Ограничение ведомственной связи ") << "its trailing blank as the page writes it";
  EXPECT_EQ(table.Cell(0, 4), "") << "a restriction not shown";
  EXPECT_EQ(table.Cell(0, 6), "выключена");
  EXPECT_EQ(table.Cell(0, 17), "Автоответчик (ГАВС) или перем. КФ");
  Table first(Page("first-stage"));
  first.Add(R(1, "3529C"));
  EXPECT_EQ(first.Cell(0, 2), "7") << "\"сокращённый класс обслуживания=7\"";
  Table third(Page("third-stage"));
  third.Add(R(1, "1235C 5227F 00000 00000"));
  EXPECT_EQ(third.Cell(0, 2), "выключена") << "\"Услуга ...(ПРССН) выключена\", no \"=\"";
}

TEST(Table, RecordsOfLines) {
  struct Case {
    std::string line;
    bool skipped;
    std::optional<std::string> label;
    std::string words;
  };
  const std::vector<Case> cases = {
      {"0075 003F", false, std::nullopt, "0075 003F"},
      {"0075: 003F", false, "0075", "003F"},
      {"21-35-07\t0075 003F", false, "21-35-07", "0075 003F"},
      {"  ул. Ленина, 5 \t0075: 003F", false, "ул. Ленина, 5", "0075: 003F"},
      {"a: b: c", false, "a", "b: c"},
      {"0075:003F", false, std::nullopt, "0075:003F"},
      {"\t0075 003F", false, std::nullopt, "0075 003F"},
      {"note:\t0075", false, "note:", "0075"},
      {"0075 003F\r", false, std::nullopt, "0075 003F\r"},
      {"", true, {}, {}},
      {" \t \r", true, {}, {}},
      {"# 0075 003F", true, {}, {}},
      {" # 0075", false, std::nullopt, " # 0075"},
  };
  for (const Case& c : cases) {
    const std::optional<Record> record = RecordOfLine(c.line, 7);
    ASSERT_EQ(!record, c.skipped) << c.line;
    if (!record) continue;
    EXPECT_EQ(record->line, 7);
    EXPECT_EQ(record->label, c.label) << c.line;
    EXPECT_EQ(record->words, c.words) << c.line;
  }
  // "0075: 003F" is a label and one word in a table, two words to decode.
  Table table(Page("uvp"));
  table.Add(*RecordOfLine("0075: 003F", 1));
  EXPECT_EQ(table.Cell(0, 1), "003F");
  EXPECT_EQ(table.AddressOf(0), (Address{"uvp", {"003F"}}));
}

TEST(Table, LinesAreNumberedAsTheyStandInTheInput) {
  const Input input = ReadInput("# list\r\n0075 003F\r\n\r\nA\t4035 403F\r\n\n0075 003F");
  ASSERT_FALSE(input.error);
  ASSERT_EQ(input.records.size(), 3U);
  EXPECT_EQ(input.records[0].line, 2);
  EXPECT_EQ(input.records[1].line, 4);
  EXPECT_EQ(input.records[1].label, "A");
  EXPECT_EQ(input.records[2].line, 6) << "the last line needs no line end";
  Table table(Page("uvp"));
  for (const Record& record : input.records) table.Add(record);
  EXPECT_EQ(table.Cell(0, 2), "БВ 01-60 УВП 0-3") << "the CR is a blank";
  EXPECT_EQ(table.ErrorCount(), 0U);
}

TEST(Table, EncodingsOfTheInput) {
  // A byte order mark is dropped.
  Input input = ReadInput("\xEF\xBB\xBFМетро\t0075 003F\n");
  ASSERT_EQ(input.records.size(), 1U);
  EXPECT_EQ(input.records[0].label, "Метро");
  EXPECT_FALSE(input.windows1251);
  // Windows-1251: "Проспект Мира, 1" and "ёЁ№".
  input = ReadInput("\xCF\xF0\xEE\xF1\xEF\xE5\xEA\xF2 \xCC\xE8\xF0\xE0, 1\t0075 003F\n\xB8\xA8\xB9: 0030\n");
  ASSERT_EQ(input.records.size(), 2U);
  EXPECT_TRUE(input.windows1251);
  EXPECT_EQ(input.records[0].label, "Проспект Мира, 1");
  EXPECT_EQ(input.records[1].label, "ёЁ№");
  EXPECT_EQ(Windows1251ToUtf8("\x80\x98\xC0\xFF\x7F"), "Ђ\u0098Ая\x7F");
  // Each line on its own: a UTF-8 line stays UTF-8 beside a Windows-1251 one.
  input = ReadInput("Дом\t0030\n\xC4\xEE\xEC\t0030\n");
  ASSERT_EQ(input.records.size(), 2U);
  EXPECT_EQ(input.records[0].label, "Дом");
  EXPECT_EQ(input.records[1].label, "Дом");
  // A NUL byte anywhere: a binary file, no records.
  for (const std::string& bytes :
       {std::string("0075 003F\n\0", 11), std::string("\0\x01\x02", 3), std::string("\xEF\xBB\xBF\x30\x00", 5)}) {
    input = ReadInput(bytes);
    EXPECT_EQ(input.error, std::string(kBinaryInput));
    EXPECT_TRUE(input.records.empty());
  }
  for (const std::string bytes : {"", "\xEF\xBB\xBF", "\n\n", "# only a note\r\n \t\n"}) {
    input = ReadInput(bytes);
    EXPECT_EQ(input.error, std::string(kNoRecords)) << bytes;
    EXPECT_TRUE(input.records.empty());
  }
}

TEST(Table, BadRecordsKeepTheirRowsAndTheOthers) {
  const std::string ten_megabytes(10 * 1024 * 1024, '7');
  std::string spaced = "0 ";
  while (spaced.size() < ten_megabytes.size()) spaced += spaced;
  spaced.resize(ten_megabytes.size());
  struct Case {
    std::string page;
    std::string words;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"sko", ten_megabytes, "sko takes at most 1 word(s): CODE"},
      {"sko", ten_megabytes.substr(0, 1 << 20) + "77", "sko takes words of 5 character(s); got 1048578 in all"},
      {"sko", spaced, "sko takes at most 1 word(s): CODE"},
      {"usk0", spaced, "usk0 takes at most 2 words: LINE WORD"},
      {"usk0", "1 " + ten_megabytes, "'" + ten_megabytes + "' is longer than 4 character(s)"},
      {"sko", "271A6 1", "sko takes words of 5 character(s); got 6 in all"},
      {"sko", "27", "sko takes words of 5 character(s); got 2 in all"},
      {"uvp", "0075", "uvp takes 2 word(s): WORD1 WORD2; got 1"},
      {"usk1", "00012 3", "usk1 takes 3 word(s): LINE BIT WORD; got 2"},
      {"uvp", "", "uvp takes 2 word(s): WORD1 WORD2; got 0"},
      {"uvp", "00ZZ 003F", "'$Z' is not a valid integer value."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page + " " + c.words.substr(0, 20));
    Table table(Page(c.page));
    table.Add(R(1, std::string(Page(c.page).example)));
    table.Add(R(2, c.words));
    table.Add(R(3, std::string(Page(c.page).example)));
    ASSERT_EQ(table.RowCount(), 3U);
    EXPECT_EQ(table.ErrorCount(), 1U);
    EXPECT_EQ(table.Cell(1, table.columns().size() - 1), c.error);
    EXPECT_EQ(table.Row(0).lines.size(), table.Row(2).lines.size());
    EXPECT_FALSE(table.Row(0).lines.empty());
    EXPECT_EQ(table.Cell(2, table.columns().size() - 1), "");
  }
}

TEST(Table, TheFourWordBlockCountIsTheRowsError) {
  Table table(Page("second-stage"));
  table.Add(R(1, "93245 253A7 12345 F01F0"));
  EXPECT_EQ(table.ErrorCount(), 1U);
  EXPECT_EQ(table.Cell(0, table.columns().size() - 1),
            "1-й знак 0-го слова должен быть не более 7!; 1-й знак 3-го слова должен быть не более 7!; "
            "Ошибок при вводе = 2");
  EXPECT_FALSE(table.Row(0).failure) << "the page decoded; it showed the count";
}

TEST(Table, TheSegmentsPageDecodesAsTheCallerDoes) {
  std::vector<std::vector<std::string>> asked;
  const RecordDecode decode = [&](const PageCommand& page, const std::vector<std::string>& words) {
    asked.push_back(words);
    DecodeOutcome outcome;
    if (words.size() > 2) throw WordsError(std::string(page.name) + " takes at most 2 words");
    outcome.settings = {{"Edit1", words.at(0)}, {"Edit2", words.at(1)}};
    outcome.lines = {{"Сегмент " + words.at(0), {}}, {"", {}}, {"Шаг " + words.at(1), {}}};
    return outcome;
  };
  Table table(Page("segment"), decode);
  table.Add(R(1, "12 3"));
  table.Add(R(2, "1 2 3"));
  ASSERT_EQ(asked.size(), 2U);
  EXPECT_EQ(table.Cell(0, 2), "Сегмент 12; ; Шаг 3");
  EXPECT_EQ(table.Cell(1, 3), "segment takes at most 2 words");
}

// A fixed table of the "СКО" page for the filter and the order.
Table FixedTable() {
  Table table(Page("sko"));
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"10", "271A6"},  {"9", "27100"}, {"Семёнов", "27101"}, {"-3", "271A6"}, {"", "00000"},
      {"abc", "2ZZ00"}, {"Б", "271A6"}, {"007", "17102"},     {"09", "271A7"},
  };
  int line = 0;
  for (const auto& [label, words] : rows) {
    table.Add(R(++line, words, label.empty() ? std::nullopt : std::optional<std::string>(label)));
  }
  return table;
}

std::vector<std::string> ShownLabels(const Table& table) {
  std::vector<std::string> labels;
  for (const std::size_t row : table.Shown()) labels.push_back(table.Cell(row, 0));
  return labels;
}

using Labels = std::vector<std::string>;

TEST(TableView, Filter) {
  Table table = FixedTable();
  EXPECT_EQ(table.RowCount(), 9U);
  EXPECT_EQ(table.ErrorCount(), 1U);
  const Labels gvt = {"10", "9", "Семёнов", "-3", "Б", "007", "09"};
  const std::vector<std::pair<std::string, Labels>> cases = {
      {"", {"10", "9", "Семёнов", "-3", "", "abc", "Б", "007", "09"}},
      {"Посылка вызова = ГВТ", gvt},
      {"  посылка   ВЫЗОВА=гвт ", gvt},
      {"Посылка вызова = Г", {}},
      {"Посылка вызова = ", {"abc"}},
      {"ограничений нет = ограничений нет", {"9", ""}},
      {"Ограничение междугородней связи = ограничение междугородней связи", {"Семёнов", "09"}},
      {"набор номера = ДЕКАДЫЙ", {""}},
      {"семенов", {"Семёнов"}},
      {"CEMEHOB", {"Семёнов"}},
      {"Таксофон", {"007"}},
      {"25гц", {""}},
      {"not a valid integer", {"abc"}},
      {"271a", {"10", "-3", "Б", "09"}},
      {"Нет такого поля = ГВТ", {}},
  };
  for (const auto& [filter, labels] : cases) {
    table.SetFilter(filter);
    EXPECT_EQ(ShownLabels(table), labels) << filter;
    EXPECT_EQ(table.ShownCount(), labels.size());
    EXPECT_EQ(table.RowCount(), 9U);
  }
}

TEST(TableView, Sort) {
  Table table = FixedTable();
  table.SortBy(0);
  EXPECT_EQ(ShownLabels(table), (Labels{"-3", "007", "9", "09", "10", "abc", "Б", "Семёнов", ""}));
  table.SortBy(0, true);
  EXPECT_EQ(ShownLabels(table), (Labels{"Семёнов", "Б", "abc", "10", "9", "09", "007", "-3", ""}))
      << "equal numbers keep their input order either way; empty cells last";
  // By a field: "25Гц" is a text before "ГВТ"; the "ГВТ" rows keep their
  // input order, the error row's empty cell comes last.
  table.SortBy(15);
  EXPECT_EQ(table.columns()[15].name, "Посылка вызова");
  EXPECT_EQ(ShownLabels(table), (Labels{"", "10", "9", "Семёнов", "-3", "Б", "007", "09", "abc"}));
  // Sorted and filtered; rows added later take their place.
  table.SetFilter("ГВТ");
  table.SortBy(0, true);
  EXPECT_EQ(ShownLabels(table), (Labels{"Семёнов", "Б", "10", "9", "09", "007", "-3"}));
  table.Add(R(10, "271A6", "11"));
  table.Add(R(11, "00000", "12"));
  EXPECT_EQ(ShownLabels(table), (Labels{"Семёнов", "Б", "11", "10", "9", "09", "007", "-3"}));
  table.SortBy(std::nullopt);
  EXPECT_EQ(ShownLabels(table), (Labels{"10", "9", "Семёнов", "-3", "Б", "007", "09", "11"}));
  table.Add(R(12, "271A6", "13"));
  EXPECT_EQ(table.ShownCount(), 9U);
  EXPECT_EQ(table.RowCount(), 12U);
  EXPECT_EQ(table.ErrorCount(), 1U);
}

TEST(Export, CellsThatLookLikeFormulas) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"=SUM(A1)", "'=SUM(A1)"},
      {"+7", "'+7"},
      {"-3", "'-3"},
      {"@x", "'@x"},
      {"\tx", "'\tx"},
      {"\rx", "'\rx"},
      {"7-3", "7-3"},
      {" =1", " =1"},
      {"'", "'"},
      {"", ""},
      {"\nx", "\nx"},
      {"Б=1", "Б=1"},
  };
  for (const auto& [cell, guarded] : cases) EXPECT_EQ(Guarded(cell), guarded) << cell;
}

TEST(Export, CsvAndTsvLines) {
  const std::vector<std::string> cells = {
      "plain", "a;b", "say \"hi\"", "two\nlines", "cr\rhere", "=1+2", "-", "", "Ограничение ведомственной связи "};
  EXPECT_EQ(
      CsvLine(cells),
      "plain;\"a;b\";\"say \"\"hi\"\"\";\"two\nlines\";\"cr\rhere\";'=1+2;'-;;Ограничение ведомственной связи \r\n");
  EXPECT_EQ(CsvLine({"\ttab"}), "'\ttab\r\n");
  EXPECT_EQ(CsvLine({"\rx;"}), "\"'\rx;\"\r\n");
  EXPECT_EQ(TsvLine(cells),
            "plain\ta;b\tsay \"hi\"\ttwo\\nlines\tcr\\rhere\t'=1+2\t'-\t\tОграничение ведомственной связи \n");
  EXPECT_EQ(TsvLine({"\tx", "a\\b", "\x1B"}), "'\\tx\ta\\\\b\t\\x1B\n");
}

TEST(Export, JsonTexts) {
  EXPECT_EQ(JsonString("Ж \"q\" \\ /"), "\"Ж \\\"q\\\" \\\\ /\"");
  EXPECT_EQ(JsonString(std::string("\n\r\t\x01\x1F\x7F\0", 7)), "\"\\n\\r\\t\\u0001\\u001F\\u007F\\u0000\"");
  EXPECT_EQ(JsonString("\u0085\u009F\u00A0\u2028\u2029\u2027"), "\"\\u0085\\u009F\u00A0\\u2028\\u2029\u2027\"");
}

TEST(Export, WholeTables) {
  Table table(Page("uvp"));
  table.Add(R(3, "0075 003F", "=1"));
  table.Add(R(5, "00ZZ 003F", "a;\"b\""));
  table.Add(R(6, "4035 403F"));
  EXPECT_EQ(ExportCsv(table, table.Shown()),
            "\xEF\xBB\xBFМетка;Слова;Строки;Ошибка\r\n"
            "'=1;0075 003F;БВ 01-60 УВП 0-3;\r\n"
            "\"a;\"\"b\"\"\";00ZZ 003F;;'$Z' is not a valid integer value.\r\n"
            ";4035 403F;\"ГВТ 0-й ствол; ГВТ 1-й ствол\";\r\n");
  EXPECT_EQ(ExportTsv(table, {2, 0}),
            "Метка\tСлова\tСтроки\tОшибка\n"
            "\t4035 403F\tГВТ 0-й ствол; ГВТ 1-й ствол\t\n"
            "'=1\t0075 003F\tБВ 01-60 УВП 0-3\t\n");
  EXPECT_EQ(CopyRows(table, {0}), "'=1\t0075 003F\tБВ 01-60 УВП 0-3\t\n");
  EXPECT_EQ(ExportJson(table, {0, 2}),
            "{\"line\": 3, \"label\": \"=1\", \"words\": [\"0075\", \"003F\"], \"fields\": {}, "
            "\"lines\": [\"БВ 01-60 УВП 0-3\"], \"reports\": [], \"error\": null}\n"
            "{\"line\": 6, \"label\": null, \"words\": [\"4035\", \"403F\"], \"fields\": {}, "
            "\"lines\": [\"ГВТ 0-й ствол\", \"ГВТ 1-й ствол\"], \"reports\": [], \"error\": null}\n");
  Table sko(Page("sko"));
  sko.Add(R(1, "2ZZ00", "x"));
  const std::string json = ExportJson(sko, {0});
  EXPECT_NE(json.find("\"fields\": {\"Ограничение ведомственной связи\": \"\", "), std::string::npos) << json;
  EXPECT_NE(json.find("\"error\": \"'$Z' is not a valid integer value.\"}\n"), std::string::npos) << json;
}

}  // namespace
}  // namespace ostrolen::ui

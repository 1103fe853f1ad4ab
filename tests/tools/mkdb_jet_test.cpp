// Databases written by ostrolen-mkdb, read back by mdbtools' programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/mdb_tools.h"

namespace ostrolen::mkdb::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class Mdb : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveMdbTools()) GTEST_SKIP() << kNoMdbTools;
  }
  std::string Make(std::string_view description, const std::string& name = "test") {
    std::string errors;
    const std::string db = MakeDb(dir_, description, &errors, name);
    EXPECT_FALSE(db.empty()) << errors;
    return db;
  }
  TempDir dir_;
};

std::string Repeat(std::string_view piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST_F(Mdb, VersionAndTableNames) {
  const std::string db = Make(
      "table\tsegmoborud\ncolumn\tnomsegm\ttext\n"
      "table\tSegment\ncolumn\tnomsegm\ttext\n"
      "table\tsegmentkup\ncolumn\tsegm\ttext\n"
      "table\tСправочник Шагов\ncolumn\tшаг\ttext\n");
  const Output version = RunProgram({"mdb-ver", db});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "JET4\n");
  EXPECT_EQ(TableNames(db), (std::vector<std::string>{"segmoborud", "Segment", "segmentkup", "Справочник Шагов"}));
  EXPECT_EQ(TableNames(db, true),
            (std::vector<std::string>{"MSysObjects", "segmoborud", "Segment", "segmentkup", "Справочник Шагов"}));
}

TEST_F(Mdb, SchemaShowsEveryTypeAndSize) {
  // One column for every text size, then the other two types.
  std::string description = "table\tВиды\n";
  std::vector<std::string> expected;
  for (int size = 1; size <= 252; ++size) {
    description += "column\tстолбец" + std::to_string(size) + "\ttext(" + std::to_string(size) + ")\n";
    expected.push_back("[столбец" + std::to_string(size) + "]\t\t\tText (" + std::to_string(size) + "),");
  }
  description += "column\tПолный\ttext\ncolumn\tЧисло\tlong\ncolumn\tФлаг\tbool\n";
  expected.push_back("[Полный]\t\t\tText (255),");
  expected.push_back("[Число]\t\t\tLong Integer,");
  expected.push_back("[Флаг]\t\t\tBoolean NOT NULL");
  const std::string db = Make(description);
  EXPECT_EQ(SchemaLines(db, "Виды"), expected);
}

TEST_F(Mdb, ExportShowsEveryValueExactly) {
  const std::string longest = Repeat("Щ", 255);
  const std::string latin = Repeat("z", 255);
  const std::string db = Make(
      "table\tЗначения\n"
      "column\tтекст\ttext\n"
      "column\tкороткий\ttext(2)\n"
      "column\tчисло\tlong\n"
      "column\tда\tbool\n"
      "row\tПроверяемое оборудование:\tЁё\t0\t1\n"
      "row\t" +
      longest +
      "\t3C\t2147483647\t0\n"
      "row\t" +
      latin +
      "\tab\t-2147483648\ttrue\n"
      "row\tтаб\\tстрока\\nкосая\\\\\t\\N\t\\N\tfalse\n"
      "row\t\\\\N\t\\N\t+42\t1\n"
      "row\t\\N\t\t-7\t0\n");
  const Rows expected{
      {"Проверяемое оборудование:", "Ёё", "0", "1"},
      {longest, "3C", "2147483647", "0"},
      {latin, "ab", "-2147483648", "1"},
      {"таб\\tстрока\\nкосая\\\\", "\\N", "\\N", "0"},
      {"\\\\N", "\\N", "42", "1"},
      {"\\N", "\\N", "-7", "0"},  // mdb-export shows an empty text as null
  };
  EXPECT_EQ(ExportRows(db, "Значения"), expected);
  EXPECT_EQ(CountRows(db, "Значения"), 6);
}

TEST_F(Mdb, NullAndEmptyTextStayApart) {
  if (!HaveLibmdb()) GTEST_SKIP() << "libmdb (mdbtools-dev) not available to the tests";
  const std::string db = Make(
      "table\tT\ncolumn\ta\ttext\ncolumn\tn\tlong\ncolumn\td\tbool\ncolumn\tb\ttext(5)\n"
      "row\t\\N\t\\N\t0\t\n"
      "row\t\t5\t1\t\\N\n"
      "row\tЯ\t-1\t0\tабв\n");
  const std::vector<LibmdbRow> expected{
      {std::nullopt, std::nullopt, "0", ""},
      {"", "5", "1", std::nullopt},
      {"Я", "-1", "0", "абв"},
  };
  EXPECT_EQ(LibmdbRows(db, "T"), expected);
}

// Rows that fill many data pages come back complete and in order.
class MdbManyRows : public Mdb, public ::testing::WithParamInterface<int> {};

TEST_P(MdbManyRows, EveryRowInOrder) {
  const int count = GetParam();
  std::string description = "table\tЖурнал\ncolumn\tномер\tlong\ncolumn\tзапись\ttext\ncolumn\tчёт\tbool\n";
  Rows expected;
  for (int i = 0; i < count; ++i) {
    const std::string text = "строка " + std::to_string(i) + (i % 7 == 0 ? " " + Repeat("ж", i % 200) : "");
    description += "row\t" + std::to_string(i - count / 2) + "\t" + text + "\t" + std::to_string(i % 2) + "\n";
    expected.push_back({std::to_string(i - count / 2), text, std::to_string(i % 2)});
  }
  description += "table\tПосле\ncolumn\tx\ttext\nrow\tконец\n";
  const std::string db = Make(description);
  if (count >= 10000) {
    EXPECT_GT(std::filesystem::file_size(db), 50u * 4096u);
  }
  EXPECT_EQ(CountRows(db, "Журнал"), count);
  const Rows rows = ExportRows(db, "Журнал");
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i], expected[i]) << "row " << i;
  EXPECT_EQ(ExportRows(db, "После"), (Rows{{"конец"}}));
}

// 10,000 rows take about a hundred pages; 100,000 more than a usage map row
// can list, so that table's map goes through a map page.
INSTANTIATE_TEST_SUITE_P(Pages, MdbManyRows, ::testing::Values(1, 255, 256, 10000, 100000));

TEST_F(Mdb, TinyRowsAtMost255APage) {
  // A Yes/No column alone takes three bytes a row; a page still takes only
  // as many rows as a one-byte row number can point at.
  std::string description = "table\tФлаги\ncolumn\tf\tbool\n";
  Rows expected;
  for (int i = 0; i < 1000; ++i) {
    description += i % 3 ? "row\t1\n" : "row\t0\n";
    expected.push_back({i % 3 ? "1" : "0"});
  }
  const std::string db = Make(description);
  // Header, maps, catalog definition, table definition, four data pages
  // (two would hold the bytes) and the catalog's rows.
  EXPECT_EQ(std::filesystem::file_size(db), 9u * 4096u);
  EXPECT_EQ(ExportRows(db, "Флаги"), expected);
  EXPECT_EQ(CountRows(db, "Флаги"), 1000);
}

TEST_F(Mdb, RowsAsLargeAsAPageHolds) {
  // Seven full 255-character texts and a number: 3,600 bytes, one row a page.
  std::string description = "table\tШирокая\n";
  for (int c = 0; c < 7; ++c) description += "column\tт" + std::to_string(c) + "\ttext\n";
  description += "column\tn\tlong\n";
  Rows expected;
  for (int r = 0; r < 5; ++r) {
    std::vector<std::string> row;
    description += "row";
    for (int c = 0; c < 7; ++c) {
      const std::string text = std::to_string(r) + Repeat("Ы", 254);
      description += "\t" + text;
      row.push_back(text);
    }
    description += "\t" + std::to_string(r) + "\n";
    row.push_back(std::to_string(r));
    expected.push_back(row);
  }
  const std::string db = Make(description);
  EXPECT_EQ(ExportRows(db, "Широкая"), expected);
  EXPECT_EQ(CountRows(db, "Широкая"), 5);
}

TEST_F(Mdb, RowTooLargeForAPageIsRefused) {
  std::string description = "table\tT\n";
  for (int c = 0; c < 8; ++c) description += "column\tc" + std::to_string(c) + "\ttext\n";
  description += "row" + Repeat("\tshort", 8) + "\n";
  description += "row" + Repeat("\t" + std::string(255, 'x'), 8) + "\n";
  std::string errors;
  EXPECT_EQ(MakeDb(dir_, description, &errors), "");
  EXPECT_NE(errors.find("test.tsv:11: row takes"), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "test.mdb"));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "test.mdb.tmp"));
}

TEST_F(Mdb, ManyTablesAndEmptyOnes) {
  // Enough tables that their usage maps spill over from page 1.
  std::string description;
  std::vector<std::string> names;
  for (int t = 0; t < 40; ++t) {
    names.push_back("Таблица" + std::to_string(t));
    description += "table\t" + names.back() + "\ncolumn\tномер\tlong\ncolumn\tимя\ttext(20)\n";
    for (int r = 0; r < t % 3; ++r)
      description += "row\t" + std::to_string(t * 10 + r) + "\tимя " + std::to_string(r) + "\n";
  }
  const std::string db = Make(description);
  EXPECT_EQ(TableNames(db), names);
  for (int t = 0; t < 40; ++t) {
    Rows expected;
    for (int r = 0; r < t % 3; ++r) expected.push_back({std::to_string(t * 10 + r), "имя " + std::to_string(r)});
    EXPECT_EQ(ExportRows(db, names[t]), expected) << names[t];
    EXPECT_EQ(CountRows(db, names[t]), t % 3) << names[t];
  }
}

TEST_F(Mdb, EmptyDatabase) {
  const std::string db = Make("# no tables\n");
  EXPECT_EQ(RunProgram({"mdb-ver", db}).out, "JET4\n");
  EXPECT_TRUE(TableNames(db).empty());
  EXPECT_EQ(TableNames(db, true), (std::vector<std::string>{"MSysObjects"}));
}

TEST_F(Mdb, SameDescriptionSameFile) {
  const std::string description = "table\tT\ncolumn\ta\ttext\ncolumn\tn\tlong\nrow\tодин\t1\nrow\t\\N\t\\N\n";
  const std::string first = ReadFile(Make(description, "first"));
  const std::string second = ReadFile(Make(description, "second"));
  EXPECT_EQ(first.size() % 4096, 0u);
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace ostrolen::mkdb::test

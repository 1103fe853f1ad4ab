// The reference database's rows for the search: the row program on the
// test databases (Jet 4, Jet 3 and ACE), its answer read back, a damaged or
// missing file, and a listing made again only when the file changes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/utf8.h"
#include "pages/search/rows.h"
#include "pages/search/search.h"

namespace ostrolen {
namespace {

std::string FixturePath(std::string_view name) {
  return std::string(OSTROLEN_SEGMENT_FIXTURES) + "/" + std::string(name) + ".mdb";
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class RowFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrolen-rows-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string File(std::string_view name = "dbveltra.mdb") const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
};

// A row as the description of a test database gives it.
struct DescribedRow {
  std::string table, segment, step;
  std::vector<std::pair<std::string, std::string>> texts;
  bool operator==(const DescribedRow&) const = default;
};

void PrintTo(const DescribedRow& row, std::ostream* out) {
  *out << row.table << " " << row.segment << " " << row.step;
  for (const auto& [column, text] : row.texts) *out << " " << column << "=" << text;
}

std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 't') {
      out += '\t';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<std::string> TabFields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

// The rows of the searched tables in a test database's description, in
// file order, their texts as the search lists them (nulls and empty texts left out).
std::vector<DescribedRow> DescribedRows(std::string_view name) {
  std::ifstream in(std::string(OSTROLEN_SEGMENT_SOURCES) + "/" + std::string(name) + ".tsv");
  std::map<std::string, std::vector<DescribedRow>> by_table;
  const SearchedTable* table = nullptr;
  std::vector<std::string> columns;
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> fields = TabFields(line);
    if (fields.empty()) continue;
    if (fields[0] == "table") {
      table = nullptr;
      for (const SearchedTable& searched : SearchedTables()) {
        if (SameName(searched.table, fields[1])) table = &searched;
      }
      columns.clear();
    } else if (fields[0] == "column") {
      columns.push_back(fields[1]);
    } else if (fields[0] == "row" && table != nullptr) {
      const auto value = [&](std::string_view column) -> std::string {
        for (std::size_t c = 0; c < columns.size(); ++c) {
          if (SameName(columns[c], column) && c + 1 < fields.size() && fields[c + 1] != "\\N")
            return Unescaped(fields[c + 1]);
        }
        return {};
      };
      DescribedRow row{
          std::string(table->table), value(table->segment), table->step.empty() ? "" : value(table->step), {}};
      for (const std::string_view column : table->texts) {
        if (!value(column).empty()) row.texts.emplace_back(std::string(column), value(column));
      }
      by_table[row.table].push_back(row);
    }
  }
  std::vector<DescribedRow> rows;
  for (const SearchedTable& searched : SearchedTables()) {
    for (const DescribedRow& row : by_table[std::string(searched.table)]) rows.push_back(row);
  }
  return rows;
}

std::vector<DescribedRow> Listed(const RowListing& listing) {
  std::vector<DescribedRow> rows;
  for (const SegmentRow& row : listing.rows) {
    DescribedRow listed{std::string(row.table), row.segment, row.step, {}};
    for (const auto& [column, text] : row.texts) listed.texts.emplace_back(std::string(column), text);
    rows.push_back(listed);
  }
  return rows;
}

std::string AceFile(std::string bytes) {
  bytes.replace(4, 16, std::string("Standard ACE DB\0", 16));
  bytes[0x14] = 2;  // Access 2007
  return bytes;
}

TEST_F(RowFolder, EveryRowOfTheTestDatabasesInEachFormat) {
  struct Case {
    std::string fixture;  // the database made from it
    std::string described;
    bool ace = false;
  };
  const std::vector<Case> cases = {
      {"lookup", "lookup"},    {"lookup_jet3", "lookup"},   {"lookup", "lookup", true}, {"names", "names"},
      {"names_jet3", "names"}, {"western_jet3", "western"}, {"western", "western"},
  };
  for (const Case& c : cases) {
    const std::string bytes = ReadBytes(FixturePath(c.fixture));
    ASSERT_FALSE(bytes.empty()) << c.fixture << " was not built";
    WriteBytes(File(), c.ace ? AceFile(bytes) : bytes);
    const RowListing listing = ListRowsWithProgram(File(), std::chrono::seconds(120));
    const std::vector<DescribedRow> expected = DescribedRows(c.described);
    EXPECT_EQ(listing.problem, "") << c.fixture;
    EXPECT_EQ(Listed(listing), expected) << c.fixture << (c.ace ? " as ACE" : "");
  }
  // Not a vacuous sweep: the lookup database has rows in all three tables.
  EXPECT_EQ(DescribedRows("lookup").size(), 17U + 14U + 6U);
}

TEST_F(RowFolder, RowsAreFoundByTheirTexts) {
  WriteBytes(File(), ReadBytes(FixturePath("lookup")));
  const std::vector<SearchEntry> rows = RowEntries(ListRowsWithProgram(File(), std::chrono::seconds(120)));
  struct Case {
    std::string typed;
    std::string where;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"блок групповой", "12", "Блок групповой БГ 2"}, {"ПРОГРАММА 12-1", "12 1", "Программа 12-1"},
      {"приемник 3d-7/0", "3D 7", "Приемник 3D-7/0"},  // Latin "3d", as typed
      {"звездочка", "*", "Сегмент «звёздочка»"},       {"конец", "S1", "Табуляция:\tконец"},
  };
  for (const Case& c : cases) {
    const std::vector<SearchMatch> matches = FindMatches(c.typed, {}, rows);
    ASSERT_EQ(matches.size(), 1U) << c.typed;
    EXPECT_EQ(matches[0].entry->kind, MatchKind::Segment);
    EXPECT_EQ(MatchWhere(*matches[0].entry), c.where) << c.typed;
    EXPECT_EQ(matches[0].entry->text, c.text);
  }
}

TEST_F(RowFolder, AMissingColumnLeavesTheOtherTexts) {
  WriteBytes(File(), ReadBytes(FixturePath("missing_columns")));
  const RowListing listing = ListRowsWithProgram(File(), std::chrono::seconds(120));
  EXPECT_NE(listing.problem.find("нет столбца «prim»"), std::string::npos) << listing.problem;
  bool program = false;
  for (const SegmentRow& row : listing.rows) {
    for (const auto& [column, text] : row.texts) program = program || text == "Программа 12-1";
  }
  EXPECT_TRUE(program);
}

TEST_F(RowFolder, ADamagedOrForeignFileSaysWhyInOneLine) {
  const std::string lookup = ReadBytes(FixturePath("lookup"));
  struct Case {
    std::string what;
    std::string bytes;
    std::string problem;  // a part of the line
  };
  std::string scrambled = lookup;
  for (std::size_t i = 4096; i < scrambled.size(); i += 7) scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
  const std::vector<Case> cases = {
      {"text", "not a database at all\n", "не является базой данных Access"},
      {"empty", "", "не является базой данных Access"},
      {"header only", lookup.substr(0, 4096), ""},
      {"scrambled pages", scrambled, ""},
      {"no tables", ReadBytes(FixturePath("no_tables")), "нет таблицы «segmoborud»"},
  };
  for (const Case& c : cases) {
    WriteBytes(File(), c.bytes);
    const RowListing listing = ListRowsWithProgram(File(), std::chrono::seconds(120));
    // Whatever the damage, the answer is a line, never a crash of the caller.
    EXPECT_FALSE(listing.problem.empty()) << c.what;
    EXPECT_EQ(listing.problem.find('\n'), std::string::npos) << c.what;
    if (!c.problem.empty())
      EXPECT_NE(listing.problem.find(c.problem), std::string::npos) << c.what << ": " << listing.problem;
    // The tables are searched all the same.
    EXPECT_FALSE(FindMatches("бв 01-60", TableEntries(), RowEntries(listing)).empty());
  }
}

TEST(RowAnswer, ReadBack) {
  struct Case {
    std::string answer;
    std::size_t rows;
    std::string problem;
  };
  const std::string file = "x.mdb";
  const std::vector<Case> cases = {
      {"table\tsegmoborud\nrow\t12\t\tБлок\nend\n", 1, ""},
      {"table\tsegmoborud\nrow\t12\t\tБлок\n", 1,
       "Чтение базы данных «x.mdb» завершилось аварийно: файл, видимо, повреждён"},
      {"table\tsegmoborud\nrow\t12\t\tБл", 0,
       "Чтение базы данных «x.mdb» завершилось аварийно: файл, видимо, повреждён"},
      {"fail\t5\tx.mdb\nend\n", 0, "Файл «x.mdb» не является базой данных Access"},
      {"table\tSegment\nfail\t9\tprim\nrow\t12\t1\tП\tН\t\nend\n", 1,
       "В таблице «Segment» базы данных «x.mdb» нет столбца «prim»"},
      {"table\tsegmoborud\nrow\t12\t\n"
       "end\n",
       0, ""},  // a row with the wrong number of fields
      {"", 0, "Чтение базы данных «x.mdb» завершилось аварийно: файл, видимо, повреждён"},
  };
  for (const Case& c : cases) {
    const RowListing listing = ParseRowAnswer(c.answer, file);
    EXPECT_EQ(listing.rows.size(), c.rows) << c.answer;
    EXPECT_EQ(listing.problem, c.problem) << c.answer;
  }
  const RowListing escaped = ParseRowAnswer("table\tSegment\nrow\t1\\t2\t3\ta\\\\b\t\tc\\nd\nend\n", file);
  ASSERT_EQ(escaped.rows.size(), 1U);
  EXPECT_EQ(escaped.rows[0].segment, "1\t2");
  const std::vector<std::pair<std::string_view, std::string>> texts = {{"isppro", "a\\b"}, {"prim", "c\nd"}};
  EXPECT_EQ(escaped.rows[0].texts, texts);
}

TEST_F(RowFolder, ListedOnceAndAgainOnlyWhenTheFileChanges) {
  int calls = 0;
  RowCache cache([&](const std::string&) {
    ++calls;
    RowListing listing;
    listing.rows.push_back({"segmoborud", std::to_string(calls), "", {{"oborud", "Блок"}}});
    return listing;
  });
  const std::string file = File();
  EXPECT_EQ(cache.Rows(file).problem, "Не найден файл базы данных «" + file + "»");
  EXPECT_EQ(calls, 0);

  WriteBytes(file, "one");
  EXPECT_EQ(cache.Rows(file).rows.at(0).segment, "1");
  EXPECT_EQ(cache.Rows(file).rows.at(0).segment, "1");
  EXPECT_EQ(calls, 1);

  WriteBytes(file, "three");  // another size
  EXPECT_EQ(cache.Rows(file).rows.at(0).segment, "2");
  EXPECT_EQ(calls, 2);

  // The same size, another time.
  WriteBytes(file, "THREE");
  std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) - std::chrono::hours(1));
  EXPECT_EQ(cache.Rows(file).rows.at(0).segment, "3");
  EXPECT_EQ(cache.Rows(file).rows.at(0).segment, "3");
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(cache.Listings(), 3);

  std::filesystem::remove(file);
  EXPECT_TRUE(cache.Rows(file).rows.empty());
  EXPECT_FALSE(cache.Rows(file).problem.empty());
  EXPECT_EQ(calls, 3);

  std::filesystem::create_directory(file);
  EXPECT_NE(cache.Rows(file).problem.find("не файл базы данных"), std::string::npos);
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace ostrolen

// The statement runner on tables held in memory: what each statement gets
// back (first row, nulls, missing names, damage, bad patterns) whatever
// library reads the file. The file's bytes are a real test database's, so
// that its page 0 and catalog pages are a sound Access file's.
#include "reader/runner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "segments_support.h"

namespace ostrolen {
namespace {

using testing::FixturePath;
using testing::ReadBytes;

Value Text(std::string text) {
  Value v;
  v.kind = Value::Kind::Text;
  v.text = std::move(text);
  return v;
}
Value Null() { return {}; }
Value Damage() {  // a value the source cannot read: the row is damaged
  Value v;
  v.kind = Value::Kind::Binary;
  v.text = "damaged";
  return v;
}
bool IsDamage(const Value& v) { return v.kind == Value::Kind::Binary && v.text == "damaged"; }

struct MemoryTable {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
  std::uint32_t page = 0;
  bool unreadable = false;  // its definition cannot be read
};

class MemoryRows final : public RowSource {
 public:
  MemoryRows(std::string bytes, std::vector<MemoryTable> tables)
      : bytes_(std::move(bytes)), tables_(std::move(tables)) {}

  std::uint64_t Size() override { return bytes_.size(); }
  std::string Bytes(std::uint64_t offset, std::size_t length) override {
    return offset >= bytes_.size() ? std::string() : bytes_.substr(offset, length);
  }
  bool Open(const AccessHeader& /*header*/, std::uint16_t code_page) override {
    opened_code_page = code_page;
    return opens;
  }
  std::optional<std::vector<TableEntry>> Tables() override {
    if (!catalog) return std::nullopt;
    // Both libraries list the catalog itself among the tables.
    std::vector<TableEntry> entries;
    if (catalog_entry) entries.push_back(*catalog_entry);
    for (const MemoryTable& t : tables_) entries.push_back({t.name, t.page});
    return entries;
  }
  std::optional<std::vector<std::string>> Columns(std::size_t table) override {
    current_ = &tables_.at(table - (catalog_entry ? 1 : 0));
    next_ = 0;
    if (current_->unreadable) return std::nullopt;
    return current_->columns;
  }
  RowStep NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) override {
    if (next_ >= current_->rows.size()) return RowStep::End;
    row_ = &current_->rows[next_++];
    ++rows_read;
    for (const std::size_t c : compared) {
      if (IsDamage((*row_)[c])) return RowStep::Damaged;
      values.push_back((*row_)[c]);
    }
    return RowStep::Row;
  }
  bool WholeRow(std::vector<Value>& row) override {
    for (const Value& v : *row_) {
      if (IsDamage(v)) return false;
      row.push_back(v);
    }
    return true;
  }

  bool opens = true;
  bool catalog = true;
  std::optional<TableEntry> catalog_entry = TableEntry{"MSysObjects", 2};
  std::uint16_t opened_code_page = 0xFFFF;
  std::size_t rows_read = 0;

 private:
  std::string bytes_;
  std::vector<MemoryTable> tables_;
  MemoryTable* current_ = nullptr;
  const std::vector<Value>* row_ = nullptr;
  std::size_t next_ = 0;
};

std::string Jet4Bytes() { return ReadBytes(FixturePath("lookup")); }

// Two tables: "Segment" with a null and a damaged row late in it.
std::vector<MemoryTable> Tables() {
  return {
      {"segmoborud", {"nomsegm", "oborud"}, {{Text("12"), Text("first 12")}, {Text("12"), Text("second 12")}}},
      {"Segment",
       {"nomsegm", "nomstep", "prim"},
       {{Text("1"), Null(), Text("step null")},
        {Text("1"), Text("2"), Text("one two")},
        {Text("2"), Text("2"), Null()},
        {Damage(), Text("3"), Text("after the damage")},
        {Text("4"), Text("4"), Text("never reached")}}},
  };
}

// What a statement got: its failure and name, or its row's texts (nulls as "<null>").
std::string Seen(const StatementOutcome& o) {
  if (o.failure != ReadFailure::None) return "failure " + std::to_string(static_cast<int>(o.failure)) + " " + o.name;
  if (!o.result.has_row) return "no row, " + std::to_string(o.result.columns.size()) + " columns";
  std::string s = "row";
  for (const Value& v : o.result.row) s += " " + (v.kind == Value::Kind::Null ? std::string("<null>") : v.text);
  return s;
}
std::string FailureSeen(ReadFailure failure, const std::string& name) {
  return "failure " + std::to_string(static_cast<int>(failure)) + " " + name;
}

struct Case {
  const char* what;
  std::vector<Statement> statements;
  std::vector<std::string> expected;
};

class RunnerTest : public ::testing::TestWithParam<Case> {};

TEST_P(RunnerTest, EachStatementGetsItsOutcome) {
  const Case& c = GetParam();
  MemoryRows rows(Jet4Bytes(), Tables());
  std::vector<std::string> told;
  const std::vector<StatementOutcome> outcomes =
      RunStatements(rows, "file.mdb", c.statements, [&](const StatementOutcome& o) { told.push_back(Seen(o)); });
  std::vector<std::string> seen;
  for (const StatementOutcome& o : outcomes) seen.push_back(Seen(o));
  EXPECT_EQ(seen, c.expected) << c.what;
  EXPECT_EQ(told, c.expected) << c.what << ": every outcome told, in order";
}

const Case kCases[] = {
    {"the first matching row wins, in file order", {{"segmoborud", {{"nomsegm", "12"}}}}, {"row 12 first 12"}},
    {"several statements on one table, each its own first row",
     {{"Segment", {{"nomsegm", "1"}, {"nomstep", "2"}}}, {"Segment", {{"nomsegm", "2"}}}, {"Segment", {}}},
     {"row 1 2 one two", "row 2 2 <null>", "row 1 <null> step null"}},
    {"a null never matches, not even %",
     {{"Segment", {{"nomstep", "%"}}}, {"Segment", {{"prim", "%"}, {"nomsegm", "2"}}}},
     {"row 1 2 one two", FailureSeen(ReadFailure::DamagedTable, "Segment")}},
    {"no row found before the end: the table's columns and no row",
     {{"segmoborud", {{"nomsegm", "99"}}}},
     {"no row, 2 columns"}},
    {"a table missing: that statement only; table names ignore case",
     {{"no such", {}}, {"SEGMOBORUD", {{"NOMSEGM", "1_"}}}},
     {FailureSeen(ReadFailure::MissingTable, "no such"), "row 12 first 12"}},
    {"a column missing fails its statement alone",
     {{"Segment", {{"nomsegm", "1"}, {"ts", "0"}}}, {"Segment", {{"nomsegm", "1"}}}},
     {FailureSeen(ReadFailure::MissingColumn, "ts"), "row 1 <null> step null"}},
    {"a bad pattern fails its statement alone",
     {{"segmoborud", {{"oborud", "[ab"}}}, {"segmoborud", {{"oborud", "sec%"}}}},
     {FailureSeen(ReadFailure::BadPattern, "[ab"), "row 12 second 12"}},
    {"a damaged row mid-table fails the statements not yet answered",
     {{"Segment", {{"nomsegm", "1"}}}, {"Segment", {{"nomsegm", "4"}}}, {"segmoborud", {}}},
     {"row 1 <null> step null", FailureSeen(ReadFailure::DamagedTable, "Segment"), "row 12 first 12"}},
    {"a damaged row before any match fails every statement of its table",
     {{"Segment", {{"nomstep", "4"}}}, {"Segment", {{"nomsegm", "4"}}}},
     {FailureSeen(ReadFailure::DamagedTable, "Segment"), FailureSeen(ReadFailure::DamagedTable, "Segment")}},
};
INSTANTIATE_TEST_SUITE_P(Statements, RunnerTest, ::testing::ValuesIn(kCases));

TEST(Runner, ThePassEndsOnceEveryStatementHasItsRow) {
  MemoryRows rows(Jet4Bytes(), Tables());
  RunStatements(rows, "f", {{"Segment", {{"nomsegm", "1"}}}, {"Segment", {{"nomstep", "2"}}}});
  EXPECT_EQ(rows.rows_read, 2U);
}

TEST(Runner, ADamagedMatchingRowFailsItsTable) {
  std::vector<MemoryTable> tables = Tables();
  tables[1].rows[0][2] = Damage();  // compared columns are sound, the row is not
  MemoryRows rows(Jet4Bytes(), tables);
  const auto outcomes = RunStatements(rows, "f", {{"Segment", {{"nomsegm", "1"}}}});
  EXPECT_EQ(Seen(outcomes[0]), FailureSeen(ReadFailure::DamagedTable, "Segment"));
}

TEST(Runner, ATableWhoseDefinitionCannotBeReadIsDamaged) {
  std::vector<MemoryTable> tables = Tables();
  tables[0].unreadable = true;
  MemoryRows rows(Jet4Bytes(), tables);
  const auto outcomes = RunStatements(rows, "f", {{"segmoborud", {}}, {"Segment", {{"nomsegm", "2"}}}});
  EXPECT_EQ(Seen(outcomes[0]), FailureSeen(ReadFailure::DamagedTable, "segmoborud"));
  EXPECT_EQ(Seen(outcomes[1]), "row 2 2 <null>");
}

// Failures of the whole file: every statement fails alike, naming the file.
struct FileCase {
  const char* what;
  std::string bytes;
  bool opens = true;
  bool catalog = true;
  ReadFailure expected;
  std::optional<TableEntry> catalog_entry = TableEntry{"MSysObjects", 2};
};

TEST(Runner, FailuresOfTheWholeFile) {
  const std::string good = Jet4Bytes();
  std::string no_signature = good;
  no_signature[4] = 'X';
  const FileCase cases[] = {
      {"not an Access file", "just some text", true, true, ReadFailure::NotDatabase},
      {"an empty file", "", true, true, ReadFailure::NotDatabase},
      {"no Access signature", no_signature, true, true, ReadFailure::NotDatabase},
      {"cut inside a page", good.substr(0, good.size() - 100), true, true, ReadFailure::DamagedFile},
      {"cut to its first two pages", good.substr(0, 2 * 4096), true, true, ReadFailure::DamagedFile},
      {"the library cannot open it", good, false, true, ReadFailure::DamagedFile},
      {"its catalog cannot be read", good, true, false, ReadFailure::DamagedFile},
      // The browser's reader finds the catalog through the row that names it.
      {"the catalog does not list itself", good, true, true, ReadFailure::DamagedFile, std::nullopt},
      {"the catalog lists itself by another name", good, true, true, ReadFailure::DamagedFile,
       TableEntry{"MSysObjectz", 2}},
      {"the catalog lists itself on another page", good, true, true, ReadFailure::DamagedFile,
       TableEntry{"MSysObjects", 3}},
  };
  for (const FileCase& c : cases) {
    MemoryRows rows(c.bytes, Tables());
    rows.opens = c.opens;
    rows.catalog = c.catalog;
    rows.catalog_entry = c.catalog_entry;
    const auto outcomes = RunStatements(rows, "file.mdb", {{"segmoborud", {}}, {"Segment", {}}});
    ASSERT_EQ(outcomes.size(), 2U) << c.what;
    for (const StatementOutcome& o : outcomes) {
      EXPECT_EQ(Seen(o), FailureSeen(c.expected, "file.mdb")) << c.what;
    }
  }
}

TEST(Runner, ATableWhosePagesLieBeyondTheEndIsADamagedFile) {
  const std::string good = Jet4Bytes();
  const auto pages = static_cast<std::uint32_t>(good.size() / 4096);
  for (const std::uint32_t page : {pages, pages + 1, 0xFFFFFFU, 1U}) {  // 1: not a definition page
    std::vector<MemoryTable> tables = Tables();
    tables[1].page = page;
    MemoryRows rows(good, tables);
    const auto outcomes = RunStatements(rows, "file.mdb", {{"segmoborud", {}}, {"Segment", {}}});
    EXPECT_EQ(Seen(outcomes[0]), "row 12 first 12") << page;
    EXPECT_EQ(Seen(outcomes[1]), FailureSeen(ReadFailure::DamagedFile, "file.mdb")) << page;
  }
}

// The pages of a fixture, spoilt where both Access readers would part ways:
// the runner calls such a table (or the file) damaged before either reads
// it, so every edition says the same.
struct Framing {
  bool jet3;
  std::size_t page_size;
  std::string bytes;

  std::size_t RowCountAt() const { return jet3 ? 8 : 12; }
  std::uint32_t Int(std::size_t at, int size) const {
    std::uint32_t v = 0;
    for (int k = size - 1; k >= 0; --k) v = v << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(k)]);
    return v;
  }
  void Put(std::size_t at, std::uint32_t v, int size) {
    for (int k = 0; k < size; ++k) bytes[at + static_cast<std::size_t>(k)] = static_cast<char>(v >> (8 * k));
  }
  // Where the first data page of the table whose definition starts at `owner` begins.
  std::size_t DataPage(std::uint32_t owner) const {
    for (std::size_t at = page_size; at + page_size <= bytes.size(); at += page_size) {
      if (bytes[at] == 1 && Int(at + 4, 4) == owner) return at;
    }
    ADD_FAILURE() << "no data page of " << owner;
    return 0;
  }
};

struct FramingCase {
  const char* what;
  void (*spoil)(Framing&);
  const char* segmoborud;  // what the two statements get
  const char* segment;
};

const FramingCase kFramingCases[] = {
    {"sound", [](Framing&) {}, "row 12 first 12", "row 1 <null> step null"},
    {"the map of free space points nowhere",
     [](Framing& f) { f.Put(5 * f.page_size + (f.jet3 ? 39 : 59), 0x00FFFF00, 4); }, "row 12 first 12",
     "failure 8 Segment"},
    {"a mapped page belongs to another table", [](Framing& f) { f.Put(f.DataPage(5) + 4, 3, 4); }, "row 12 first 12",
     "failure 8 Segment"},
    {"a deleted row's offset lies past the page, where the next row ends",
     [](Framing& f) {
       const std::size_t page = f.DataPage(5);
       f.Put(page + f.RowCountAt() + 2, 0x4000 | 0x1F00, 2);
     },
     "row 12 first 12", "failure 8 Segment"},
    {"a row marked as moved is read where it stands",
     [](Framing& f) {
       const std::size_t page = f.DataPage(3);
       const std::size_t entry = page + f.RowCountAt() + 2;
       f.Put(entry, f.Int(entry, 2) | 0x8000, 2);
     },
     "row 12 first 12", "row 1 <null> step null"},
    {"the offset of the row that holds a table's usage map carries a flag",
     [](Framing& f) {
       const std::uint32_t map = f.Int(5 * f.page_size + (f.jet3 ? 35 : 55), 4);
       const std::size_t entry = (map >> 8) * f.page_size + f.RowCountAt() + 2 + 2 * (map & 0xFF);
       f.Put(entry, f.Int(entry, 2) | 0x4000, 2);
     },
     "row 12 first 12", "failure 6 file.mdb"},
    {"a catalog column libmdb binds is renamed",
     [](Framing& f) {
       const std::string name = f.jet3 ? std::string("LvProp") : std::string("L\0v\0P\0r\0o\0p\0", 12);
       const std::size_t at = f.bytes.find(name, 2 * f.page_size);
       ASSERT_LT(at, 3 * f.page_size);
       f.bytes[at + (f.jet3 ? 2 : 4)] = 'Q';
     },
     "failure 6 file.mdb", "failure 6 file.mdb"},
    {"a page of the catalog's map belongs to another table", [](Framing& f) { f.Put(f.DataPage(2) + 4, 3, 4); },
     "failure 6 file.mdb", "failure 6 file.mdb"},
};

TEST(Runner, PagesBothReadersReadAlikeOrTheDamageIsNamed) {
  for (const bool jet3 : {false, true}) {
    for (const FramingCase& c : kFramingCases) {
      Framing f{jet3, jet3 ? 2048U : 4096U, ReadBytes(FixturePath(jet3 ? "lookup_jet3" : "lookup"))};
      c.spoil(f);
      std::vector<MemoryTable> tables = Tables();
      tables[0].page = 3;
      tables[1].page = 5;
      MemoryRows rows(f.bytes, tables);
      const auto outcomes = RunStatements(rows, "file.mdb", {{"segmoborud", {}}, {"Segment", {}}});
      const std::string where = std::string(c.what) + (jet3 ? " (Jet 3)" : " (Jet 4)");
      EXPECT_EQ(Seen(outcomes[0]), c.segmoborud) << where;
      EXPECT_EQ(Seen(outcomes[1]), c.segment) << where;
    }
  }
}

TEST(Runner, AJet3FileIsOpenedInItsCodePage) {
  MemoryRows rows(ReadBytes(FixturePath("lookup_jet3")), Tables());
  const auto outcomes = RunStatements(rows, "f", {{"segmoborud", {{"nomsegm", "12"}}}});
  EXPECT_EQ(rows.opened_code_page, 1251);
  EXPECT_EQ(Seen(outcomes[0]), "row 12 first 12");
  MemoryRows later(Jet4Bytes(), Tables());
  RunStatements(later, "f", {{"segmoborud", {}}});
  EXPECT_EQ(later.opened_code_page, 0);
}

}  // namespace
}  // namespace ostrolen

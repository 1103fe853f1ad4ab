// What ostrolen-mkdb writes of the features Access files pick up over the
// years, read back by mdbtools: deleted columns, a row an update moved, an
// index, calculated columns, extended date/time, complex columns and
// replication ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/mdb_tools.h"
#include "tools/mkdb/jet.h"
#include "tools/mkdb/source.h"

namespace ostrolen::mkdb::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Feature {
  std::string name;
  std::string description;  // of one table, "T"
  Rows rows;                // as mdb-export gives them, the header first
  std::vector<std::string> schema;
};

class MkdbFeatures : public ::testing::TestWithParam<Feature> {
 protected:
  void SetUp() override {
    if (!HaveMdbTools()) GTEST_SKIP() << kNoMdbTools;
  }
  TempDir dir_;
};

TEST_P(MkdbFeatures, MdbtoolsReadThem) {
  const Feature& feature = GetParam();
  std::string errors;
  const std::string db = MakeDb(dir_, "table\tT\n" + feature.description, &errors);
  ASSERT_FALSE(db.empty()) << errors;
  const Output exported = RunProgram({"mdb-export", "-Q", "-e", "-d", "\t", "-0", "\\N", db, "T"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  Rows rows;
  std::string line;
  for (const char c : exported.out) {
    if (c != '\n') {
      line += c;
      continue;
    }
    std::vector<std::string> fields(1);
    for (const char d : line) {
      if (d == '\t') {
        fields.emplace_back();
      } else {
        fields.back().push_back(d);
      }
    }
    rows.push_back(fields);
    line.clear();
  }
  EXPECT_EQ(rows, feature.rows);
  EXPECT_EQ(CountRows(db, "T"), static_cast<long>(feature.rows.size()) - 1);
  if (!feature.schema.empty()) {
    EXPECT_EQ(SchemaLines(db, "T"), feature.schema);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Written, MkdbFeatures,
    ::testing::Values(
        // Deleted columns leave their numbers and their places in the rows.
        Feature{"DeletedColumns",
                "column\ta\tlong\ndeleted\ttext\ncolumn\tb\ttext\ndeleted\tlong\ncolumn\tc\tlong\n"
                "row\t1\tодин\t10\nrow\t2\t\\N\t20\n",
                {{"a", "b", "c"}, {"1", "один", "10"}, {"2", "\\N", "20"}},
                {"[a]\t\t\tLong Integer,", "[b]\t\t\tText (255),", "[c]\t\t\tLong Integer"}},
        // A moved row is read where it now lies, after the others.
        Feature{"MovedRow",
                "column\tn\ttext\nrow\tпервая\nmoved\tперенесённая\nrow\tтретья\n",
                {{"n"}, {"первая"}, {"третья"}, {"перенесённая"}},
                {}},
        Feature{"Index",
                "column\tn\ttext(2)\ncolumn\tk\tlong\nindex\tk\nrow\t12\t1\nrow\t13\t2\n",
                {{"n", "k"}, {"12", "1"}, {"13", "2"}},
                {}},
        // mdb-export reads a calculated column's wrapped value as if it were
        // bare: the long's first 4 of 16 zero bytes, the text up to a zero.
        Feature{"CalculatedColumns",
                "column\tn\ttext(2)\ncolumn\tl\tcalculated long\ncolumn\tt\tcalculated text(20)\n"
                "row\t12\t7\tсемь\nrow\t13\t\\N\t\\N\n",
                {{"n", "l", "t"}, {"12", "0", "\\N"}, {"13", "\\N", "\\N"}},
                {}},
        // mdbtools knows no extended date/time: it writes nothing for one
        // (see ExtendedDateAsAccess2019WritesIt).
        Feature{"ExtendedDate",
                "column\tn\ttext(2)\ncolumn\td\textdate\nrow\t12\t2021-06-14 22:45:12.5\nrow\t13\t\\N\n",
                {{"n", "d"}, {"12", "\\N"}, {"13", "\\N"}},
                {"[n]\t\t\tText (2),", "[d]\t\t\tUnknown_0014"}},
        Feature{"Complex",
                "column\tn\ttext(2)\ncolumn\tc\tcomplex\nrow\t12\t1\nrow\t13\t2\n",
                {{"n", "c"}, {"12", "1"}, {"13", "2"}},
                {"[n]\t\t\tText (2),", "[c]\t\t\tUnknown_0012"}},
        // mdbtools writes a replication id without its last hyphen.
        Feature{"ReplicationId",
                "column\tn\ttext(2)\ncolumn\tg\tguid\nrow\t12\t{8E39276A-BCA8-4AC4-891E-49911D8438DD}\n"
                "row\t13\t{00000000-0000-0000-0000-000000000001}\n",
                {{"n", "g"},
                 {"12", "{8E39276A-BCA8-4AC4-891E49911D8438DD}"},
                 {"13", "{00000000-0000-0000-0000000000000001}"}},
                {"[n]\t\t\tText (2),", "[g]\t\t\tReplication ID"}}),
    [](const ::testing::TestParamInfo<Feature>& info) { return info.param.name; });

// The bytes Access 2019 wrote for 14.06.2021 22:45:12.3456789 (Jackcess's
// extDateTestV2019.accdb): days since 1 January of year 1, the second of
// the day and its fraction, the precision.
TEST(MkdbFeaturesExtendedDate, AsAccess2019WritesIt) {
  const Database db =
      ParseDescription("table\tT\ncolumn\td\textdate\nrow\t2021-06-14 22:45:12.3456789\nrow\t0001-01-01 00:00:00\n");
  const std::string image = JetImage(db);
  EXPECT_NE(image.find(std::string("0000000000000737954:0000000819123456789:7\0", 42)), std::string::npos);
  EXPECT_NE(image.find(std::string("0000000000000000000:0000000000000000000:7\0", 42)), std::string::npos);
}

TEST(MkdbFeaturesIndex, MdbSchemaFindsTheIndex) {
  if (!HaveMdbTools()) GTEST_SKIP() << kNoMdbTools;
  const TempDir dir;
  const std::string db = MakeDb(dir, "table\tT\ncolumn\tn\ttext(2)\ncolumn\tk\tlong\nindex\tk\nrow\t12\t1\n");
  ASSERT_FALSE(db.empty());
  const Output schema = RunProgram({"mdb-schema", "-T", "T", db, "mysql"});
  ASSERT_EQ(schema.status, 0) << schema.err;
  EXPECT_NE(schema.out.find("ADD INDEX `Index1` (`k`)"), std::string::npos) << schema.out;
}

// Jet 3 (Access 97) had none of the later features; a replication id and a
// deleted column it had.
TEST(MkdbFeaturesJet3, OnlyWhatAccess97Had) {
  const struct {
    std::string description;
    bool written;
  } cases[] = {
      {"table\tT\ncolumn\tn\ttext\ncolumn\tg\tguid\nrow\ta\t{8E39276A-BCA8-4AC4-891E-49911D8438DD}\n", true},
      {"table\tT\ncolumn\tn\ttext\ndeleted\tlong\nrow\ta\n", true},
      {"table\tT\ncolumn\tn\ttext\ncolumn\tl\tcalculated long\nrow\ta\t1\n", false},
      {"table\tT\ncolumn\tn\ttext\ncolumn\td\textdate\nrow\ta\t2020-01-01 00:00:00\n", false},
      {"table\tT\ncolumn\tn\ttext\ncolumn\tc\tcomplex\nrow\ta\t1\n", false},
      {"table\tT\ncolumn\tn\ttext\nindex\tn\nrow\ta\n", false},
      {"table\tT\ncolumn\tn\ttext\nmoved\ta\n", false},
  };
  for (const auto& c : cases) {
    const Database db = ParseDescription(c.description);
    bool written = true;
    try {
      Jet3Image(db, 1252);
    } catch (const InputError&) {
      written = false;
    }
    EXPECT_EQ(written, c.written) << c.description;
  }
}

TEST(MkdbFeaturesSource, BadValuesOfTheNewKinds) {
  for (const std::string description : {
           "table\tT\ncolumn\tg\tguid\nrow\t{8E39276A-BCA8-4AC4-891E49911D8438DD}\n",
           "table\tT\ncolumn\tg\tguid\nrow\t{8E39276A-BCA8-4AC4-891E-49911D8438DG}\n",
           "table\tT\ncolumn\td\textdate\nrow\t2021-13-01 00:00:00\n",
           "table\tT\ncolumn\td\textdate\nrow\t2021-01-01 00:00:00.12345678\n",
           "table\tT\ncolumn\tc\tcalculated bool\n",
           "table\tT\ncolumn\tn\ttext\nindex\tm\n",
           "table\tT\ncolumn\tn\ttext\ndeleted\tlong\nrow\ta\t1\n",
       }) {
    EXPECT_THROW(ParseDescription(description), InputError) << description;
  }
}

}  // namespace
}  // namespace ostrolen::mkdb::test

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "tools/mkdb/source.h"

namespace ostrolen::mkdb {
namespace {

constexpr std::string_view kTwoColumns = "table\tT\ncolumn\ta\ttext(3)\ncolumn\tn\tlong\n";

struct ErrorCase {
  const char* what;
  std::string description;
  int line;
  std::string message;  // a part of the message
};

class SourceErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SourceErrors, NameTheLine) {
  const ErrorCase& c = GetParam();
  try {
    ParseDescription(c.description);
    FAIL() << c.what << ": accepted";
  } catch (const InputError& error) {
    EXPECT_EQ(error.line(), c.line) << c.what << ": " << error.what();
    EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.what << ": " << error.what();
  }
}

std::string Two(std::string_view row) { return std::string(kTwoColumns) + std::string(row) + "\n"; }

INSTANTIATE_TEST_SUITE_P(
    Description, SourceErrors,
    ::testing::Values(
        ErrorCase{"unknown type", "table\tT\ncolumn\ta\tint\n", 2, "unknown column type \"int\""},
        ErrorCase{"type in capitals", "table\tT\ncolumn\ta\tTEXT\n", 2, "unknown column type"},
        ErrorCase{"text(0)", "table\tT\ncolumn\ta\ttext(0)\n", 2, "must be a number 1..255"},
        ErrorCase{"text(256)", "table\tT\ncolumn\ta\ttext(256)\n", 2, "must be a number 1..255"},
        ErrorCase{"text(-1)", "table\tT\ncolumn\ta\ttext(-1)\n", 2, "must be a number 1..255"},
        ErrorCase{"text(x)", "table\tT\ncolumn\ta\ttext(x)\n", 2, "must be a number 1..255"},
        ErrorCase{"text()", "table\tT\ncolumn\ta\ttext()\n", 2, "unknown column type"},
        ErrorCase{"too few values", Two("row\tab"), 4, "row has 1 values, table T has 2 columns"},
        ErrorCase{"too many values", Two("row\tab\t1\t2"), 4, "row has 3 values, table T has 2 columns"},
        ErrorCase{"no values", Two("row"), 4, "row has 0 values"},
        ErrorCase{"letters in a number", Two("row\ta\t12a"), 4, "\"12a\" is not a Long Integer"},
        ErrorCase{"empty number", Two("row\ta\t"), 4, "\"\" is not a Long Integer"},
        ErrorCase{"sign alone", Two("row\ta\t-"), 4, "is not a Long Integer"},
        ErrorCase{"two signs", Two("row\ta\t+-5"), 4, "is not a Long Integer"},
        ErrorCase{"blank before a number", Two("row\ta\t 5"), 4, "is not a Long Integer"},
        ErrorCase{"decimal point", Two("row\ta\t1.0"), 4, "is not a Long Integer"},
        ErrorCase{"hexadecimal", Two("row\ta\t0x10"), 4, "is not a Long Integer"},
        ErrorCase{"above the range", Two("row\ta\t2147483648"), 4, "is not a Long Integer"},
        ErrorCase{"below the range", Two("row\ta\t-2147483649"), 4, "is not a Long Integer"},
        ErrorCase{"text too long", Two("row\tабвг\t1"), 4, "text of 4 characters is longer than text(3)"},
        ErrorCase{"unknown escape", Two("row\ta\\x\t1"), 4, "unknown escape \"\\x\""},
        ErrorCase{"backslash at the end", Two("row\ta\\\t1"), 4, "unknown escape \"\\\""},
        ErrorCase{"null inside a text", Two("row\ta\\Nb\t1"), 4, "unknown escape \"\\N\""},
        ErrorCase{"text starting with U+FEFF",
                  Two("row\t\xEF\xBB\xBF"
                      "a\t1"),
                  4, "cannot start with U+FEFF"},
        ErrorCase{"NUL in a text", Two(std::string("row\ta\0b\t1", 9)), 4, "U+0000"},
        ErrorCase{"bad Yes/No", "table\tT\ncolumn\td\tbool\nrow\t2\n", 3, "\"2\" is not a Yes/No value"},
        ErrorCase{"empty Yes/No", "table\tT\ncolumn\td\tbool\nrow\t\n", 3, "is not a Yes/No value"},
        ErrorCase{"Yes/No word", "table\tT\ncolumn\td\tbool\nrow\tyes\n", 3, "is not a Yes/No value"},
        ErrorCase{"null Yes/No", "table\tT\ncolumn\td\tbool\nrow\t\\N\n", 3, "a Yes/No value cannot be null"},
        ErrorCase{"row before a table", "# first\n\nrow\t1\n", 3, "row before any table"},
        ErrorCase{"column before a table", "column\ta\ttext\n", 1, "column before any table"},
        ErrorCase{"row before a column", "table\tT\nrow\t1\n", 2, "row before any column of table T"},
        ErrorCase{"column after rows", Two("row\ta\t1") + "column\tb\ttext\n", 5, "must come before its rows"},
        ErrorCase{"table without columns at the end", "table\tT\n", 1, "table T has no columns"},
        ErrorCase{"table without columns", "\ntable\tT\ntable\tU\ncolumn\ta\ttext\n", 2, "table T has no columns"},
        ErrorCase{"table defined twice", "table\tT\ncolumn\ta\ttext\ntable\tt\n", 3, "already defined on line 1"},
        ErrorCase{"Cyrillic table twice", "table\tСегмент\ncolumn\ta\ttext\ntable\tсегМЕНТ\n", 3, "already defined"},
        ErrorCase{"column twice", "table\tT\ncolumn\tnom\ttext\ncolumn\tNOM\tlong\n", 3, "already has a column nom"},
        ErrorCase{"system table name", "table\tmsysThing\n", 1, "kept for the system tables"},
        ErrorCase{"name too long", "table\t" + std::string(65, 'x') + "\n", 1, "longer than 64 characters"},
        ErrorCase{"name with a dot", "table\ta.b\n", 1, "holds one of the characters"},
        ErrorCase{"name with a bracket", "table\tT\ncolumn\t[a]\ttext\n", 2, "holds one of the characters"},
        ErrorCase{"name with a leading blank", "table\t a\n", 1, "starts with a blank"},
        ErrorCase{"empty name", "table\t\n", 1, "table name is empty"},
        ErrorCase{"control character in a name", "table\ta\x01\n", 1, "control character"},
        ErrorCase{"table line with extra field", "table\tT\tx\n", 1, "expected: table<TAB>NAME"},
        ErrorCase{"column line without type", "table\tT\ncolumn\ta\n", 2, "expected: column<TAB>NAME<TAB>TYPE"},
        ErrorCase{"unknown line kind", "table\tT\ncolumn\ta\ttext\nRow\tx\n", 3, "unknown line kind \"Row\""},
        ErrorCase{"comment not at the start", "table\tT\ncolumn\ta\ttext\n #x\n", 3, "unknown line kind \" #x\""},
        ErrorCase{"malformed UTF-8", "table\tT\ncolumn\ta\ttext\nrow\t\xD0\n", 3, "not valid UTF-8"},
        ErrorCase{"character beyond U+FFFF", "table\tT\ncolumn\ta\ttext\nrow\t\xF0\x9F\x98\x80\n", 3, "beyond U+FFFF"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return "Case" + std::to_string(info.index); });

TEST(SourceErrors, TooManyColumns) {
  std::string text = "table\tT\n";
  for (int i = 1; i <= kMaxColumns; ++i) text += "column\tc" + std::to_string(i) + "\tlong\n";
  EXPECT_EQ(ParseDescription(text).tables[0].columns.size(), static_cast<std::size_t>(kMaxColumns));
  text += "column\textra\tlong\n";
  try {
    ParseDescription(text);
    FAIL() << "256 columns accepted";
  } catch (const InputError& error) {
    EXPECT_EQ(error.line(), kMaxColumns + 2);
  }
}

Value Only(std::string_view type, std::string_view value) {
  const std::string text = "table\tT\ncolumn\ta\t" + std::string(type) + "\nrow\t" + std::string(value) + "\n";
  return ParseDescription(text).tables.at(0).rows.at(0).values.at(0);
}

TEST(SourceValues, LongIntegers) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"0", 0},
      {"-0", 0},
      {"+7", 7},
      {"007", 7},
      {"-1", -1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"+2147483647", 2147483647},
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(Only("long", text), Value(number)) << text;
  EXPECT_EQ(Only("long", "\\N"), Value(std::monostate{}));
}

TEST(SourceValues, YesNo) {
  const std::pair<const char*, bool> cases[] = {{"0", false},   {"1", true},      {"false", false},
                                                {"true", true}, {"FALSE", false}, {"True", true}};
  for (const auto& [text, flag] : cases) EXPECT_EQ(Only("bool", text), Value(flag)) << text;
}

TEST(SourceValues, TextsAndEscapes) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"Сегмент 3C", u"Сегмент 3C"},
      {"a\\tb", u"a\tb"},
      {"a\\nb", u"a\nb"},
      {"a\\\\b", u"a\\b"},
      {"\\\\N", u"\\N"},
      {"\\\\", u"\\"},
      {"N\\\\", u"N\\"},
      {"\\t\\n\\\\", u"\t\n\\"},
      {"\xC2\xA0 €", u"\u00A0 €"},
  };
  for (const auto& [text, wide] : cases) EXPECT_EQ(Only("text", text), Value(wide)) << text;
  EXPECT_EQ(Only("text", "\\N"), Value(std::monostate{}));
}

TEST(SourceValues, LengthCountsCharacters) {
  for (int size : {1, 2, 3, 100, 254, 255}) {
    const std::string type = "text(" + std::to_string(size) + ")";
    std::string fits;
    for (int i = 0; i < size; ++i) fits += "ж";
    EXPECT_EQ(std::get<std::u16string>(Only(type, fits)).size(), static_cast<std::size_t>(size)) << type;
    EXPECT_THROW(Only(type, fits + "a"), InputError) << type;
  }
  EXPECT_EQ(std::get<std::u16string>(Only("text", std::string(255, 'x'))).size(), 255u);
  EXPECT_THROW(Only("text", std::string(256, 'x')), InputError);
}

TEST(SourceLayout, TablesColumnsRowsAndLines) {
  const Database db = ParseDescription(
      "\xEF\xBB\xBF# a comment\r\n"
      "\r\n"
      "table\tСегмент\r\n"
      "column\tnomsegm\ttext(2)\r\n"
      "column\tD\tbool\r\n"
      "column\tts\tlong\r\n"
      "   \t \n"
      "row\t3C\t1\t0\r\n"
      "#row\tignored\n"
      "row\t\t0\t\\N\n"
      "table\tEmpty\n"
      "column\tx\ttext\n");
  ASSERT_EQ(db.tables.size(), 2u);
  const Table& first = db.tables[0];
  EXPECT_EQ(first.name, "Сегмент");
  EXPECT_EQ(first.line, 3);
  ASSERT_EQ(first.columns.size(), 3u);
  EXPECT_EQ(first.columns[0].name, "nomsegm");
  EXPECT_EQ(first.columns[0].kind, ColumnKind::Text);
  EXPECT_EQ(first.columns[0].size, 2);
  EXPECT_EQ(first.columns[1].name, "D");
  EXPECT_EQ(first.columns[1].kind, ColumnKind::Bool);
  EXPECT_EQ(first.columns[2].kind, ColumnKind::Long);
  ASSERT_EQ(first.rows.size(), 2u);
  EXPECT_EQ(first.rows[0].line, 8);
  EXPECT_EQ(first.rows[0].values, (std::vector<Value>{u"3C", true, 0}));
  EXPECT_EQ(first.rows[1].line, 10);
  EXPECT_EQ(first.rows[1].values, (std::vector<Value>{u"", false, std::monostate{}}));
  EXPECT_EQ(db.tables[1].name, "Empty");
  EXPECT_TRUE(db.tables[1].rows.empty());
  EXPECT_TRUE(ParseDescription("# nothing\n\n").tables.empty());
}

}  // namespace
}  // namespace ostrolen::mkdb

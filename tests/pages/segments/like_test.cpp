// Jet's LIKE, the Jet text format and the reader's wire format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/database.h"
#include "reader/like.h"
#include "reader/query.h"

namespace ostrolen {
namespace {

struct LikeCase {
  const char* pattern;
  const char* text;
  bool matches;
};

void PrintTo(const LikeCase& c, std::ostream* os) { *os << "'" << c.text << "' LIKE '" << c.pattern << "'"; }

class LikeTest : public ::testing::TestWithParam<LikeCase> {};

TEST_P(LikeTest, Matches) {
  const LikeCase& c = GetParam();
  const std::optional<LikePattern> pattern = LikePattern::Compile(c.pattern);
  ASSERT_TRUE(pattern.has_value()) << c.pattern;
  EXPECT_EQ(pattern->Matches(c.text), c.matches) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Wildcards, LikeTest,
    ::testing::Values(LikeCase{"3C", "3C", true}, LikeCase{"3c", "3C", true}, LikeCase{"3C", "3c", true},
                      LikeCase{"3C", "3C ", false}, LikeCase{"3C", "3", false}, LikeCase{"", "", true},
                      LikeCase{"", "a", false}, LikeCase{"%", "", true}, LikeCase{"%", "что угодно", true},
                      LikeCase{"1%", "12", true}, LikeCase{"%2", "12", true}, LikeCase{"%2%", "123", true},
                      LikeCase{"%2%2", "1232", true}, LikeCase{"%2%2", "123", false}, LikeCase{"_", "Ж", true},
                      LikeCase{"_", "", false}, LikeCase{"_", "ab", false}, LikeCase{"__", "ab", true},
                      LikeCase{"a%b%c", "aXbYc", true}, LikeCase{"a%b%c", "aXcYb", false}, LikeCase{"[abc]", "B", true},
                      LikeCase{"[abc]", "d", false}, LikeCase{"[a-c]x", "bX", true}, LikeCase{"[A-C]", "b", true},
                      LikeCase{"[!a-c]", "b", false}, LikeCase{"[!a-c]", "d", true}, LikeCase{"[а-я]", "Ё", false},
                      LikeCase{"[а-яё]", "Ё", true}, LikeCase{"[-a]", "-", true}, LikeCase{"[a-]", "-", true},
                      LikeCase{"[*]", "*", true}, LikeCase{"[%]", "%", true}, LikeCase{"[_]", "x", false},
                      LikeCase{"a[]b", "ab", true}, LikeCase{"]", "]", true}, LikeCase{"!", "!", true},
                      LikeCase{"*", "*", true}, LikeCase{"*", "abc", false}, LikeCase{"?", "a", false},
                      LikeCase{"?", "?", true}, LikeCase{"#", "1", false}, LikeCase{"#", "#", true},
                      LikeCase{"'", "'", true}, LikeCase{"7'", "7'", true}, LikeCase{"''", "'", false},
                      LikeCase{"\\", "\\", true}, LikeCase{"0", "0", true}, LikeCase{"0", "00", false},
                      LikeCase{"-1", "-1", true}));

TEST(Like, AnOpenBracketIsNoPattern) {
  for (const char* pattern : {"[", "[a", "a[b-c", "%[!"}) EXPECT_FALSE(LikePattern::Compile(pattern)) << pattern;
}

// Every letter of the alphabets in use, against its other case.
TEST(Like, LetterCaseIsIgnoredForEveryLetter) {
  std::vector<std::pair<char32_t, char32_t>> pairs;
  for (char32_t c = U'A'; c <= U'Z'; ++c) pairs.emplace_back(c, c + 32);
  for (char32_t c = 0x410; c <= 0x42F; ++c) pairs.emplace_back(c, c + 32);  // А-Я
  for (char32_t c = 0x400; c <= 0x40F; ++c) pairs.emplace_back(c, c + 80);  // Ѐ-Џ, Ё among them
  for (char32_t c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) pairs.emplace_back(c, c + 32);
  }
  for (const auto& [upper, lower] : pairs) {
    const std::string u = EncodeUtf8(std::u32string(1, upper)), l = EncodeUtf8(std::u32string(1, lower));
    EXPECT_TRUE(LikePattern::Compile(u)->Matches(l)) << u;
    EXPECT_TRUE(LikePattern::Compile(l)->Matches(u)) << u;
    EXPECT_TRUE(SameName(u + "x", l + "X")) << u;
  }
  // Nothing else folds: every other ASCII character stays itself.
  for (char32_t c = 0; c < 0x80; ++c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z')) continue;
    EXPECT_EQ(FoldCase(c), c);
  }
  EXPECT_FALSE(SameName("segment", "segments"));
  EXPECT_FALSE(SameName("3C", "3С"));  // Cyrillic С
}

TEST(Utf8, RoundTripAndBadBytes) {
  const std::u32string text = U"Сегмент 3C: \U0001D11E\u0000end";
  EXPECT_EQ(DecodeUtf8(EncodeUtf8(text)), text);
  EXPECT_EQ(DecodeUtf8("a\xFF"
                       "b"),
            U"a\uFFFD"
            "b");
  EXPECT_EQ(DecodeUtf8("\xD0"), U"\uFFFD");            // cut short
  EXPECT_EQ(DecodeUtf8("\xC0\xAF"), U"\uFFFD\uFFFD");  // overlong
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (const int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

TEST(JetText, Utf16AndCompressedRuns) {
  EXPECT_EQ(DecodeJetText(Bytes({'3', 0, 'C', 0})), "3C");
  EXPECT_EQ(DecodeJetText(Bytes({0x21, 0x04, 0x35, 0x04})), "Се");
  EXPECT_EQ(DecodeJetText(Bytes({0xFF, 0xFE, '3', 'C'})), "3C");
  // A compressed run, a zero to switch to two bytes a character, and back.
  EXPECT_EQ(DecodeJetText(Bytes({0xFF, 0xFE, 'a', 0, 0x21, 0x04, 0, 'b'})), "aСb");
  EXPECT_EQ(DecodeJetText(""), "");
  EXPECT_EQ(DecodeJetText(Bytes({0xFF, 0xFE})), "");
  EXPECT_EQ(DecodeJetText(Bytes({'a', 0, 'b'})), "a");  // an odd last byte
}

TEST(JetText, BeyondTheBmpAndZeroAreKept) {
  // U+1D11E as a surrogate pair, U+0000 inside the text.
  EXPECT_EQ(DecodeJetText(Bytes({0x34, 0xD8, 0x1E, 0xDD, 'x', 0, 0, 0, 'y', 0})),
            "\U0001D11Ex" + std::string(1, '\0') + "y");
  EXPECT_EQ(DecodeJetText(Bytes({0x34, 0xD8, 'x', 0})), "\uFFFDx");  // a lone surrogate
  EXPECT_EQ(DecodeJetText(Bytes({0x1E, 0xDD})), "\uFFFD");
}

TEST(Wire, RequestsCarryAnyText) {
  const std::vector<Statement> statements = {
      {"segmoborud", {{"nomsegm", "7'"}}},
      {"Segment", {{"nomsegm", "a\tb\n"}, {"nomstep", std::string("x\0y", 3)}}},
      {"segmentkup", {}},
  };
  std::string file;
  std::vector<Statement> back;
  ASSERT_TRUE(DecodeRequest(EncodeRequest("dbveltra.mdb", statements), file, back));
  EXPECT_EQ(file, "dbveltra.mdb");
  ASSERT_EQ(back.size(), statements.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].table, statements[i].table);
    ASSERT_EQ(back[i].conditions.size(), statements[i].conditions.size());
    for (std::size_t k = 0; k < back[i].conditions.size(); ++k) {
      EXPECT_EQ(back[i].conditions[k].column, statements[i].conditions[k].column);
      EXPECT_EQ(back[i].conditions[k].pattern, statements[i].conditions[k].pattern);
    }
  }
  const std::string good = EncodeRequest("f", statements);
  for (const std::string& bad : {std::string("zz"), good.substr(0, good.size() - 2), good + "00", std::string("0")}) {
    EXPECT_FALSE(DecodeRequest(bad, file, back)) << bad;
  }
}

TEST(Wire, OnlyWholeOutcomesCount) {
  StatementOutcome found;
  found.result.columns = {"nomsegm", "oborud", "d"};
  found.result.has_row = true;
  found.result.row = {
      {Value::Kind::Text, "12", false}, {Value::Kind::Null, "", false}, {Value::Kind::Boolean, "False", true}};
  StatementOutcome missing;
  missing.failure = ReadFailure::MissingTable;
  missing.name = "Segment";
  const std::string bytes = EncodeOutcome(found) + EncodeOutcome(missing);
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    const std::vector<StatementOutcome> got = DecodeOutcomes(std::string_view(bytes).substr(0, cut), 2);
    const std::size_t whole = cut == bytes.size() ? 2 : cut >= EncodeOutcome(found).size() ? 1 : 0;
    ASSERT_EQ(got.size(), whole) << cut;
    if (whole >= 1) {
      EXPECT_EQ(got[0].result.columns, found.result.columns);
      EXPECT_EQ(got[0].result.row[2].text, "False");
      EXPECT_TRUE(EqualsFalse(got[0].result.row[2]));
      EXPECT_FALSE(EqualsFalse(got[0].result.row[1]));
    }
    if (whole == 2) {
      EXPECT_EQ(got[1].name, "Segment");
    }
  }
}

TEST(Values, ConversionAndFields) {
  QueryResult result;
  result.columns = {"NomSegm", "oborud"};
  EXPECT_EQ(FieldValue(result, "nomsegm").kind, Value::Kind::Null);  // no row: null
  result.has_row = true;
  result.row = {{Value::Kind::Text, "", false}, {Value::Kind::Number, "0", true}};
  EXPECT_EQ(ValueText(FieldValue(result, "NOMSEGM")), "");
  EXPECT_EQ(ValueText(FieldValue(result, "oborud")), "0");
  EXPECT_TRUE(EqualsFalse(FieldValue(result, "oborud")));
  try {
    FieldValue(result, "prim");
    ADD_FAILURE() << "no error";
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "ADOQuery1: Field 'prim' not found");
  }
  for (const Value::Kind kind : {Value::Kind::Null, Value::Kind::Binary}) {
    try {
      ValueText(Value{kind, "", false});
      ADD_FAILURE() << "no error";
    } catch (const DatabaseError& e) {
      EXPECT_STREQ(e.what(), "Invalid variant type conversion");
    }
  }
}

}  // namespace
}  // namespace ostrolen

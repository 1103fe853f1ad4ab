// The four fault tables: sizes, which bits are monitored, and their texts
// to the byte where Latin and Cyrillic letters look alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "tests/pages/faults/fault_test_support.h"

namespace ostrolen::testing {
namespace {

std::vector<std::string> TextsOf(FaultTable table) {
  std::vector<std::string> texts;
  for (const FaultEntry& entry : table) texts.emplace_back(entry.text);
  return texts;
}

std::string Text(FaultTable table, int word, int bit) {
  for (const FaultEntry& entry : table) {
    if (entry.word == word && entry.bit == bit) return std::string(entry.text);
  }
  return "";
}

TEST(FaultTables, MonitorTheirBitsOnceAndRunFromTheRightmostBit) {
  struct Case {
    std::string_view page;
    std::size_t size;
    std::vector<std::set<int>> unmonitored;  // per word
  };
  const std::set<int> left_ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const Case cases[] = {
      {"УВП", 27, {{1, 9}, {1, 9, 10}}},
      {"БГ", 12, {{5, 6, 13, 14}}},
      {"ВВК", 12, {left_ten, left_ten}},
      {"ПУУ", 32, {{}, {}}},
  };
  for (const Case& c : cases) {
    const FaultTable table = PageUnderTest(c.page).faults.table;
    EXPECT_EQ(table.size(), c.size) << c.page;
    std::map<int, std::set<int>> monitored;
    for (const FaultEntry& entry : table) {
      EXPECT_TRUE(monitored[entry.word].insert(entry.bit).second) << c.page << " bit " << entry.bit << " twice";
    }
    for (std::size_t w = 0; w < c.unmonitored.size(); ++w) {
      for (int bit = 1; bit <= 16; ++bit) {
        EXPECT_NE(monitored[static_cast<int>(w + 1)].count(bit), c.unmonitored[w].count(bit))
            << c.page << " word " << w + 1 << " bit " << bit;
      }
    }
    if (c.page == "ПУУ") continue;
    for (std::size_t i = 1; i < table.size(); ++i) {
      if (table[i].word == table[i - 1].word) {
        EXPECT_LT(table[i].bit, table[i - 1].bit) << c.page << " entry " << i + 1;
      }
    }
  }
}

TEST(FaultTables, PuuUnitsSitAtTheirBits) {
  // "БГ"n at bit 8-n and "ВВК"n at bit 16-n of word 1, "УВП"n at bit 16-n of
  // word 2, n written as one digit: Cyrillic А, В, С, Е and Latin D, F.
  const std::vector<std::string> digits = {"0", "1", "2",        "3",        "4",        "5", "6",        "7",
                                           "8", "9", "\xD0\x90", "\xD0\x92", "\xD0\xA1", "D", "\xD0\x95", "F"};
  for (int n = 0; n < 16; ++n) {
    const std::string digit = digits[static_cast<std::size_t>(n)];
    if (n < 8) {
      EXPECT_EQ(Text(PuuFaultTable, 1, 8 - n), "\xD0\x91\xD0\x93" + digit);
      EXPECT_EQ(Text(PuuFaultTable, 1, 16 - n), "\xD0\x92\xD0\x92\xD0\x9A" + digit);
    }
    EXPECT_EQ(Text(PuuFaultTable, 2, 16 - n), "\xD0\xA3\xD0\x92\xD0\x9F" + digit);
  }
}

TEST(FaultTables, LookAlikeLettersAreTheRightOnes) {
  // "1-я группа ПАК 0,4,8,С" ends in the Cyrillic С; the other group texts
  // carry Latin letters.
  EXPECT_EQ(Text(UvpFaultTable, 1, 12),
            "1-\xD1\x8F \xD0\xB3\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0 "
            "\xD0\x9F\xD0\x90\xD0\x9A 0,4,8,\xD0\xA1");
  EXPECT_TRUE(Text(UvpFaultTable, 1, 11).ends_with(" 1,5,9,D"));
  EXPECT_TRUE(Text(UvpFaultTable, 2, 12).ends_with(" 2,6,A,E"));
  EXPECT_TRUE(Text(UvpFaultTable, 2, 11).ends_with(" 3,7,B,F"));
  // "И3" is И and the digit 3, not the letter З.
  EXPECT_TRUE(Text(UvpFaultTable, 1, 16)
                  .starts_with("\xD0\x98"
                               "3 "));
  EXPECT_TRUE(Text(UvpFaultTable, 2, 14)
                  .starts_with("\xD0\x98"
                               "3 110\xD0\x92"));
  // The Cyrillic В after the voltages and the Cyrillic ТС.
  EXPECT_EQ(Text(BgFaultTable, 1, 16), "\xD0\x91\xD0\x92 01-60 1\xD0\xA2\xD0\xA1 60\xD0\x92");

  // Latin letters stand in these five texts and nowhere else.
  std::set<std::string> with_latin;
  for (const FaultPageUnderTest& page : FaultPagesUnderTest()) {
    for (const std::string& text : TextsOf(page.faults.table)) {
      if (std::any_of(text.begin(), text.end(), [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; })) {
        with_latin.insert(text);
      }
    }
  }
  EXPECT_EQ(with_latin, (std::set<std::string>{"2-я группа ПАК 1,5,9,D", "1-я группа ПАК 2,6,A,E",
                                               "2-я группа ПАК 3,7,B,F", "УВПD", "УВПF"}));
}

TEST(FaultTables, TrailingBlankCapitalShortIAndTheRepeatedPsg) {
  EXPECT_EQ(Text(BgFaultTable, 1, 12),
            "\xD0\x91\xD0\x9F-12\xD0\x92 \xD0\x91\xD0\x97\xD0\xA3 1\xD0\xAD\xD0\xA3\xD0\x9C ");
  EXPECT_EQ(Text(BgFaultTable, 1, 4), "\xD0\x91\xD0\x9F-12\xD0\x92 \xD0\x91\xD0\x97\xD0\xA3 0\xD0\xAD\xD0\xA3\xD0\x9C");
  EXPECT_EQ(Text(VvkFaultTable, 1, 16),
            "\xD0\x91\xD0\x9F-5\xD0\x92 \xD0\x92\xD0\x92\xD0\x9A 1-\xD0\x99 \xD1\x81\xD1\x82\xD0\xB2\xD0\xBE\xD0\xBB "
            "\xD0\xA2\xD0\xA1");
  EXPECT_TRUE(Text(VvkFaultTable, 2, 16).find("0-\xD0\x99 ") != std::string::npos);
  EXPECT_EQ(Text(VvkFaultTable, 1, 14), "\xD0\x9F\xD0\xA1\xD0\x93");
  EXPECT_EQ(Text(VvkFaultTable, 2, 14), "\xD0\x9F\xD0\xA1\xD0\x93");
  // No other text ends in a blank.
  for (const FaultPageUnderTest& page : FaultPagesUnderTest()) {
    for (const std::string& text : TextsOf(page.faults.table)) {
      if (text != Text(BgFaultTable, 1, 12)) {
        EXPECT_FALSE(text.ends_with(' ')) << text;
      }
    }
  }
}

}  // namespace
}  // namespace ostrolen::testing

// Every fault line knows its one bit: for every value of every word of every
// fault page, each line's source is exactly its entry's bit with the word's
// value there, and flipping that bit (and no other) takes the line away.
#include <gtest/gtest.h>

#include <set>

#include "core/explain.h"
#include "tests/pages/faults/fault_test_support.h"

namespace ostrolen::testing {
namespace {

std::set<std::string> Texts(const DecodeResult& result) {
  std::set<std::string> texts;
  for (const SourcedLine& line : result.lines) texts.insert(line.text);
  return texts;
}

TEST(FaultSources, EachLineComesFromItsEntrysBit) {
  for (const FaultPageUnderTest& page : FaultPagesUnderTest()) {
    SCOPED_TRACE(std::string(page.caption));
    for (std::size_t swept = 0; swept < page.healthy.size(); ++swept) {
      for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
        std::vector<std::uint16_t> words = page.healthy;
        words[swept] = static_cast<std::uint16_t>(v);
        const DecodeResult result = DecodeFaultWords(words, page.healthy, page.faults.table);
        ASSERT_TRUE(result.cleared);
        ASSERT_EQ(result.Texts(), ExpectedFaults(page, words));
        std::size_t k = 0;
        for (const FaultEntry& entry : page.faults.table) {
          const auto w = static_cast<std::size_t>(entry.word - 1);
          if ((((words[w] ^ page.healthy[w]) >> (16 - entry.bit)) & 1U) == 0) continue;
          const LineOrigin& origin = result.lines.at(k++).origin;
          LineOrigin expected;
          expected.Add({entry.word - 1, entry.bit, entry.bit}, words);
          ASSERT_EQ(origin.mask, expected.mask) << entry.text;
          ASSERT_EQ(origin.value, expected.value) << entry.text;
        }
      }
    }
  }
}

TEST(FaultSources, OneBitOffListsJustTheEntriesOfThatBit) {
  for (const FaultPageUnderTest& page : FaultPagesUnderTest()) {
    SCOPED_TRACE(std::string(page.caption));
    // Every bit of every word on its own, from the healthy words.
    for (std::size_t w = 0; w < page.healthy.size(); ++w) {
      for (int bit = 1; bit <= 16; ++bit) {
        std::vector<std::uint16_t> words = page.healthy;
        words[w] = static_cast<std::uint16_t>(words[w] ^ (0x8000U >> static_cast<unsigned>(bit - 1)));
        const DecodeResult one = DecodeFaultWords(words, page.healthy, page.faults.table);
        std::size_t monitored = 0;
        for (const FaultEntry& entry : page.faults.table) {
          if (static_cast<std::size_t>(entry.word - 1) == w && entry.bit == bit) ++monitored;
        }
        ASSERT_EQ(one.lines.size(), monitored) << "word " << w << " bit " << bit;
        for (const SourcedLine& line : one.lines) {
          EXPECT_EQ(SourceText(line.origin).substr(0, 3), "w" + std::to_string(w) + ":");
          EXPECT_EQ(line.origin.mask[w], 0x8000U >> static_cast<unsigned>(bit - 1));
        }
      }
    }
    EXPECT_TRUE(Texts(DecodeFaultWords(page.healthy, page.healthy, page.faults.table)).empty());
  }
}

TEST(FaultSources, TheUvpExampleAsTheCommandLineShowsIt) {
  const FaultPageUnderTest& uvp = PageUnderTest("УВП");
  const std::vector<std::uint16_t> words = {0x0075, 0x003F};
  const DecodeResult result = DecodeFaultWords(words, uvp.healthy, uvp.faults.table);
  ASSERT_EQ(result.lines.size(), 1U);
  EXPECT_EQ(result.lines[0].text, "БВ 01-60 УВП 0-3");
  EXPECT_EQ(SourceText(result.lines[0].origin), "w0:.........1......");
  const WordKind kinds[] = {WordKind::Message, WordKind::Message};
  EXPECT_EQ(SourceDescription(result.lines[0].origin, kinds), "Слово 0, бит 10 (позиция 3): 1");
  // ПУУ's second word: a line from w1 only.
  const FaultPageUnderTest& puu = PageUnderTest("ПУУ");
  const DecodeResult second = DecodeFaultWords(std::vector<std::uint16_t>{0, 1}, puu.healthy, puu.faults.table);
  ASSERT_EQ(second.lines.size(), 1U);
  EXPECT_EQ(SourceText(second.lines[0].origin), "w1:...............1");
}

}  // namespace
}  // namespace ostrolen::testing

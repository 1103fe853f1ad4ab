// Every value of every word, on every fault page: the page lists what an
// independent reading of its table gives, its check row shows the word's
// bits, and DecodeFaults agrees with the page.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <map>

#include "core/conversions.h"
#include "pages/pages.h"
#include "tests/pages/faults/fault_test_support.h"
#include "tests/support/press.h"

namespace ostrolen::testing {
namespace {

// Four digits, upper case for even values and lower case for odd ones, so
// both cases of every digit are typed somewhere in the sweep.
std::string Hex(unsigned value) {
  char text[5];
  std::snprintf(text, sizeof text, value % 2 == 0 ? "%04X" : "%04x", value);
  return text;
}

// The window for half a million presses: boxes held by their number, so a
// press costs no name lookups. It starts as the window does.
class SweepWindow : public Window {
 public:
  SweepWindow() : boxes_(400) {
    for (const PageLayout* page : AllPages()) {
      for (const BoxSpec& box : page->boxes) Box(box.name) = box.text;
    }
  }
  std::string Text(std::string_view box) const override { return const_cast<SweepWindow*>(this)->Box(box); }
  void SetText(std::string_view box, std::string_view text) override { Box(box) = text; }
  void ClearList(std::string_view list) override { lists_[std::string(list)].clear(); }
  void AppendLine(std::string_view list, std::string_view line) override {
    lists_[std::string(list)].emplace_back(line);
  }
  void InputErrorReport(std::string_view text) override { messages_.emplace_back(text); }
  void ShowError(std::string_view text) override { messages_.emplace_back(text); }

  const std::vector<std::string>& Lines(const std::string& list) { return lists_[list]; }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::string& Box(std::string_view name) {
    std::size_t number = 0;
    const std::string_view digits = name.substr(4);
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return boxes_.at(number);
  }
  std::vector<std::string> boxes_;
  std::map<std::string, std::vector<std::string>> lists_;
  std::vector<std::string> messages_;
};

template <typename Boxes>
std::string RowText(SweepWindow& window, const Boxes& boxes) {
  std::string text;
  for (const auto& box : boxes) text += window.Text(box);
  return text;
}

struct Swept {
  std::string_view page;
  std::size_t word;  // 0 for word 1
};

void PrintTo(const Swept& swept, std::ostream* os) { *os << swept.page << " word " << swept.word + 1; }

class FaultSweepTest : public ::testing::TestWithParam<Swept> {};

TEST_P(FaultSweepTest, EveryValueOfOneWordWithTheOtherHealthy) {
  const FaultPageUnderTest& page = PageUnderTest(GetParam().page);
  const std::size_t swept = GetParam().word;
  SweepWindow window;  // one window throughout: every press clears the list
  std::vector<std::string> mask_bits;
  for (const std::uint16_t v : page.healthy) mask_bits.push_back(Bits(v));
  for (unsigned value = 0; value <= 0xFFFF; ++value) {
    std::vector<std::uint16_t> values = page.healthy;
    values[swept] = static_cast<std::uint16_t>(value);
    std::vector<std::string> typed;
    std::vector<std::string> word_bits;
    for (const std::uint16_t v : values) {
      typed.push_back(Hex(v));
      word_bits.push_back(Bits(v));
    }
    for (std::size_t w = 0; w < typed.size(); ++w) {
      for (std::size_t k = 0; k < 4; ++k) window.SetText(page.faults.words[w].message[k], typed[w].substr(k, 1));
    }
    Press(window, page.button);

    const std::vector<std::string> expected = ExpectedFaults(page, values);
    const std::vector<std::string>& lines = window.Lines(page.faults.list);
    const std::string check = RowText(window, page.faults.words[swept].check_row);
    const std::vector<std::string> decoded = DecodeFaults(word_bits, mask_bits, page.faults.table);
    if (lines != expected || check != Bits(values[swept]) || decoded != lines || !window.Messages().empty()) {
      ADD_FAILURE() << "word " << swept + 1 << " = " << typed[swept] << ": " << lines.size() << " lines, "
                    << expected.size() << " expected, " << decoded.size() << " decoded; check row " << check;
      return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Words, FaultSweepTest,
                         ::testing::Values(Swept{"УВП", 0}, Swept{"УВП", 1}, Swept{"БГ", 0}, Swept{"ВВК", 0},
                                           Swept{"ВВК", 1}, Swept{"ПУУ", 0}, Swept{"ПУУ", 1}));

// DecodeFaults on the bits of typed words equals what the page lists, for
// words of varied bits on both words at once.
TEST(DecodeFaults, AgreesWithThePageOnBothWordsAtOnce) {
  for (const FaultPageUnderTest& page : FaultPagesUnderTest()) {
    ModelWindow window;
    for (unsigned n = 0; n < 1024; ++n) {
      std::vector<std::string> typed;
      std::vector<std::string> words;
      std::vector<std::string> masks;
      for (std::size_t w = 0; w < page.faults.words.size(); ++w) {
        typed.push_back(Hex((n * 40503U + 0x1234U * static_cast<unsigned>(w + 1)) & 0xFFFFU));
        MessageWord word;
        for (std::size_t k = 0; k < 4; ++k) word[k] = typed.back().substr(k, 1);
        words.push_back(MessageWordBits(word));
        masks.push_back(Bits(page.healthy[w]));
      }
      TypeWords(window, page.faults, typed);
      Press(window, page.button);
      ASSERT_EQ(DecodeFaults(words, masks, page.faults.table), window.Lines(page.faults.list))
          << page.caption << " " << typed.front();
    }
  }
}

TEST(DecodeFaults, NeverFailsOnMissingWords) {
  // A word that is not given has no bits that differ.
  EXPECT_TRUE(DecodeFaults({}, {}, UvpFaultTable).empty());
  EXPECT_EQ(DecodeFaults({Bits(0x0000)}, {Bits(0x0035)}, UvpFaultTable),
            (Lines{"И3 СС 0-й ствол", "И3 СС 1-й ствол", "1-я группа ПАК 0,4,8,С", "2-я группа ПАК 1,5,9,D"}));
}

TEST(MessageWordBits, ReadsEveryDigitInEitherCase) {
  const std::string digits = "0123456789ABCDEFabcdef";
  for (const char digit : digits) {
    const unsigned value = static_cast<unsigned>(std::stoul(std::string(1, digit), nullptr, 16));
    const std::string d(1, digit);
    EXPECT_EQ(MessageWordBits({d, "0", d, "0"}), Bits(static_cast<std::uint16_t>(value << 12 | value << 4))) << digit;
  }
  EXPECT_THROW(MessageWordBits({"0", "0", "0", "G"}), ConversionError);
  EXPECT_THROW(MessageWordBits({"0", "", "0", "0"}), ConversionError);
}

}  // namespace
}  // namespace ostrolen::testing

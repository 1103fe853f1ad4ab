// The decoders as plain functions: words to bits, bit numbers, and every
// word through tests 0 and 3, checked against the bits of the word itself
// and against what the page's buttons show.
#include "pages/usk/usk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/press.h"

namespace ostrolen {
namespace {

using Lines = std::vector<std::string>;

// Independent of the decoders: the word as four digits and as 16 bits.
std::string Hex4(unsigned word, bool lower) {
  char text[5];
  std::snprintf(text, sizeof text, lower ? "%04x" : "%04X", word & 0xFFFFu);
  return text;
}

std::string Bits16(unsigned word) {
  std::string bits;
  for (int k = 15; k >= 0; --k) bits += ((word >> k) & 1u) ? '1' : '0';
  return bits;
}

// Bit numbers, ascending, of the bits of `mask` that are set.
Lines SetBitNumbers(unsigned mask) {
  Lines numbers;
  for (int n = 0; n < 16; ++n) {
    if ((mask >> n) & 1u) numbers.emplace_back(1, "0123456789ABCDEF"[n]);
  }
  return numbers;
}

Lines Concat(Lines head, const Lines& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

const Lines kAllOnesHead = {"Тип проверки: объединичивание", "", "№ неисправной линейки УСК:", "00000", ""};
const Lines kWriteCheckHead = {"Тип проверки:",
                               "проверка записи информации в линейку УСК",
                               "",
                               "№ проверяемой линейки УСК:",
                               "00000",
                               "",
                               "Информация, которая считана для контроля",
                               "через шину КЧТ:",
                               "%READ%",
                               "",
                               "Информация, которая записывалась в УСК",
                               "через шину МТП:",
                               "%WRITTEN%",
                               "",
                               "№ искаженной ячейки:"};

Lines WriteCheckHead(const std::string& read, const std::string& written) {
  Lines head = kWriteCheckHead;
  head[8] = read;
  head[12] = written;
  return head;
}

TEST(HexWordToBits, SweepsEveryWordInEitherCase) {
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    ASSERT_EQ(HexWordToBits(Hex4(word, false)), Bits16(word)) << Hex4(word, false);
    ASSERT_EQ(HexWordToBits(Hex4(word, true)), Bits16(word)) << Hex4(word, true);
  }
}

TEST(HexWordToBits, FailsAtTheFirstCharacterThatIsNoDigit) {
  const struct {
    const char* word;
    const char* failing;
  } cases[] = {
      {"G000", "$G"}, {"0G00", "$G"}, {"00G0", "$G"}, {"000G", "$G"}, {"1X2Y", "$X"},
      {"12Ж4", "$Ж"}, {"12 4", "$ "},  {"-123", "$-"}, {"", "$"},      {"1", "$"},
      {"12", "$"},    {"123", "$"},    {"1G", "$G"},
  };
  for (const auto& c : cases) {
    try {
      HexWordToBits(c.word);
      ADD_FAILURE() << c.word << " converted";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.text(), c.failing) << c.word;
    }
  }
}

TEST(BitNumberList, ListsTheMatchingBitsFromBitZeroUp) {
  const auto zero = [](std::string_view bit) { return bit == "0"; };
  const auto one = [](std::string_view bit) { return bit == "1"; };
  EXPECT_EQ(BitNumberList("1111111111111111", zero), Lines{});
  EXPECT_EQ(BitNumberList("1111111111111110", zero), Lines{"0"});
  EXPECT_EQ(BitNumberList("0111111111111111", zero), Lines{"F"});
  EXPECT_EQ(BitNumberList("0101111111111111", zero), (Lines{"D", "F"}));
  EXPECT_EQ(BitNumberList("0000000000000000", zero), SetBitNumbers(0xFFFF));
  EXPECT_EQ(BitNumberList("1000000000000001", one), (Lines{"0", "F"}));
  // A short text has no characters at the high positions; they match nothing.
  EXPECT_EQ(BitNumberList("00", zero), (Lines{"E", "F"}));
}

TEST(UskAllOnesReport, SweepsEveryWordAgainstItsZeroBits) {
  ModelWindow window;
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    const std::string text = Hex4(word, word % 2 == 0);
    const UskReport report = UskAllOnesReport("00000", text);
    ASSERT_FALSE(report.error) << text;
    ASSERT_EQ(report.lines, Concat(Concat(kAllOnesHead, {"Неисправны биты:"}), SetBitNumbers(~word & 0xFFFFu))) << text;
    // The button gives the same lines as the decoder.
    ASSERT_TRUE(testing::PressWith(window, "SpeedButton7", {{"Edit331", "00000"}, {"Edit332", text}}).empty());
    ASSERT_EQ(window.Lines("ListBox11"), report.lines) << text;
  }
}

TEST(UskWriteCheckReport, SweepsEveryReadWordAgainstAFixedWrittenWord) {
  ModelWindow window;
  constexpr unsigned kWritten = 0x5A3C;
  const std::string written = Hex4(kWritten, false);
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    const std::string read = Hex4(word, word % 3 == 0);
    const UskReport report = UskWriteCheckReport("00000", read, written);
    ASSERT_FALSE(report.error) << read;
    ASSERT_EQ(report.lines, Concat(WriteCheckHead(read, written), SetBitNumbers(word ^ kWritten))) << read;
    ASSERT_TRUE(
        testing::PressWith(window, "SpeedButton20", {{"Edit340", "00000"}, {"Edit342", read}, {"Edit343", written}})
            .empty());
    ASSERT_EQ(window.Lines("ListBox11"), report.lines) << read;
  }
}

}  // namespace
}  // namespace ostrolen

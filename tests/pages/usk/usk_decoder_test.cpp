// The decoders as plain functions: words to bits, bit numbers, and the
// lines and error each report gives.
#include "pages/usk/usk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

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

std::string MessageOf(const UskReport& report) { return report.error ? report.error->what() : "(no error)"; }

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

TEST(UskAllOnesReport, ListsTheBitsThatReadZero) {
  const struct {
    const char* word;
    Lines bits;
  } cases[] = {
      {"FFFF", {}},
      {"FFFE", {"0"}},
      {"fffe", {"0"}},
      {"7FFF", {"F"}},
      {"5FFF", {"D", "F"}},
      {"5fff", {"D", "F"}},
      {"0000", SetBitNumbers(0xFFFF)},
      {"A5F0", {"0", "1", "2", "3", "9", "B", "C", "E"}},
  };
  for (const auto& c : cases) {
    const UskReport report = UskAllOnesReport("00000", c.word);
    EXPECT_FALSE(report.error) << c.word;
    EXPECT_EQ(report.lines, Concat(Concat(kAllOnesHead, {"Неисправны биты:"}), c.bits)) << c.word;
  }
}

TEST(UskAllOnesReport, SweepsEveryWordAgainstItsZeroBits) {
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    const UskReport report = UskAllOnesReport("00000", Hex4(word, word % 2 == 0));
    ASSERT_EQ(report.lines, Concat(Concat(kAllOnesHead, {"Неисправны биты:"}), SetBitNumbers(~word & 0xFFFFu)))
        << Hex4(word, false);
  }
}

TEST(UskAllOnesReport, StopsAfterTheLineNumberWhenTheWordFails) {
  for (const char* word : {"12", "12G4", "G234", "1G34", "123G", "1", "12 4"}) {
    const UskReport report = UskAllOnesReport("00000", word);
    EXPECT_TRUE(report.error) << word;
    EXPECT_EQ(report.lines, kAllOnesHead) << word;
  }
  EXPECT_EQ(MessageOf(UskAllOnesReport("1", "12")), "'$' is not a valid integer value");
  EXPECT_EQ(MessageOf(UskAllOnesReport("1", "12G4")), "'$G' is not a valid integer value");
}

TEST(UskWriteCheckReport, ListsTheBitsInWhichTheWordsDiffer) {
  const struct {
    const char* read;
    const char* written;
    Lines bits;
  } cases[] = {
      {"1234", "1234", {}},     {"abcd", "ABCD", {}},
      {"00FF", "00FE", {"0"}},  {"0000", "8001", {"0", "F"}},
      {"FFFF", "0000", SetBitNumbers(0xFFFF)},
      {"0000", "FFFF", SetBitNumbers(0xFFFF)},
  };
  for (const auto& c : cases) {
    const UskReport report = UskWriteCheckReport("00000", c.read, c.written);
    EXPECT_FALSE(report.error) << c.read << " " << c.written;
    EXPECT_EQ(report.lines, Concat(WriteCheckHead(c.read, c.written), c.bits)) << c.read << " " << c.written;
  }
}

TEST(UskWriteCheckReport, SweepsEveryReadWordAgainstAFixedWrittenWord) {
  constexpr unsigned kWritten = 0x5A3C;
  const std::string written = Hex4(kWritten, false);
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    const std::string read = Hex4(word, word % 3 == 0);
    const UskReport report = UskWriteCheckReport("00000", read, written);
    ASSERT_EQ(report.lines, Concat(WriteCheckHead(read, written), SetBitNumbers(word ^ kWritten))) << read;
  }
}

TEST(UskWriteCheckReport, ConvertsTheReadWordFirstAndListsNoBitOnFailure) {
  const struct {
    const char* read;
    const char* written;
    const char* message;
  } cases[] = {
      {"G000", "0000", "'$G' is not a valid integer value"}, {"000G", "0000", "'$G' is not a valid integer value"},
      {"0000", "X000", "'$X' is not a valid integer value"}, {"0000", "000X", "'$X' is not a valid integer value"},
      {"12", "X", "'$' is not a valid integer value"},        {"12X4", "G", "'$X' is not a valid integer value"},
      {"1234", "123", "'$' is not a valid integer value"},   {"FFFF", "ffЯf", "'$Я' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    const UskReport report = UskWriteCheckReport("00000", c.read, c.written);
    EXPECT_EQ(MessageOf(report), c.message) << c.read << " " << c.written;
    EXPECT_EQ(report.lines, WriteCheckHead(c.read, c.written)) << c.read << " " << c.written;
  }
}

TEST(BalShortReport, NamesTheBalBeforeTheRackRow) {
  const struct {
    const char* text;
    const char* last;
  } cases[] = {
      {"00", "КЗ в БАЛе 0 стативного ряда 0"}, {"13", "КЗ в БАЛе 3 стативного ряда 1"},
      {"5", "КЗ в БАЛе  стативного ряда 5"},   {"", "КЗ в БАЛе  стативного ряда "},
      {"ЖЯ", "КЗ в БАЛе Я стативного ряда Ж"}, {"Ж1", "КЗ в БАЛе 1 стативного ряда Ж"},
      {" 7", "КЗ в БАЛе 7 стативного ряда  "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BalShortReport(c.text), (Lines{"Неисправность при прохождении теста УТП 2.1В", "", c.last})) << c.text;
  }
}

}  // namespace
}  // namespace ostrolen

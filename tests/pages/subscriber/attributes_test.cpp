#include "pages/subscriber/attributes.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

#include "core/conversions.h"
#include "core/utf8.h"

namespace ostrolen {
namespace {

struct OneBitCase {
  std::string bit;
  std::string state, dialling, ringing;
};

TEST(AhAttributes, OneBitTables) {
  const std::vector<OneBitCase> cases = {
      {"0", "выключена", "Декадый", "25Гц"},
      {"1", "включена", "Частотный", "ГВТ"},
  };
  for (const OneBitCase& c : cases) {
    SCOPED_TRACE(c.bit);
    EXPECT_EQ(ServiceStateText(c.bit), c.state);
    EXPECT_EQ(DiallingText(c.bit), c.dialling);
    EXPECT_EQ(RingingText(c.bit), c.ringing);
  }
}

TEST(AhAttributes, PulseDiallingIsSevenLetters) {
  EXPECT_EQ(CharCount(DiallingText("0")), 7U);
  EXPECT_EQ(DiallingText("0"), "\xD0\x94\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB4\xD1\x8B\xD0\xB9");
}

TEST(AhAttributes, LineTypesOfAllSixteenValues) {
  const std::vector<std::string> texts = {
      "Индивидуальный и коммунальный пользователь",
      "Удаленный абонент",
      "Таксофон местной связи",
      "Таксофон с входящей связью",
      "Таксофон междугородней связи",
      "Автоответчик (ГАВС) или перем. КФ",
      "Внутрипроизв. (диспетч) связь (ДАК)",
      "АО \"Сирена не работает\" ГАВС",
      "",
      "Абонентское устройство для акустического контроля",
      "САК",
      "Прямые абоненты (ГАВС)",
      "ОККЗ (ГАВС)",
      "ОПЗ (ГАВС)",
      "ИСО (ГАВС)",
      "",
  };
  for (int value = 0; value < 16; ++value) {
    const std::string bits = ValueToBits(value, 4);
    SCOPED_TRACE(bits);
    EXPECT_EQ(LineTypeText(bits), texts[static_cast<std::size_t>(value)]);
  }
  EXPECT_TRUE(LineTypeText("1000").empty());
  EXPECT_TRUE(LineTypeText("1111").empty());
  // The quotes of "Сирена не работает" are plain double-quote characters.
  EXPECT_NE(LineTypeText("0111").find("\"Сирена не работает\""), std::string_view::npos);
}

TEST(AhAttributes, NotFourBitsHasNoLineType) {
  for (const std::string bits : {"", "000", "00000", "0120", "abcd"}) EXPECT_TRUE(LineTypeText(bits).empty()) << bits;
}

TEST(AhAttributes, RestrictionLinesOfAllEightValues) {
  const std::vector<std::string> by_bit = {"Ограничение ведомственной связи ", "Ограничение исходящей связи ",
                                           "Ограничение междугородней связи "};
  for (unsigned value = 0; value < 8; ++value) {
    const std::string bits = std::bitset<3>(value).to_string();
    SCOPED_TRACE(bits);
    std::vector<std::string> expected;
    for (std::size_t k = 0; k < 3; ++k) {
      if (bits[k] == '1') expected.push_back(by_bit[k]);
    }
    if (expected.empty()) expected.push_back("Ограничений нет");
    EXPECT_EQ(RestrictionLines(bits), expected);
  }
}

TEST(AhAttributes, RestrictionLinesKeepTheirTrailingBlank) {
  const std::vector<std::string> lines = RestrictionLines("101");
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0], "\xD0\x9E\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x87\xD0\xB5\xD0\xBD\xD0\xB8\xD0\xB5 "
                      "\xD0\xB2\xD0\xB5\xD0\xB4\xD0\xBE\xD0\xBC\xD1\x81\xD1\x82\xD0\xB2\xD0\xB5\xD0\xBD\xD0\xBD\xD0\xBE"
                      "\xD0\xB9 \xD1\x81\xD0\xB2\xD1\x8F\xD0\xB7\xD0\xB8 ");
  EXPECT_EQ(lines[1].back(), ' ');
  EXPECT_NE(lines[1][lines[1].size() - 2], ' ');
  // The "no restrictions" line has no trailing blank.
  EXPECT_EQ(RestrictionLines("000"), std::vector<std::string>{"Ограничений нет"});
  EXPECT_NE(RestrictionLines("000")[0].back(), ' ');
}

TEST(AhAttributes, ServiceLineAddsNothingBetweenLabelAndState) {
  EXPECT_EQ(ServiceLine("Услуга \"кл\"  ", "1"), "Услуга \"кл\"  включена");
  EXPECT_EQ(ServiceLine("Услуга \"кл\"  ", "0"), "Услуга \"кл\"  выключена");
  EXPECT_EQ(ServiceLine("", "1"), "включена");
  EXPECT_EQ(ServiceLine("X = ", "0"), "X = выключена");
}

}  // namespace
}  // namespace ostrolen

#include "core/accessible.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/explain.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

TEST(AccessibleNames, NameEveryControlOfEveryPageOnceWithinItsPage) {
  for (const PageLayout* page : AllPages()) {
    SCOPED_TRACE(page->sheet);
    const std::map<std::string, std::string> names = AccessibleNames(*page);
    std::set<std::string> controls;
    std::set<std::string> boxes;
    for (const BoxSpec& box : page->boxes) {
      controls.insert(box.name);
      ASSERT_TRUE(names.contains(box.name)) << box.name;
      const std::string& name = names.at(box.name);
      EXPECT_FALSE(name.empty()) << box.name;
      EXPECT_TRUE(boxes.insert(name).second) << box.name << ": " << name;
    }
    for (const ButtonSpec& button : page->buttons) {
      controls.insert(button.name);
      ASSERT_TRUE(names.contains(button.name)) << button.name;
      EXPECT_FALSE(names.at(button.name).empty()) << button.name;
    }
    for (const ListSpec& list : page->lists) {
      controls.insert(list.name);
      ASSERT_TRUE(names.contains(list.name)) << list.name;
      EXPECT_FALSE(names.at(list.name).empty()) << list.name;
    }
    // Only the page's own controls are named.
    for (const auto& [control, name] : names) EXPECT_TRUE(controls.contains(control)) << control;
  }
}

TEST(AccessibleNames, NameAWordsBoxesByWordAndPosition) {
  const std::map<std::string, std::string> sko = AccessibleNames(SkoPage());
  EXPECT_EQ(sko.at("Edit274"), "Слово 0, позиция 1 (до 7)");
  EXPECT_EQ(sko.at("Edit276"), "Слово 0, позиция 3 (до 3)");
  EXPECT_EQ(sko.at("Edit277"), "Слово 0, позиция 4 (до F)");
  EXPECT_EQ(sko.at("ListBox7"), "Результат: СКО");
  EXPECT_EQ(sko.at("SpeedButton14"), "Проверить");
}

TEST(AccessibleNames, NameBitRowsByRowWordAndBit) {
  const PageLayout& page = UvpPage();
  const std::map<std::string, std::string> uvp = AccessibleNames(page);
  const WordSpec& word = page.words[1];
  EXPECT_EQ(uvp.at(word.bit_rows[0][2]), "Маска, слово 1, бит 3");
  EXPECT_EQ(uvp.at(word.bit_rows[1][9]), "Проверка, слово 1, бит 10");
  EXPECT_EQ(uvp.at(word.positions[0]), "Слово 1, позиция 1 (до F)");
}

TEST(AccessibleNames, NameOtherBoxesByTheTitleOfTheirRow) {
  const std::map<std::string, std::string> converter = AccessibleNames(ConverterPage());
  EXPECT_EQ(converter.at("Edit1"), "Кодовое слово, позиция 1 (до 7)");
  EXPECT_EQ(converter.at("Edit29"), "HEX");
  EXPECT_EQ(converter.at("Edit28"), "DEC, знак 2");
  EXPECT_EQ(converter.at("Edit10"), "Преобразователь, знак 5 (разряд B)");
  EXPECT_EQ(AccessibleNames(UskPage()).at("Edit332"), "УСК .0.-, знак 2");
  EXPECT_EQ(AccessibleNames(SegmentsPage()).at("Edit330"), "Шаг");
}

TEST(AccessibleNames, NamePictureButtonsByWhatTheyDo) {
  EXPECT_EQ(AccessibleNames(FirstStagePage()).at("SpeedButton3"), "Декодировать: Первая ступень");
}

// A screen reader tells controls apart only by their names: on every page
// no two buttons share one, and the converter's arrows say which row each
// converts from or into.
TEST(AccessibleNames, EveryButtonOfAPageHasANameOfItsOwn) {
  for (const PageLayout* page : AllPages()) {
    const std::map<std::string, std::string> names = AccessibleNames(*page);
    std::set<std::string> seen;
    for (const ButtonSpec& button : page->buttons) {
      const std::string& name = names.at(button.name);
      EXPECT_FALSE(name.empty()) << button.name;
      EXPECT_TRUE(seen.insert(name).second) << page->caption << ": " << button.name << " " << name;
    }
  }
  const std::map<std::string, std::string> converter = AccessibleNames(ConverterPage());
  const std::vector<std::pair<std::string, std::string>> arrows = {
      {"SpeedButton1", "Преобразовать вниз: Кодовое слово"}, {"SpeedButton2", "Преобразовать вверх: Кодовое слово"},
      {"SpeedButton4", "Преобразовать вниз: DEC"},           {"SpeedButton5", "Преобразовать вверх: DEC"},
      {"SpeedButton8", "Преобразовать вниз: HEX"},           {"SpeedButton9", "Преобразовать вверх: HEX"}};
  for (const auto& [button, name] : arrows) EXPECT_EQ(converter.at(button), name) << button;
}

TEST(BoxesOfOrigin, LightTheBoxesOfAWordsPositionsOrOfItsBitRows) {
  LineOrigin origin;
  origin.mask[0] = 0x0060;  // bits 10 and 11: the fourth position
  const PageLayout& sko = SkoPage();
  EXPECT_EQ(BoxesOfOrigin(sko, origin), std::vector<std::string>{"Edit277"});
  const PageLayout& uvp = UvpPage();
  const WordSpec& word = uvp.words[0];
  EXPECT_EQ(BoxesOfOrigin(uvp, origin), (std::vector<std::string>{word.bit_rows[0][9], word.bit_rows[0][10],
                                                                  word.bit_rows[1][9], word.bit_rows[1][10]}));
}

TEST(PositionFormat, MaskCoversItsBits) {
  EXPECT_EQ(kCodeWordPositions[0].mask(), 0xE000);
  EXPECT_EQ(kCodeWordPositions[2].mask(), 0x0300);
  EXPECT_EQ(kCodeWordPositions[4].mask(), 0x000F);
  EXPECT_EQ(kMessageWordPositions[1].mask(), 0x0F00);
}

}  // namespace
}  // namespace ostrolen

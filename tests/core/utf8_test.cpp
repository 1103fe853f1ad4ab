#include "core/utf8.h"

#include <gtest/gtest.h>

namespace ostrolen {
namespace {

TEST(Utf8, CountsCharactersNotBytes) {
  EXPECT_EQ(CharCount(""), 0u);
  EXPECT_EQ(CharCount("3C"), 2u);
  EXPECT_EQ(CharCount("Ж"), 1u);
  EXPECT_EQ(CharCount("ЖЖ€😀"), 4u);
  EXPECT_EQ(CharAt("аБв", 2), "Б");
  EXPECT_EQ(CharAt("аБв", 4), "");
  EXPECT_EQ(CharAt("аБв", 0), "");
}

TEST(Utf8, ToleratesMalformedBytes) {
  const std::string bad = std::string("a\xFF") + "Ж" + "\xD0";  // a stray byte and a cut sequence
  EXPECT_FALSE(IsValidUtf8(bad));
  EXPECT_EQ(CharCount(bad), 4u);
  EXPECT_EQ(CharAt(bad, 2), "\xFF");
  EXPECT_EQ(CharAt(bad, 3), "Ж");
  for (const std::string text : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE0\x80\xAF"}) {
    EXPECT_FALSE(IsValidUtf8(text)) << "overlong, surrogate or beyond U+10FFFF";
  }
  EXPECT_TRUE(IsValidUtf8("Ошибка!!! €😀"));
}

TEST(Utf8, LastCodePoint) {
  EXPECT_EQ(LastCodePoint(""), 0u);
  EXPECT_EQ(LastCodePoint("abc"), U'c');
  EXPECT_EQ(LastCodePoint("Ошибка"), U'а');
  EXPECT_EQ(LastCodePoint("x\xD0"), 0xD0u);
}

}  // namespace
}  // namespace ostrolen

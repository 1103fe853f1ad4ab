// The texts the operator sees spelled oddly on purpose: misspellings and
// letters that look alike in Latin and Cyrillic. Each is declared on a line
// marked "[sic]", so no one "corrects" it, and this is the one list of them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DeliberateText {
  const char* file;  // where the text is declared
  const char* text;  // as shown, with the look-alike letters escaped
};

const std::vector<DeliberateText> kTexts = {
    {"pages/subscriber/attributes.cpp", "\"Декадый\""},
    {"pages/subscriber/fields.cpp", "\"десятки-еденицы=\""},
    {"pages/subscriber/fields.cpp", "\"Десятки-еденицы = \""},
    {"pages/converter/converter.h", "\"Десятичное число не должнл быть более 15!\""},
    {"pages/subscriber/layout.cpp", "\"Данные третей ступени АХ находятся \""},
    {"pages/subscriber/layout.cpp", "\"2719\u0412-9\u0415.\""},  // Cyrillic В and Е
    {"pages/usk/usk.cpp", "\"Биты лиейки УСК \""},
    {"pages/faults/fault_tables.cpp", "\"1-я группа ПАК 0,4,8,\u0421\""},  // Cyrillic С
    {"pages/faults/fault_tables.cpp", "\"2-я группа ПАК 1,5,9,D\""},       // Latin D
    {"pages/faults/fault_tables.cpp", "\"1-я группа ПАК 2,6,A,E\""},       // Latin A, E
    {"pages/faults/fault_tables.cpp", "\"2-я группа ПАК 3,7,B,F\""},       // Latin B, F
    {"pages/faults/fault_tables.cpp", "\"УВП\u0410\""},                    // Cyrillic А
    {"pages/faults/fault_tables.cpp", "\"УВП\u0412\""},                    // Cyrillic В
    {"pages/faults/fault_tables.cpp", "\"УВП\u0421\""},                    // Cyrillic С
    {"pages/faults/fault_tables.cpp", "\"УВПD\""},                         // Latin D
    {"pages/faults/fault_tables.cpp", "\"УВП\u0415\""},                    // Cyrillic Е
    {"pages/faults/fault_tables.cpp", "\"УВПF\""},                         // Latin F
};

std::vector<std::string> SourceLines(const std::string& file) {
  const char* root = std::getenv("OSTROLEN_SOURCE_DIR");
  std::ifstream in(std::string(root != nullptr ? root : ".") + "/" + file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(DeliberateTexts, EachIsDeclaredOnALineMarkedSic) {
  for (const DeliberateText& deliberate : kTexts) {
    const std::vector<std::string> lines = SourceLines(deliberate.file);
    ASSERT_FALSE(lines.empty()) << deliberate.file;
    int found = 0;
    for (const std::string& line : lines) {
      if (line.find(deliberate.text) == std::string::npos) continue;
      ++found;
      EXPECT_NE(line.find("[sic]"), std::string::npos) << deliberate.file << ": " << line;
    }
    EXPECT_GE(found, 1) << deliberate.text << " is no longer declared in " << deliberate.file;
  }
}

TEST(DeliberateTexts, EveryMarkedLineIsListed) {
  // A "[sic]" mark no listed text explains is a mark someone forgot to list.
  for (const char* file :
       {"pages/subscriber/attributes.cpp", "pages/subscriber/fields.cpp", "pages/converter/converter.h",
        "pages/subscriber/layout.cpp", "pages/usk/usk.cpp", "pages/faults/fault_tables.cpp"}) {
    for (const std::string& line : SourceLines(file)) {
      if (line.find("[sic]") == std::string::npos || line.find('"') == std::string::npos) continue;
      if (line.find("//") < line.find('"')) continue;  // a comment above the texts
      bool listed = false;
      for (const DeliberateText& deliberate : kTexts) {
        listed = listed || (std::string(file) == deliberate.file && line.find(deliberate.text) != std::string::npos);
      }
      EXPECT_TRUE(listed) << file << ": " << line;
    }
  }
}

}  // namespace

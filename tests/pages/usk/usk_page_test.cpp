// The "УСК" page as the operator uses it: presses of its five buttons, the
// list they leave, the defaults left in the boxes, and the page's layout.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/utf8.h"
#include "pages/pages.h"
#include "tests/support/press.h"

namespace ostrolen {
namespace {

using testing::Error;
using testing::Lines;
using testing::Message;
using testing::PressWith;
using testing::Texts;

constexpr std::string_view kList = "ListBox11";

Lines Concat(Lines head, const Lines& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

Message BadValue(const std::string& text) { return Error("'" + text + "' is not a valid integer value."); }

Lines AllOnes(const std::string& line) {
  return {"Тип проверки: объединичивание", "", "№ неисправной линейки УСК:", line, ""};
}

Lines RunningZero(const std::string& line, const std::string& bit) {
  return {"Тип проверки: обнуление (бегущий ноль)",
          "",
          "№ неисправной линейки УСК:",
          line,
          "",
          "№ неисправного бита линейки УСК:",
          bit,
          "",
          "Информация в линейке " + line + ":"};
}

Lines CrossWrite(const std::string& tested, const std::string& bit, const std::string& affected) {
  return {"Тип проверки: проверка подзаписи в другие УСК",
          "",
          "№ проверяемой линейки УСК:",
          tested,
          "",
          "№ проверяемого бита линейки УСК " + tested + ":",
          bit,
          "",
          "№ линейки УСК, в которую происходит",
          "подзапись:",
          affected,
          "",
          "Биты лиейки УСК " + affected + ", в которые происходит",
          "подзапись:"};
}

Lines WriteCheck(const std::string& line, const std::string& read, const std::string& written) {
  return {"Тип проверки:",
          "проверка записи информации в линейку УСК",
          "",
          "№ проверяемой линейки УСК:",
          line,
          "",
          "Информация, которая считана для контроля",
          "через шину КЧТ:",
          read,
          "",
          "Информация, которая записывалась в УСК",
          "через шину МТП:",
          written,
          "",
          "№ искаженной ячейки:"};
}

const Lines kAllBits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"};

TEST(UskTest0, DecodesTheExamples) {
  const struct {
    const char* word;
    Lines bits;
  } cases[] = {
      {"", kAllBits},     {"0000", kAllBits},      {"FFFF", {}},         {"FFFE", {"0"}}, {"fffe", {"0"}},
      {"7FFF", {"F"}},    {"5FFF", {"D", "F"}},    {"FEFF", {"8"}},      {"fF7f", {"7"}},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_EQ(PressWith(w, "SpeedButton7", {{"Edit332", c.word}}), std::vector<Message>{}) << c.word;
    EXPECT_EQ(w.Lines(kList), Concat(Concat(AllOnes("00000"), {"Неисправны биты:"}), c.bits)) << c.word;
  }
}

TEST(UskTest0, StopsAfterTheLineNumberOnABadWord) {
  const struct {
    const char* word;
    const char* failing;
  } cases[] = {
      {"12", "$"},    {"1", "$"},     {"123", "$"},   {"12G4", "$G"}, {"G234", "$G"},
      {"1G34", "$G"}, {"123G", "$G"}, {"12Ы4", "$Ы"}, {" ", "$ "},    {"1 23", "$ "},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_EQ(PressWith(w, "SpeedButton7", {{"Edit332", c.word}}), std::vector{BadValue(c.failing)}) << c.word;
    EXPECT_EQ(w.Lines(kList), AllOnes("00000")) << c.word;
    EXPECT_EQ(Texts(w, {"Edit331", "Edit332"}), (std::vector<std::string>{"00000", c.word})) << c.word;
  }
}

TEST(UskTest1, ShowsTheWordAsBitsAndTheBitAsTyped) {
  const struct {
    const char* line;
    const char* bit;
    const char* word;
    const char* shown_line;
    const char* shown_bit;
    const char* bits;
  } cases[] = {
      {"", "", "", "00000", "0", "0000000000000000"},
      {"12", "7", "A5F0", "12", "7", "1010010111110000"},
      {"00042", "F", "a5f0", "00042", "F", "1010010111110000"},
      {"ЛинЯ", "Ж", "FFFF", "ЛинЯ", "Ж", "1111111111111111"},
      {" 1 ", " ", "8001", " 1 ", " ", "1000000000000001"},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_TRUE(PressWith(w, "SpeedButton18", {{"Edit333", c.line}, {"Edit335", c.bit}, {"Edit334", c.word}}).empty());
    EXPECT_EQ(w.Lines(kList), Concat(RunningZero(c.shown_line, c.shown_bit), {c.bits})) << c.word;
  }
}

TEST(UskTest1, StopsBeforeTheBitsOnABadWord) {
  for (const auto& [word, failing] : std::vector<std::pair<std::string, std::string>>{
           {"12", "$"}, {"G000", "$G"}, {"0g00", "$g"}, {"00Z0", "$Z"}, {"000Щ", "$Щ"}}) {
    ModelWindow w;
    EXPECT_EQ(PressWith(w, "SpeedButton18", {{"Edit333", "7"}, {"Edit334", word}}), std::vector{BadValue(failing)});
    EXPECT_EQ(w.Lines(kList), RunningZero("7", "0")) << word;
  }
}

TEST(UskTest2, ListsTheBitsOfTheAffectedWordThatAreZero) {
  const struct {
    const char* tested;
    const char* bit;
    const char* affected;
    const char* word;
    Lines bits;
  } cases[] = {
      {"1", "2", "3", "FFFF", {}},
      {"1", "2", "3", "0000", kAllBits},
      {"", "", "", "", kAllBits},
      {"00017", "A", "00020", "7ffe", {"0", "F"}},
      {"Один", "Б", "Два", "EFFF", {"C"}},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_TRUE(PressWith(w, "SpeedButton19",
                          {{"Edit336", c.tested}, {"Edit337", c.bit}, {"Edit338", c.affected}, {"Edit339", c.word}})
                    .empty());
    const std::string tested = *c.tested ? c.tested : "00000", bit = *c.bit ? c.bit : "0",
                      affected = *c.affected ? c.affected : "00000";
    EXPECT_EQ(w.Lines(kList), Concat(CrossWrite(tested, bit, affected), c.bits)) << c.word;
  }
}

TEST(UskTest2, StopsAfterTheSecondHeadingOnABadWord) {
  for (const auto& [word, failing] : std::vector<std::pair<std::string, std::string>>{
           {"1", "$"}, {"H000", "$H"}, {"0H00", "$H"}, {"00H0", "$H"}, {"000H", "$H"}}) {
    ModelWindow w;
    EXPECT_EQ(PressWith(w, "SpeedButton19", {{"Edit336", "5"}, {"Edit338", "6"}, {"Edit339", word}}),
              std::vector{BadValue(failing)});
    EXPECT_EQ(w.Lines(kList), CrossWrite("5", "0", "6")) << word;
  }
}

TEST(UskTest3, ListsTheBitsInWhichTheWordsDiffer) {
  const struct {
    const char* read;
    const char* written;
    Lines bits;
  } cases[] = {
      {"1234", "1234", {}}, {"00FF", "00FE", {"0"}}, {"0000", "8001", {"0", "F"}}, {"", "", {}},
      {"ffff", "FFFF", {}}, {"", "FFFF", kAllBits},  {"F0F0", "0F0F", kAllBits},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_TRUE(PressWith(w, "SpeedButton20", {{"Edit342", c.read}, {"Edit343", c.written}}).empty());
    const std::string read = *c.read ? c.read : "0000", written = *c.written ? c.written : "0000";
    EXPECT_EQ(w.Lines(kList), Concat(WriteCheck("00000", read, written), c.bits)) << c.read << " " << c.written;
  }
}

TEST(UskTest3, ReadWordFailsFirstAndNoBitLineIsWritten) {
  const struct {
    const char* read;
    const char* written;
    const char* failing;
  } cases[] = {
      {"G000", "X000", "$G"}, {"0G00", "0000", "$G"}, {"00G0", "0000", "$G"}, {"000G", "0000", "$G"},
      {"0000", "X000", "$X"}, {"0000", "0X00", "$X"}, {"0000", "00X0", "$X"}, {"0000", "000X", "$X"},
      {"12", "X", "$"},       {"1234", "12", "$"},    {"ABC", "ABCD", "$"},   {"ABCD", "AБCD", "$Б"},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_EQ(PressWith(w, "SpeedButton20", {{"Edit340", "Л5"}, {"Edit342", c.read}, {"Edit343", c.written}}),
              std::vector{BadValue(c.failing)})
        << c.read << " " << c.written;
    EXPECT_EQ(w.Lines(kList), WriteCheck("Л5", c.read, c.written)) << c.read << " " << c.written;
  }
}

TEST(UskBalShort, NamesTheBalAndTheRackRow) {
  const struct {
    const char* text;
    const char* box;
    const char* last;
  } cases[] = {
      {"", "00", "КЗ в БАЛе 0 стативного ряда 0"},
      {"13", "13", "КЗ в БАЛе 3 стативного ряда 1"},
      {"5", "5", "КЗ в БАЛе  стативного ряда 5"},
      {"ЖЯ", "ЖЯ", "КЗ в БАЛе Я стативного ряда Ж"},
      {" 7", " 7", "КЗ в БАЛе 7 стативного ряда  "},
  };
  for (const auto& c : cases) {
    ModelWindow w;
    EXPECT_TRUE(PressWith(w, "SpeedButton21", {{"Edit344", c.text}}).empty());
    EXPECT_EQ(w.Text("Edit344"), c.box);
    EXPECT_EQ(w.Lines(kList), (Lines{"Неисправность при прохождении теста УТП 2.1В", "", c.last})) << c.text;
  }
}

// A model window that also logs what a press does, in order.
class LoggingWindow : public ModelWindow {
 public:
  void SetText(std::string_view box, std::string_view text) override {
    ModelWindow::SetText(box, text);
    log.push_back(std::string(box) + "=" + std::string(text));
  }
  void ClearList(std::string_view list) override {
    ModelWindow::ClearList(list);
    log.push_back("clear " + std::string(list));
  }
  void AppendLine(std::string_view list, std::string_view line) override {
    ModelWindow::AppendLine(list, line);
    if (log.empty() || log.back() != "lines") log.emplace_back("lines");
  }
  std::vector<std::string> log;
};

TEST(UskDefaults, ClearTheListThenFillEmptyBoxesInOrderThenWriteLines) {
  const struct {
    const char* button;
    std::vector<std::string> log;
  } cases[] = {
      {"SpeedButton7", {"clear ListBox11", "Edit331=00000", "Edit332=0000", "lines"}},
      {"SpeedButton18", {"clear ListBox11", "Edit333=00000", "Edit334=0000", "Edit335=0", "lines"}},
      {"SpeedButton19", {"clear ListBox11", "Edit336=00000", "Edit338=00000", "Edit339=0000", "Edit337=0", "lines"}},
      {"SpeedButton20", {"clear ListBox11", "Edit340=00000", "Edit342=0000", "Edit343=0000", "lines"}},
      {"SpeedButton21", {"clear ListBox11", "Edit344=00", "lines"}},
  };
  for (const auto& c : cases) {
    LoggingWindow w;
    EXPECT_TRUE(Press(w, c.button));
    EXPECT_EQ(w.log, c.log) << c.button;
  }
}

TEST(UskDefaults, FillOnlyEmptyBoxesAndStayAfterAFailure) {
  ModelWindow w;
  EXPECT_EQ(PressWith(w, "SpeedButton19", {{"Edit337", " "}, {"Edit339", "Q"}}), std::vector{BadValue("$Q")});
  EXPECT_EQ(Texts(w, {"Edit336", "Edit337", "Edit338", "Edit339"}),
            (std::vector<std::string>{"00000", " ", "00000", "Q"}));
  EXPECT_EQ(PressWith(w, "SpeedButton20", {{"Edit340", "0"}, {"Edit342", "1"}}), std::vector{BadValue("$")});
  EXPECT_EQ(Texts(w, {"Edit340", "Edit342", "Edit343"}), (std::vector<std::string>{"0", "1", "0000"}));
  // Other rows' boxes are left alone.
  EXPECT_EQ(Texts(w, {"Edit331", "Edit332", "Edit333", "Edit334", "Edit335", "Edit344"}),
            (std::vector<std::string>(6, "")));
}

TEST(UskPage, EachPressClearsTheReportOfAnotherRow) {
  ModelWindow w;
  PressWith(w, "SpeedButton20", {{"Edit342", "0000"}, {"Edit343", "FFFF"}});
  ASSERT_EQ(w.Lines(kList).size(), 31u);
  PressWith(w, "SpeedButton21", {{"Edit344", "42"}});
  EXPECT_EQ(w.Lines(kList), (Lines{"Неисправность при прохождении теста УТП 2.1В", "", "КЗ в БАЛе 2 стативного ряда 4"}));
  // A failing press clears too, and the next press works as usual.
  EXPECT_EQ(PressWith(w, "SpeedButton7", {{"Edit332", "X"}}), std::vector{BadValue("$X")});
  EXPECT_EQ(w.Lines(kList), AllOnes("00000"));
  PressWith(w, "SpeedButton18", {{"Edit334", "0001"}});
  EXPECT_EQ(w.Lines(kList), Concat(RunningZero("00000", "0"), {"0000000000000001"}));
}

// The page's layout: the rows' boxes, buttons and the list, inside the page.
struct Rect {
  int x, y, w, h;
  bool Overlaps(const Rect& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
};

TEST(UskLayout, RowsOfBoxesEachWithItsButton) {
  const PageLayout& page = UskPage();
  EXPECT_EQ(page.sheet, "TabSheet14");
  EXPECT_EQ(page.caption, "УСК");
  const struct {
    const char* name;
    int max_length;
    const char* button;
  } boxes[] = {
      {"Edit331", 5, "SpeedButton7"},  {"Edit332", 4, "SpeedButton7"},  {"Edit333", 5, "SpeedButton18"},
      {"Edit335", 1, "SpeedButton18"}, {"Edit334", 4, "SpeedButton18"}, {"Edit336", 5, "SpeedButton19"},
      {"Edit337", 1, "SpeedButton19"}, {"Edit338", 5, "SpeedButton19"}, {"Edit339", 4, "SpeedButton19"},
      {"Edit340", 5, "SpeedButton20"}, {"Edit342", 4, "SpeedButton20"}, {"Edit343", 4, "SpeedButton20"},
      {"Edit344", 2, "SpeedButton21"},
  };
  ASSERT_EQ(page.boxes.size(), std::size(boxes));
  for (std::size_t i = 0; i < page.boxes.size(); ++i) {
    const BoxSpec& box = page.boxes[i];
    EXPECT_EQ(box.name, boxes[i].name);
    EXPECT_EQ(box.max_length, boxes[i].max_length) << box.name;
    EXPECT_EQ(box.enter_button, boxes[i].button) << box.name;
    EXPECT_EQ(box.role, BoxRole::Input) << box.name;
    // Room for that many characters of about 12 px each in the bold 19 px face.
    EXPECT_GE(box.width, box.max_length == 1 ? 25 : box.max_length * 12 + 8) << box.name;
    const ButtonSpec* button = FindButton(box.enter_button).button;
    ASSERT_NE(button, nullptr);
    EXPECT_GT(button->x, box.x) << box.name << ": the button ends the row";
    EXPECT_LT(button->y, box.y + box.height) << box.name;
  }
  std::vector<std::string> titles;
  for (const LabelSpec& label : page.labels) {
    titles.push_back(label.text);
    EXPECT_EQ(std::pair(label.pixel_size, label.bold), std::pair(16, true)) << label.text;
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"УСК", ".0.-", "УСК", ".1.-", "УСК", ".2.-", "УСК", ".3.-",
                                              "УСК КЗ БАЛ"}));
  ASSERT_EQ(page.buttons.size(), 5u);
  for (const ButtonSpec& button : page.buttons) {
    EXPECT_EQ(button.picture, Picture::Disc) << button.name;
    EXPECT_EQ(button.caption, "") << button.name;
    EXPECT_EQ(std::pair(button.width, button.height), std::pair(33, 33)) << button.name;
    EXPECT_NE(button.handler, nullptr) << button.name;
  }
  ASSERT_NE(page.list(), nullptr);
  const ListSpec& list = *page.list();
  EXPECT_EQ(list.name, "ListBox11");
  EXPECT_EQ(std::tuple(list.pixel_size, list.line_height, list.bold), std::tuple(13, 16, true));
  // The longest fixed line is about 320 px in bold 13 px; with a scroll bar beside it.
  EXPECT_GE(list.width, 360);
  EXPECT_GE(list.height / list.line_height, 20);
}

// A generous width of a bold 16 px label: letters up to 11 px, digits 9,
// blanks and punctuation 6, and the label's own margin of 4.
int LabelWidth(const std::string& text) {
  int width = 4;
  for (const std::string_view c : SplitChars(text)) {
    width += c.size() > 1 ? 11 : (c[0] >= '0' && c[0] <= '9') ? 9 : std::isalpha(static_cast<unsigned char>(c[0])) ? 11 : 6;
  }
  return width;
}

TEST(UskLayout, NothingOverlapsAndAllFitsThePage) {
  const PageLayout& page = UskPage();
  std::vector<std::pair<std::string, Rect>> parts;
  for (const BoxSpec& b : page.boxes) parts.push_back({b.name, {b.x, b.y, b.width, b.height}});
  for (const ButtonSpec& b : page.buttons) parts.push_back({b.name, {b.x, b.y, b.width, b.height}});
  for (const ListSpec& l : page.lists) parts.push_back({l.name, {l.x, l.y, l.width, l.height}});
  for (const LabelSpec& l : page.labels) {
    parts.push_back({l.text, {l.x, l.y, LabelWidth(l.text), l.pixel_size + 3}});
  }
  EXPECT_EQ(page.labels.size(), 9u);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Rect& r = parts[i].second;
    EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= 785 && r.y + r.h <= 450) << parts[i].first;
    for (std::size_t j = i + 1; j < parts.size(); ++j) {
      EXPECT_FALSE(r.Overlaps(parts[j].second)) << parts[i].first << " and " << parts[j].first;
    }
  }
}

}  // namespace
}  // namespace ostrolen

// The layouts of the four fault pages: every box by name and role, the
// titles, the list and the button, and that nothing overlaps or leaves the
// page. Also the pages as the command-line runner presses them.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/utf8.h"
#include "pages/pages.h"
#include "tests/pages/faults/fault_test_support.h"

namespace ostrolen::testing {
namespace {

// A page two tab levels deep has about this much room.
constexpr int kPageWidth = 785;
constexpr int kPageHeight = 450;

std::vector<std::string> Range(int first, int last) {
  std::vector<std::string> names;
  for (int n = first; n <= last; ++n) names.push_back("Edit" + std::to_string(n));
  return names;
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct PageBoxes {
  const PageLayout& (*layout)();
  std::string sheet;
  std::string caption;
  std::vector<std::string> fixed;     // the mask boxes, in position order
  std::vector<std::string> texts;     // their fixed texts
  std::vector<std::string> input;     // the message boxes
  std::vector<std::string> output;    // the bit rows, top to bottom
  std::vector<std::string> titles;    // bold 19 px
  std::vector<std::string> captions;  // bold 16 px
  ListSpec list;
  std::string button;
};

const PageBoxes kPages[] = {
    {UvpPage,
     "TabSheet9",
     "УВП",
     Join({Range(100, 103), Range(105, 108)}),
     {"0", "0", "3", "5", "0", "0", "3", "F"},
     Join({Range(74, 77), Range(79, 82)}),
     Join({Range(84, 99),
           {"Edit78", "Edit83", "Edit104", "Edit109"},
           Range(110, 121),
           Range(122, 137),
           Range(138, 153)}),
     {"Маска исправности", "Введите код сообщения", "Маска Lxe", "Проверка", "Маска Lxf", "Проверка"},
     {"Неисправность"},
     {"ListBox4", 0, 0, 0, 0, 16, 20, true},
     "SpeedButton11"},
    {BgPage,
     "TabSheet10",
     "БГ",
     Range(154, 157),
     {"0", "0", "0", "0"},
     Range(162, 165),
     Join({Range(170, 185), Range(186, 201)}),
     {"Маска исправности", "Введите код сообщения", "Маска", "Проверка"},
     {"Неисправность"},
     {"ListBox5", 0, 0, 0, 0, 16, 20, true},
     "SpeedButton12"},
    {VvkPage,
     "TabSheet11",
     "ВВК",
     Join({Range(202, 205), Range(206, 209)}),
     {"0", "0", "3", "4", "0", "0", "3", "0"},
     Join({Range(158, 161), Range(166, 169)}),
     Range(210, 273),
     {"Маска исправности", "Введите код сообщения", "Маска", "Проверка", "Маска", "Проверка"},
     {"Неисправность"},
     {"ListBox6", 0, 0, 0, 0, 16, 20, true},
     "SpeedButton13"},
    {PuuPage,
     "TabSheet12",
     "ПУУ",
     {},
     {},
     Range(289, 296),
     Range(297, 328),
     {"Введите код сообщения", "Проверка"},
     {"БГ", "ВВК", "УВП", "Неисправны:"},
     {"ListBox9", 0, 0, 0, 0, 11, 13, false},
     "SpeedButton16"},
};

struct Rect {
  std::string what;
  int x, y, w, h;
};

// Label extents from generous per-letter widths of the page face.
Rect LabelRect(const LabelSpec& label) {
  const int letter = label.pixel_size >= 19 ? 12 : label.pixel_size >= 16 ? 10 : 7;
  const int width = label.width > 0 ? label.width : letter * static_cast<int>(CharCount(label.text));
  return {"label " + label.text, label.x, label.y, width, label.pixel_size * 6 / 5};
}

class FaultLayoutTest : public ::testing::TestWithParam<PageBoxes> {};

TEST_P(FaultLayoutTest, DeclaresEveryBoxWithItsRole) {
  const PageBoxes& expected = GetParam();
  const PageLayout& page = expected.layout();
  EXPECT_EQ(page.sheet, expected.sheet);
  EXPECT_EQ(page.caption, expected.caption);
  std::vector<std::string> fixed, texts, input, output;
  for (const BoxSpec& box : page.boxes) {
    EXPECT_EQ(box.width, 25);
    EXPECT_EQ(box.height, 32);
    EXPECT_EQ(box.max_length, 1);
    switch (box.role) {
      case BoxRole::Fixed:
        fixed.push_back(box.name);
        texts.push_back(box.text);
        break;
      case BoxRole::Input: input.push_back(box.name); break;
      case BoxRole::Output: output.push_back(box.name); break;
    }
  }
  EXPECT_EQ(fixed, expected.fixed);
  EXPECT_EQ(texts, expected.texts);
  EXPECT_EQ(input, expected.input);
  EXPECT_EQ(output, expected.output);

  std::vector<std::string> titles, captions;
  for (const LabelSpec& label : page.labels) {
    EXPECT_TRUE(label.bold) << label.text;
    (label.pixel_size == 19 ? titles : captions).push_back(label.text);
    if (label.pixel_size != 19) {
      EXPECT_EQ(label.pixel_size, 16) << label.text;
    }
  }
  std::sort(titles.begin(), titles.end());
  std::sort(captions.begin(), captions.end());
  std::vector<std::string> want_titles = expected.titles, want_captions = expected.captions;
  std::sort(want_titles.begin(), want_titles.end());
  std::sort(want_captions.begin(), want_captions.end());
  EXPECT_EQ(titles, want_titles);
  EXPECT_EQ(captions, want_captions);

  ASSERT_EQ(page.lists.size(), 1U);
  const ListSpec& list = page.lists.front();
  EXPECT_EQ(list.name, expected.list.name);
  EXPECT_EQ(list.pixel_size, expected.list.pixel_size);
  EXPECT_EQ(list.line_height, expected.list.line_height);
  EXPECT_EQ(list.bold, expected.list.bold);
  ASSERT_EQ(page.buttons.size(), 1U);
  const ButtonSpec& button = page.buttons.front();
  EXPECT_EQ(button.name, expected.button);
  EXPECT_EQ(button.caption, "Проверить");
  EXPECT_EQ(button.picture, Picture::Book);
  EXPECT_EQ(button.width, 121);
  EXPECT_EQ(button.height, 33);
  EXPECT_NE(button.handler, nullptr);
}

TEST_P(FaultLayoutTest, RowsRunLeftToRightInGroupsOfFour) {
  const PageLayout& page = GetParam().layout();
  // Input order is row by row, left to right.
  for (std::size_t i = 1; i < page.boxes.size(); ++i) {
    const BoxSpec& a = page.boxes[i - 1];
    const BoxSpec& b = page.boxes[i];
    EXPECT_TRUE(a.y < b.y || (a.y == b.y && a.x < b.x)) << a.name << " before " << b.name;
  }
  // Each bit row: sixteen boxes, with a wider gap between groups of four.
  const std::vector<std::string>& output = GetParam().output;
  for (std::size_t row = 0; row < output.size() / 16; ++row) {
    std::vector<const BoxSpec*> boxes;
    for (std::size_t i = 0; i < 16; ++i) {
      for (const BoxSpec& box : page.boxes) {
        if (box.name == output[16 * row + i]) boxes.push_back(&box);
      }
    }
    ASSERT_EQ(boxes.size(), 16U);
    for (std::size_t i = 1; i < 16; ++i) {
      EXPECT_EQ(boxes[i]->y, boxes[0]->y);
      const int gap = boxes[i]->x - boxes[i - 1]->x;
      if (i % 4 == 0) {
        EXPECT_GT(gap, 27) << boxes[i]->name;
      } else {
        EXPECT_EQ(gap, 27) << boxes[i]->name;
      }
    }
  }
  // Mask boxes stand above their word's message positions.
  const std::vector<std::string>& fixed = GetParam().fixed;
  for (std::size_t i = 0; i < fixed.size(); ++i) {
    const BoxSpec* mask = FindBox(fixed[i]).box;
    const BoxSpec* message = FindBox(GetParam().input[i]).box;
    ASSERT_TRUE(mask && message);
    EXPECT_EQ(mask->x, message->x) << mask->name;
    EXPECT_LT(mask->y, message->y) << mask->name;
  }
  // Word 2's message positions are the right group of the row.
  const std::vector<std::string>& input = GetParam().input;
  if (input.size() == 8) {
    EXPECT_GT(FindBox(input[4]).box->x, FindBox(input[3]).box->x + 27);
  }
}

TEST_P(FaultLayoutTest, NothingOverlapsOrLeavesThePage) {
  const PageLayout& page = GetParam().layout();
  std::vector<Rect> rects;
  for (const BoxSpec& box : page.boxes) rects.push_back({box.name, box.x, box.y, box.width, box.height});
  for (const LabelSpec& label : page.labels) rects.push_back(LabelRect(label));
  for (const ListSpec& list : page.lists) rects.push_back({list.name, list.x, list.y, list.width, list.height});
  for (const ButtonSpec& button : page.buttons) {
    rects.push_back({button.name, button.x, button.y, button.width, button.height});
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const Rect& a = rects[i];
    EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.w <= kPageWidth && a.y + a.h <= kPageHeight) << a.what;
    for (std::size_t j = i + 1; j < rects.size(); ++j) {
      const Rect& b = rects[j];
      const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
      EXPECT_TRUE(apart) << a.what << " overlaps " << b.what;
    }
  }
  // The list is wide enough for its longest line, beside a scroll bar.
  const ListSpec& list = page.lists.front();
  const int letter = list.bold ? 10 : 7;
  for (const FaultPageUnderTest& faults : FaultPagesUnderTest()) {
    if (faults.faults.list != list.name) continue;
    for (const FaultEntry& entry : faults.faults.table) {
      EXPECT_LE(letter * static_cast<int>(CharCount(entry.text)) + 24, list.width) << entry.text;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, FaultLayoutTest, ::testing::ValuesIn(kPages));

// The runner presses the pages as the window does.
TEST(FaultPagesThroughTheRunner, ListTheExampleLines) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> lines;
  } cases[] = {
      {{"press", "SpeedButton11", "Edit74=0", "Edit75=0", "Edit76=7", "Edit77=5", "Edit79=0", "Edit80=0", "Edit81=3",
        "Edit82=F"},
       {"БВ 01-60 УВП 0-3"}},
      {{"press", "SpeedButton12", "Edit162=0", "Edit163=0", "Edit164=3", "Edit165=0"},
       {"БП-12В БЗУ 1ЭУМ ", "БП-5В БВВ 1ЭУМ"}},
      {{"press", "SpeedButton13", "Edit158=0", "Edit159=0", "Edit160=3", "Edit161=0", "Edit166=0", "Edit167=0",
        "Edit168=3", "Edit169=4"},
       {"ПСГ", "ПСГ"}},
      {{"press", "SpeedButton16", "Edit289=0", "Edit290=1", "Edit291=0", "Edit292=0", "Edit293=8", "Edit294=0",
        "Edit295=0", "Edit296=1"},
       {"БГ0", "УВП0", "УВПF"}},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(c.args, out, err), 0) << err.str();
    std::vector<std::string> lines;
    std::istringstream records(out.str());
    for (std::string record; std::getline(records, record);) {
      if (record.starts_with("line\t")) lines.push_back(record.substr(5));
      EXPECT_FALSE(record.starts_with("error\t") || record.starts_with("report\t")) << record;
    }
    EXPECT_EQ(lines, c.lines) << c.args[1];
  }
}

}  // namespace
}  // namespace ostrolen::testing

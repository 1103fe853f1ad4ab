#include <algorithm>
#include <vector>

#include "core/layout.h"
#include "pages/pages.h"
#include "pages/usk/usk.h"

namespace ostrolen {
namespace {

struct UskBox {
  const char* name;
  int max_length;
};

struct UskRow {
  const char* title;          // at the left of the row
  const char* test;           // between the first box and the others; empty: none
  int first_x;                // where the first box starts, clear of the title
  std::vector<UskBox> boxes;  // left to right
  const char* button;
  Handler handler;
};

// Title column: "УСК" is about 31 px wide in bold 16 px, "УСК КЗ БАЛ" about 94 px.
constexpr int kPageWidth = 785, kPageHeight = 450;
constexpr int kLeft = 8, kLineX = 45, kBalX = 114, kTopY = 20, kRowStep = 60;

// The five rows, top to bottom.
const std::vector<UskRow>& UskRows() {
  static const std::vector<UskRow> rows = {
      {"УСК", ".0.-", kLineX, {{"Edit331", 5}, {"Edit332", 4}}, "SpeedButton7", SpeedButton7Click},
      {"УСК", ".1.-", kLineX, {{"Edit333", 5}, {"Edit335", 1}, {"Edit334", 4}}, "SpeedButton18", SpeedButton18Click},
      {"УСК",
       ".2.-",
       kLineX,
       {{"Edit336", 5}, {"Edit337", 1}, {"Edit338", 5}, {"Edit339", 4}},
       "SpeedButton19",
       SpeedButton19Click},
      {"УСК", ".3.-", kLineX, {{"Edit340", 5}, {"Edit342", 4}, {"Edit343", 4}}, "SpeedButton20", SpeedButton20Click},
      {"УСК КЗ БАЛ", "", kBalX, {{"Edit344", 2}}, "SpeedButton21", SpeedButton21Click},
  };
  return rows;
}

// Wide enough for `max_length` characters of the bold 19 px code font
// (digits about 11 px, most capital letters up to 13 px) inside the frame.
int BoxWidth(int max_length) { return max_length == 1 ? 25 : max_length * 12 + 12; }

constexpr int kBoxGap = 6;
constexpr int kTestLabelGap = 4, kTestLabelWidth = 31;  // ".0.-" is about 23 px in bold 16 px, plus margins

void AddRow(PageLayout& page, const UskRow& row, int y) {
  page.labels.push_back({row.title, kLeft, y + 6, 16, true});
  int x = row.first_x;
  for (std::size_t i = 0; i < row.boxes.size(); ++i) {
    if (i > 0) {
      if (i == 1 && *row.test != '\0') {
        page.labels.push_back({row.test, x + kTestLabelGap, y + 6, 16, true});
        x += kTestLabelGap + kTestLabelWidth + 2;
      } else {
        x += kBoxGap;
      }
    }
    BoxSpec box;
    box.name = row.boxes[i].name;
    box.x = x;
    box.y = y;
    box.width = BoxWidth(row.boxes[i].max_length);
    box.max_length = row.boxes[i].max_length;
    box.enter_button = row.button;
    page.boxes.push_back(box);
    x += box.width;
  }
  page.buttons.push_back({row.button, "", Picture::Disc, x + kBoxGap, y - 1, 33, 33, row.handler});
}

}  // namespace

const PageLayout& UskPage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet14";
        p.caption = "УСК";
        int y = kTopY;
        for (const UskRow& row : UskRows()) {
          AddRow(p, row, y);
          y += kRowStep;
        }
        // To the right of the widest row, up to the page's right and bottom edges.
        int list_x = 0;
        for (const ButtonSpec& button : p.buttons) list_x = std::max(list_x, button.x + button.width + 10);
        p.lists = {{"ListBox11", list_x, 8, kPageWidth - 8 - list_x, kPageHeight - 16, 13, 16, true}};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {
          {"usk0", "SpeedButton7", "", 0, "LINE WORD", "00012 5FFF", "УСК .0.-: the all-ones test", {}},
          {"usk1", "SpeedButton18", "", 0, "LINE BIT WORD", "00012 3 A5F0", "УСК .1.-: the running-zero test", {}},
          {"usk2",
           "SpeedButton19",
           "",
           0,
           "LINE BIT AFFECTED-LINE WORD",
           "00012 3 00034 FFF0",
           "УСК .2.-: the write into other lines",
           {}},
          {"usk3", "SpeedButton20", "", 0, "LINE READ WRITTEN", "00012 00FF 00FE", "УСК .3.-: the write check", {}},
          {"bal", "SpeedButton21", "", 0, "ROW-AND-BAL", "13", "УСК КЗ БАЛ: a short circuit in a rack row's БАЛ", {}},
      });
  return page;
}

}  // namespace ostrolen

#include "core/layout.h"
#include "pages/pages.h"
#include "pages/segments/segments.h"

namespace ostrolen {

const PageLayout& SegmentsPage() {
  static const PageLayout page = WithCommands(
      [] {
        PageLayout p;
        p.sheet = "TabSheet15";
        p.caption = "Сегменты";
        // Two-character boxes: room for "3C" in the bold 19 px code font.
        constexpr int kLabelX = 16, kBoxX = 100, kBoxWidth = 44, kSegmentY = 16, kStepY = 60;
        p.boxes = {
            {"Edit329", kBoxX, kSegmentY, kBoxWidth, 32, 2, BoxRole::Input, "", ""},
            {"Edit330", kBoxX, kStepY, kBoxWidth, 32, 2, BoxRole::Input, "", ""},
        };
        p.labels = {
            {"Сегмент", kLabelX, kSegmentY + 6, 16, true},
            {"Шаг", kLabelX, kStepY + 6, 16, true},
        };
        p.buttons = {{"SpeedButton17", "Запрос", Picture::Book, kLabelX, 108, 121, 33, SpeedButton17Click}};
        // A 40-line result scrolls; the longest label is about 330 px wide.
        p.lists = {{"ListBox10", 176, 8, 600, 432, 13, 16, true}};
        return p;
      }(),
      // What the command line calls a press of the page's buttons.
      {{"segment",
        "SpeedButton17",
        "",
        0,
        "SEGMENT STEP",
        "0 0",
        "Сегменты: a test segment and step, from dbveltra.mdb in the current folder",
        {}}});
  return page;
}

}  // namespace ostrolen

#include "core/layout.h"
#include "pages/pages.h"

namespace ostrolen {

const PageLayout& SegmentsPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet15";
    p.caption = "Сегменты";
    p.buttons = {{"SpeedButton17", "Запрос", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}
}  // namespace ostrolen

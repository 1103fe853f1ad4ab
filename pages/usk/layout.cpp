#include "core/layout.h"
#include "pages/pages.h"

namespace ostrolen {

const PageLayout& UskPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet14";
    p.caption = "УСК";
    p.buttons = {{"SpeedButton7", "", Picture::Disc, 8, 8, 33, 33}};
    return p;
  }();
  return page;
}
}  // namespace ostrolen

#include "core/layout.h"
#include "pages/pages.h"

namespace ostrolen {

const PageLayout& UvpPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet9";
    p.caption = "УВП";
    p.buttons = {{"SpeedButton11", "Проверить", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}

const PageLayout& BgPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet10";
    p.caption = "БГ";
    p.buttons = {{"SpeedButton12", "Проверить", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}

const PageLayout& VvkPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet11";
    p.caption = "ВВК";
    p.buttons = {{"SpeedButton13", "Проверить", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}

const PageLayout& PuuPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet12";
    p.caption = "ПУУ";
    p.buttons = {{"SpeedButton16", "Проверить", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}
}  // namespace ostrolen

#include "core/layout.h"
#include "pages/pages.h"

namespace ostrolen {

const PageLayout& FirstStagePage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet4";
    p.caption = "Первая ступень";
    p.buttons = {{"SpeedButton3", "", Picture::ArrowRight, 8, 8, 33, 33}};
    return p;
  }();
  return page;
}

const PageLayout& SecondStagePage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet5";
    p.caption = "Вторая ступень";
    p.buttons = {{"SpeedButton6", "", Picture::ArrowRight, 8, 8, 33, 33}};
    return p;
  }();
  return page;
}

const PageLayout& InitialBlockPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet7";
    p.caption = "Начальный 4-х словный блок";
    p.buttons = {{"SpeedButton10", "", Picture::ArrowRight, 8, 8, 33, 33}};
    return p;
  }();
  return page;
}

const PageLayout& SkoPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet8";
    p.caption = "СКО";
    p.buttons = {{"SpeedButton14", "Проверить", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}

const PageLayout& RkoPage() {
  static const PageLayout page = [] {
    PageLayout p;
    p.sheet = "TabSheet13";
    p.caption = "РКО";
    p.buttons = {{"SpeedButton15", "Проверить", Picture::Book, 8, 8, 121, 33}};
    return p;
  }();
  return page;
}
}  // namespace ostrolen

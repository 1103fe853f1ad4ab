#include "pages/pages.h"

#include <map>
#include <string>

namespace ostrolen {
namespace {

TabNode Leaf(const PageLayout& page) { return {page.sheet, page.caption, &page, {}, {}, 0}; }

TabNode Set(std::string sheet, std::string caption, std::string control, std::vector<TabNode> children, int initial) {
  return {std::move(sheet), std::move(caption), nullptr, std::move(control), std::move(children), initial};
}

void CollectPages(const TabNode& node, std::vector<const PageLayout*>& pages) {
  if (node.page != nullptr) pages.push_back(node.page);
  for (const TabNode& child : node.children) CollectPages(child, pages);
}

struct Index {
  std::map<std::string, BoxOnPage, std::less<>> boxes;
  std::map<std::string, ButtonOnPage, std::less<>> buttons;
};

const Index& ControlIndex() {
  static const Index index = [] {
    Index built;
    for (const PageLayout* page : AllPages()) {
      for (const BoxSpec& box : page->boxes) built.boxes.emplace(box.name, BoxOnPage{&box, page});
      for (const ButtonSpec& button : page->buttons) built.buttons.emplace(button.name, ButtonOnPage{&button, page});
    }
    return built;
  }();
  return index;
}

}  // namespace

const TabNode& PageTree() {
  static const TabNode tree =
      Set("", "", "PageControl1",
          {
              Leaf(ConverterPage()),
              Set("TabSheet2", "АХ", "PageControl2",
                  {
                      Leaf(FirstStagePage()),
                      Leaf(SecondStagePage()),
                      Set("TabSheet6", "Третья ступень", "PageControl4", {Leaf(InitialBlockPage())}, 0),
                      Leaf(SkoPage()),
                      Leaf(RkoPage()),
                  },
                  3),
              Set("TabSheet3", "Неисправности", "PageControl3",
                  {
                      Leaf(UvpPage()),
                      Leaf(BgPage()),
                      Leaf(VvkPage()),
                      Leaf(PuuPage()),
                      Leaf(UskPage()),
                      Leaf(SegmentsPage()),
                  },
                  5),
          },
          2);
  return tree;
}

const std::vector<const PageLayout*>& AllPages() {
  static const std::vector<const PageLayout*> pages = [] {
    std::vector<const PageLayout*> collected;
    CollectPages(PageTree(), collected);
    return collected;
  }();
  return pages;
}

BoxOnPage FindBox(std::string_view name) {
  const auto& boxes = ControlIndex().boxes;
  const auto it = boxes.find(name);
  return it == boxes.end() ? BoxOnPage{} : it->second;
}

ButtonOnPage FindButton(std::string_view name) {
  const auto& buttons = ControlIndex().buttons;
  const auto it = buttons.find(name);
  return it == buttons.end() ? ButtonOnPage{} : it->second;
}

const PageLayout* FindPageOfList(std::string_view list) {
  for (const PageLayout* page : AllPages()) {
    for (const ListSpec& spec : page->lists) {
      if (spec.name == list) return page;
    }
  }
  return nullptr;
}

bool Press(Window& window, std::string_view button) {
  const ButtonOnPage found = FindButton(button);
  if (found.button == nullptr) return false;
  RunGuarded(window, found.button->handler);
  return true;
}

}  // namespace ostrolen

#include "pages/model_window.h"

#include <stdexcept>

#include "pages/pages.h"

namespace ostrolen {
namespace {

template <typename Map>
auto& Lookup(Map& map, std::string_view name, const char* what) {
  const auto it = map.find(name);
  if (it == map.end()) throw std::out_of_range(std::string("no ") + what + " named " + std::string(name));
  return it->second;
}

}  // namespace

ModelWindow::ModelWindow() {
  for (const PageLayout* page : AllPages()) {
    for (const BoxSpec& box : page->boxes) boxes_.emplace(box.name, box.text);
    for (const ListSpec& list : page->lists) {
      lists_.emplace(list.name, std::vector<std::string>{});
      origins_.emplace(list.name, std::vector<LineOrigin>{});
    }
  }
}

std::string ModelWindow::Text(std::string_view box) const { return Lookup(boxes_, box, "box"); }

void ModelWindow::SetText(std::string_view box, std::string_view text) { Lookup(boxes_, box, "box") = text; }

void ModelWindow::ClearList(std::string_view list) {
  Lookup(lists_, list, "list").clear();
  Lookup(origins_, list, "list").clear();
}

void ModelWindow::AppendLine(std::string_view list, std::string_view line) { AppendSourcedLine(list, line, {}); }

void ModelWindow::AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) {
  Lookup(lists_, list, "list").emplace_back(line);
  Lookup(origins_, list, "list").push_back(origin);
}

void ModelWindow::InputErrorReport(std::string_view text) {
  messages_.push_back({MessageKind::Report, std::string(text)});
}

void ModelWindow::ShowError(std::string_view text) { messages_.push_back({MessageKind::Error, std::string(text)}); }

const std::vector<std::string>& ModelWindow::Lines(std::string_view list) const { return Lookup(lists_, list, "list"); }

const std::vector<LineOrigin>& ModelWindow::Origins(std::string_view list) const {
  return Lookup(origins_, list, "list");
}

}  // namespace ostrolen

// Pressing page buttons in tests, as the operator would.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen::testing {

using Message = ModelWindow::Message;
using Lines = std::vector<std::string>;
using Settings = std::initializer_list<std::pair<std::string_view, std::string_view>>;

inline Message Report(std::string_view text) { return {ModelWindow::MessageKind::Report, std::string(text)}; }
inline Message Error(std::string_view text) { return {ModelWindow::MessageKind::Error, std::string(text)}; }

// Types `settings` into their boxes, presses `button` and returns the
// message boxes that press showed, in order.
inline std::vector<Message> PressWith(ModelWindow& window, std::string_view button, Settings settings = {}) {
  for (const auto& [box, text] : settings) window.SetText(box, text);
  window.ClearMessages();
  EXPECT_TRUE(Press(window, button)) << "no button " << button;
  return window.Messages();
}

// The texts of boxes `names`, in order.
inline std::vector<std::string> Texts(const ModelWindow& window, std::initializer_list<std::string_view> names) {
  std::vector<std::string> texts;
  for (const std::string_view name : names) texts.push_back(window.Text(name));
  return texts;
}

}  // namespace ostrolen::testing

namespace ostrolen {
// Readable failures for messages.
inline void PrintTo(const ModelWindow::Message& message, std::ostream* os) {
  *os << (message.kind == ModelWindow::MessageKind::Report ? "report: " : "error: ") << message.text;
}
}  // namespace ostrolen

// The press runner: one invocation is one window session.
#include <algorithm>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "core/utf8.h"
#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

struct UsageError {
  std::string message;
};

std::vector<PressGroup> ParsePresses(const std::vector<std::string>& args) {
  std::vector<PressGroup> groups;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!IsValidUtf8(arg)) throw UsageError{"argument " + std::to_string(i + 1) + " is not valid UTF-8"};
    if (arg == "press") {
      if (i + 1 >= args.size()) throw UsageError{"'press' needs a button name"};
      const std::string& button = args[++i];
      if (!IsValidUtf8(button)) throw UsageError{"argument " + std::to_string(i + 1) + " is not valid UTF-8"};
      if (FindButton(button).button == nullptr) throw UsageError{"no button named '" + button + "'"};
      groups.push_back({button, {}});
      continue;
    }
    const std::size_t equals = arg.find('=');
    if (equals == std::string::npos) throw UsageError{"expected 'press' or NAME=TEXT, got '" + arg + "'"};
    const std::string name = arg.substr(0, equals);
    std::string text = arg.substr(equals + 1);
    if (groups.empty()) throw UsageError{"'" + name + "=' comes before the first 'press'"};
    const BoxOnPage found = FindBox(name);
    if (found.box == nullptr) throw UsageError{"no input box named '" + name + "'"};
    if (found.box->read_only()) throw UsageError{"box '" + name + "' is read-only"};
    if (CharCount(text) > static_cast<std::size_t>(found.box->max_length)) {
      throw UsageError{"box '" + name + "' takes at most " + std::to_string(found.box->max_length) + " character(s)"};
    }
    groups.back().settings.emplace_back(name, std::move(text));
  }
  if (groups.empty()) throw UsageError{"nothing to press"};
  return groups;
}

void RunPresses(const std::vector<PressGroup>& groups, std::ostream& out) {
  ModelWindow window;
  for (const PressGroup& group : groups) {
    out << "press\t" << EscapeField(group.button) << '\n';
    for (const auto& [name, text] : group.settings) window.SetText(name, text);
    const auto before = window.Boxes();
    window.ClearMessages();
    Press(window, group.button);
    for (const ModelWindow::Message& message : window.Messages()) {
      out << (message.kind == ModelWindow::MessageKind::Report ? "report\t" : "error\t") << EscapeField(message.text)
          << '\n';
    }
    std::vector<std::pair<long, const std::string*>> changed;
    for (const auto& [name, text] : window.Boxes()) {
      if (before.at(name) != text) changed.emplace_back(BoxNumber(name), &name);
    }
    std::sort(changed.begin(), changed.end());
    for (const auto& [number, name] : changed) {
      out << "box\t" << *name << '\t' << EscapeField(window.Text(*name)) << '\n';
    }
    if (const ListSpec* list = FindButton(group.button).page->list()) {
      for (const std::string& line : window.Lines(list->name)) out << "line\t" << EscapeField(line) << '\n';
    }
  }
}

}  // namespace

std::vector<PressGroup> ParsePressGroups(const std::vector<std::string>& args) {
  try {
    return ParsePresses(args);
  } catch (const UsageError& error) {
    throw std::invalid_argument(error.message);
  }
}

int RunPressCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<PressGroup> groups;
  try {
    groups = ParsePresses(args);
  } catch (const UsageError& error) {
    err << "ostrolen-cli: " << EscapeField(error.message) << '\n';
    return 2;
  }
  RunPresses(groups, out);
  out.flush();
  return 0;
}

}  // namespace ostrolen

#include "ui/replay.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <random>
#include <utility>

#include "core/shell.h"
#include "core/utf8.h"
#include "pages/pages.h"
#include "reader/database.h"

namespace ostrolen::ui {
namespace {

constexpr std::array<std::string_view, 13> kActions = {"open",     "focus", "type",   "key",  "paste", "press", "click",
                                                       "dblclick", "menu",  "choose", "find", "dump",  "skip"};

bool KnownAction(std::string_view name) {
  return name != "skip" && std::find(kActions.begin(), kActions.end(), name) != kActions.end();
}

std::optional<int> LineNumber(const std::string& text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  int number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

void DumpRecord(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (const std::string_view field : fields) {
    if (!first) out += '\t';
    out += field;
    first = false;
  }
  out += '\n';
}

std::string Esc(std::string_view text) { return EscapeField(text); }
std::string Number(int n) { return n < 0 ? std::string("-") : std::to_string(n); }

}  // namespace

const PageLayout* PageOfCommand(std::string_view name) {
  const PageCommand* command = FindPageCommand(name);
  return command == nullptr ? nullptr : FindButton(command->button).page;
}

std::optional<Key> ParseKey(std::string_view text) {
  Key key;
  std::string_view rest = text;
  for (;;) {
    const std::size_t plus = rest.find('+');
    if (plus == std::string_view::npos || plus + 1 == rest.size()) break;
    const std::string_view modifier = rest.substr(0, plus);
    if (modifier == "Ctrl") {
      key.ctrl = true;
    } else if (modifier == "Shift") {
      key.shift = true;
    } else if (modifier == "Alt") {
      key.alt = true;
    } else if (modifier == "Meta") {
      key.meta = true;
    } else {
      return std::nullopt;
    }
    rest = rest.substr(plus + 1);
  }
  using Code = Key::Code;
  static const std::array<std::pair<std::string_view, Code>, 20> kNames = {{
      {"Enter", Code::Enter},   {"Return", Code::Enter},      {"Tab", Code::Tab},     {"Backspace", Code::Backspace},
      {"Delete", Code::Delete}, {"Del", Code::Delete},        {"Left", Code::Left},   {"Right", Code::Right},
      {"Up", Code::Up},         {"Down", Code::Down},         {"PgUp", Code::PageUp}, {"PgDown", Code::PageDown},
      {"PageUp", Code::PageUp}, {"PageDown", Code::PageDown}, {"Home", Code::Home},   {"End", Code::End},
      {"Escape", Code::Escape}, {"Esc", Code::Escape},        {"Menu", Code::Menu},   {"Space", Code::Character},
  }};
  for (const auto& [name, code] : kNames) {
    if (rest != name) continue;
    key.code = code;
    if (name == "Space") key.text = " ";
    return key;
  }
  if (rest == "F10" && key.shift && !key.ctrl && !key.alt && !key.meta) {
    key.code = Code::Menu;
    key.shift = false;
    return key;
  }
  if (rest.size() == 1 && rest[0] > 0x20 && rest[0] < 0x7F) {
    key.code = Code::Character;
    const char c = rest[0];
    key.text = std::string(1, key.ctrl && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    return key;
  }
  return std::nullopt;
}

std::optional<std::vector<Action>> ParseScript(std::string_view script, std::string& error) {
  std::vector<Action> actions;
  int number = 0;
  std::size_t at = 0;
  while (at < script.size()) {
    std::size_t end = script.find('\n', at);
    if (end == std::string_view::npos) end = script.size();
    std::string_view line = script.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!IsValidUtf8(line)) {
      error = "line " + std::to_string(number) + ": not UTF-8";
      return std::nullopt;
    }
    const std::size_t blank = line.find(' ');
    Action action;
    action.line = number;
    action.name = std::string(line.substr(0, blank));
    const std::string_view raw = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    if (!KnownAction(action.name)) {
      error = "line " + std::to_string(number) + ": unknown action '" + EscapeField(action.name) + "'";
      return std::nullopt;
    }
    const std::optional<std::string> arg = UnescapeField(raw);
    if (!arg) {
      error = "line " + std::to_string(number) + ": a bad escape in '" + EscapeField(raw) + "'";
      return std::nullopt;
    }
    action.arg = *arg;
    if (action.name == "key" && !ParseKey(action.arg)) {
      error = "line " + std::to_string(number) + ": unknown key '" + EscapeField(action.arg) + "'";
      return std::nullopt;
    }
    actions.push_back(std::move(action));
  }
  if (actions.empty() || actions.back().name != "dump") actions.push_back({number + 1, "dump", ""});
  return actions;
}

std::string FormatDump(int number, const DumpState& state) {
  std::string out;
  DumpRecord(out, {"dump", std::to_string(number)});
  DumpRecord(out, {"page", state.sheet, Esc(state.caption)});
  for (const auto& button : state.buttons) DumpRecord(out, {"button", button.name, Esc(button.text)});
  for (const auto& box : state.boxes) DumpRecord(out, {"box", box.name, Esc(box.text)});
  if (state.focus.empty()) {
    DumpRecord(out, {"focus", "-"});
  } else {
    DumpRecord(out, {"focus", state.focus, Number(state.caret), Number(state.anchor)});
  }
  for (const auto& line : state.lines) {
    DumpRecord(
        out, {"line", line.list, std::to_string(line.index), line.mark == 0 ? std::string() : std::string(1, line.mark),
              Esc(line.text), Esc(line.old), Esc(line.tip), line.selected ? "1" : "0"});
  }
  std::string lit = "lit";
  for (const std::string& box : state.lit) lit += "\t" + box;
  out += lit + "\n";
  if (state.menu) {
    DumpRecord(out, {"menu"});
    for (const auto& item : state.items) {
      DumpRecord(out, {"item", std::to_string(item.depth), Number(item.checked), Esc(item.text)});
    }
  }
  if (state.editor) {
    DumpRecord(out, {"editor", Esc(state.editor_caption), Esc(state.editor_text), state.editor_ok ? "1" : "0"});
  }
  for (const auto& message : state.messages) DumpRecord(out, {"message", message.name, Esc(message.text)});
  if (state.clipboard) DumpRecord(out, {"clipboard", Esc(*state.clipboard)});
  DumpRecord(out, {"search", Esc(state.search), state.search_open ? "1" : "0"});
  if (state.search_open) {
    if (!state.search_problem.empty()) DumpRecord(out, {"problem", Esc(state.search_problem)});
    for (std::size_t i = 0; i < state.matches.size(); ++i) {
      DumpRecord(out, {"match", std::to_string(i), Esc(state.matches[i].text), state.matches[i].marked ? "1" : "0"});
    }
  }
  DumpRecord(out, {"history", state.history ? "1" : "0"});
  for (const auto& entry : state.entries) {
    DumpRecord(out, {"entry", std::to_string(entry.number), Esc(entry.title), entry.selected ? "1" : "0"});
  }
  for (const auto& [list, can] : state.undo) DumpRecord(out, {"undo", list, can ? "1" : "0"});
  DumpRecord(out, {"title", Esc(state.title)});
  DumpRecord(out, {"address", Esc(state.address)});
  for (const auto& [line, action] : state.skipped) DumpRecord(out, {"skipped", std::to_string(line), action});
  DumpRecord(out, {"end"});
  return out;
}

DumpState StateOf(const Controller& controller) {
  DumpState state;
  const PageLayout& page = controller.Front();
  state.sheet = page.sheet;
  state.caption = page.caption;
  for (const ButtonSpec& button : page.buttons) state.buttons.push_back({button.name, button.caption});
  for (const BoxSpec& box : page.boxes) state.boxes.push_back({box.name, controller.Text(box.name)});
  std::stable_sort(state.boxes.begin(), state.boxes.end(),
                   [](const auto& a, const auto& b) { return BoxNumber(a.name) < BoxNumber(b.name); });
  const Focus& focus = controller.FocusNow();
  state.focus = focus.control;
  state.caret = focus.caret;
  state.anchor = focus.anchor;
  for (const ListSpec& spec : page.lists) {
    const List& list = controller.ListOf(spec.name);
    for (std::size_t i = 0; i < list.lines.size(); ++i) {
      const Line& line = list.lines[i];
      state.lines.push_back({spec.name, static_cast<int>(i), line.mark, line.text, line.old, line.tip, line.selected});
    }
    state.undo.emplace_back(spec.name, controller.CanUndo(spec.name));
  }
  state.lit = controller.LitBoxes();
  const Menu& menu = controller.MenuNow();
  state.menu = menu.open;
  for (const MenuItem& item : menu.items) state.items.push_back({item.depth, item.checked, item.text});
  const Editor& editor = controller.EditorNow();
  state.editor = editor.open;
  state.editor_caption = editor.caption;
  state.editor_text = editor.text;
  state.editor_ok = editor.ok;
  const SearchView& search = controller.Search();
  state.search = search.text;
  state.search_open = search.open;
  if (search.open) {
    state.search_problem = search.shown.problem;
    for (std::size_t i = 0; i < search.shown.lines.size(); ++i) {
      state.matches.push_back({search.shown.lines[i], static_cast<int>(i) == search.current});
    }
  }
  const HistoryView& history = controller.History();
  state.history = history.open;
  for (const HistoryEntryView& entry : history.entries)
    state.entries.push_back({entry.number, entry.title, entry.selected});
  state.title = shell::kWindowCaption;
  state.address = controller.Address();
  return state;
}

int RunReplay(std::string_view script, std::string& out, std::string& err) {
  std::string error;
  const std::optional<std::vector<Action>> actions = ParseScript(script, error);
  if (!actions) {
    err = "replay: " + error + "\n";
    return 2;
  }
  Controller::Options options;
  options.clock = ReplayClock();
  RowCache cache;
  int listings = -1;
  options.rows = [&cache, &listings]() -> const RowListing* {
    const RowListing& listing = cache.Rows(std::string(kDatabaseFile));
    if (cache.Listings() == listings) return nullptr;
    listings = cache.Listings();
    return &listing;
  };
  Controller controller(options);
  std::vector<DumpState::Control> messages;
  std::optional<std::string> clipboard;
  std::vector<std::pair<int, std::string>> skipped;
  int dumps = 0;
  // Carries out what the controller asks of the front end: the database is
  // read at once, and every message box is answered.
  const auto settle = [&] {
    for (;;) {
      std::vector<Effect> effects = controller.TakeEffects();
      if (effects.empty()) return;
      for (Effect& effect : effects) {
        if (effect.kind == Effect::Kind::Message) messages.push_back({effect.name, effect.text});
        if (effect.kind == Effect::Kind::Clipboard) clipboard = effect.text;
        if (effect.kind == Effect::Kind::Read) controller.ReadingAnswered(ReferenceDatabase().Run(effect.statements));
      }
    }
  };
  settle();
  const auto dialog = [&controller] {
    return controller.MenuNow().open || controller.EditorNow().open || controller.History().open;
  };
  for (const Action& action : *actions) {
    bool done = true;
    if (action.name == "dump") {
      DumpState state = StateOf(controller);
      state.messages = std::exchange(messages, {});
      state.clipboard = std::exchange(clipboard, std::nullopt);
      state.skipped = std::exchange(skipped, {});
      out += FormatDump(++dumps, state);
      continue;
    }
    if (action.name == "open") {
      const PageLayout* page = PageOfCommand(action.arg);
      done = page != nullptr && !dialog() && controller.ShowPage(page->sheet);
    } else if (action.name == "focus") {
      done = !dialog() && controller.FocusOn(action.arg);
    } else if (action.name == "type") {
      done = !controller.FocusNow().control.empty();
      for (const std::string_view c : SplitChars(action.arg)) {
        if (!done) break;
        Key key;
        key.code = Key::Code::Character;
        key.text = std::string(c);
        controller.KeyIn(key);
        settle();
      }
    } else if (action.name == "key") {
      done = !controller.FocusNow().control.empty();
      if (done) controller.KeyIn(*ParseKey(action.arg));
    } else if (action.name == "paste") {
      // A paste is Ctrl+V with the text on the clipboard: whatever has the focus takes it, or not.
      done = !controller.FocusNow().control.empty();
      if (done) controller.Paste(action.arg);
    } else if (action.name == "press") {
      const ButtonOnPage button = FindButton(action.arg);
      done = button.page == &controller.Front() && controller.Press(action.arg);
    } else if (action.name == "click" || action.name == "dblclick" || action.name == "menu") {
      const std::optional<int> line = LineNumber(action.arg);
      if (!line) {
        done = false;
      } else if (action.name == "click") {
        done = controller.ClickLine(*line);
      } else if (action.name == "dblclick") {
        done = controller.DoubleClickLine(*line);
      } else {
        done = controller.MenuOnLine(*line);
      }
    } else if (action.name == "choose") {
      done = controller.Choose(action.arg);
    } else if (action.name == "find") {
      done = !dialog();
      if (done) controller.Find(action.arg);
    }
    settle();
    if (!done) skipped.emplace_back(action.line, action.name);
  }
  return 0;
}

std::string RandomScript(std::uint32_t seed, int count) {
  std::mt19937 random(seed);
  const auto pick = [&random](auto const& from) -> const auto& {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const auto chance = [&random](int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; };
  std::vector<std::string> pages;
  for (const PageLayout* page : AllPages()) {
    for (const PageCommand& command : page->commands) pages.emplace_back(command.name);
  }
  static const std::array<std::string_view, 24> kKeys = {
      "Enter",  "Tab",    "Shift+Tab", "Backspace", "Delete", "Left",   "Right",  "Up",
      "Down",   "PgUp",   "PgDown",    "Home",      "End",    "Escape", "Ctrl+Z", "Ctrl+R",
      "Ctrl+H", "Ctrl+F", "Ctrl+C",    "Shift+F10", "Down",   "Enter",  "Up",     "Tab"};
  static const std::array<std::string_view, 12> kTyped = {"0", "7", "3", "F", "A", "5", "1", "2", "9", "C", "Ж", " "};
  static const std::array<std::string_view, 10> kFound = {"КФ",  "декад", "0075", "сегмент", "Рк",
                                                          "тон", "ё",     "ЖЖ",   "1",       "набор"};
  static const std::array<std::string_view, 8> kChosen = {
      "OK", "Отмена", "Копировать", "Изменить…", "Декодировать снова", "Сравнить две записи", "Форма", "нет"};
  const PageLayout* page = AllPages().back();
  std::string script = "# seed " + std::to_string(seed) + "\n";
  for (int i = 0; i < count; ++i) {
    const int kind = std::uniform_int_distribution<int>(0, 99)(random);
    if (kind < 8) {
      const std::string& name = pick(pages);
      page = PageOfCommand(name);
      script += "open " + name + "\n";
    } else if (kind < 16 && !page->boxes.empty()) {
      script += "focus " + pick(page->boxes).name + "\n";
    } else if (kind < 36) {
      std::string text;
      const int length = std::uniform_int_distribution<int>(1, 6)(random);
      for (int c = 0; c < length; ++c) text += pick(kTyped);
      script += "type " + EscapeField(text) + "\n";
    } else if (kind < 54) {
      script += "key " + std::string(pick(kKeys)) + "\n";
    } else if (kind < 58) {
      static const std::array<std::string_view, 6> kPasted = {"0075 003F",    "271A6", "7 7 3 F F",
                                                              "00012-3-A5F0", "ЖЖ\n1", "13"};
      script += "paste " + EscapeField(pick(kPasted)) + "\n";
    } else if (kind < 68 && !page->buttons.empty()) {
      script += "press " + pick(page->buttons).name + "\n";
    } else if (kind < 76) {
      script += "click " + std::to_string(std::uniform_int_distribution<int>(0, 12)(random)) + "\n";
    } else if (kind < 81) {
      script += "dblclick " + std::to_string(std::uniform_int_distribution<int>(0, 12)(random)) + "\n";
    } else if (kind < 86) {
      script += "menu " + std::to_string(std::uniform_int_distribution<int>(0, 12)(random)) + "\n";
    } else if (kind < 92) {
      script += "choose " + std::string(pick(kChosen)) + "\n";
    } else if (kind < 96) {
      script += "find " + std::string(pick(kFound)) + "\n";
    } else {
      script += "dump\n";
    }
    if (chance(5)) script += "dump\n";
  }
  return script + "dump\n";
}

}  // namespace ostrolen::ui

// Fuzzes the page runner: any byte string is a script of presses of every
// page's buttons with any box texts (see press_script.h), run on one
// ModelWindow as one window session. Besides crashes, hangs and sanitizer
// findings, every press is checked against what must hold for any input.
//
// The segments page reads dbveltra.mdb from the current folder: scripts/fuzz
// runs this in a folder holding the sample database.
//
// With --encode OUTDIR, reads lines "NAME press BUTTON [NAME=TEXT ...] ..."
// from standard input and writes each as the script OUTDIR/NAME instead.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "core/utf8.h"
#include "core/window.h"
#include "fuzz/press_script.h"
#include "pages/faults/faults.h"
#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen::fuzz {
namespace {

constexpr std::size_t kMostPresses = 48;
// A press that reaches outside the process (the database lookup starts the
// reader program) costs a thousand others: this many per input.
constexpr int kMostOutsidePresses = 2;

// What sets a page apart from the rule that holds for all: keyed by button.
struct ButtonRules {
  std::string_view button;
  bool reports = false;   // may show input error reports (position and value checks)
  bool database = false;  // may show the database's errors besides conversion errors; reaches outside
  const FaultPage& (*faults)() = nullptr;
};

// Buttons not listed here make checks of their own (they may report) and
// show conversion errors only.
constexpr ButtonRules kRules[] = {
    {"SpeedButton11", false, false, UvpFaultPage}, {"SpeedButton12", false, false, BgFaultPage},
    {"SpeedButton13", false, false, VvkFaultPage}, {"SpeedButton16", false, false, PuuFaultPage},
    {"SpeedButton7", false, false, nullptr},       {"SpeedButton18", false, false, nullptr},
    {"SpeedButton19", false, false, nullptr},      {"SpeedButton20", false, false, nullptr},
    {"SpeedButton21", false, false, nullptr},      {"SpeedButton17", false, true, nullptr},
};

ButtonRules RulesOf(std::string_view button) {
  for (const ButtonRules& rules : kRules) {
    if (rules.button == button) return rules;
  }
  return {button, true, false, nullptr};
}

[[noreturn]] void Fail(const ScriptPress& press, const std::string& what) {
  std::fprintf(stderr, "\n*** page_fuzz: %s on page %s (%s): %s\n", press.button->name.c_str(),
               press.page->sheet.c_str(), press.page->caption.c_str(), what.c_str());
  for (const auto& [box, text] : press.settings)
    std::fprintf(stderr, "    typed %s=%s\n", box->name.c_str(), text.c_str());
  std::abort();
}

void Expect(bool holds, const ScriptPress& press, const std::string& what) {
  if (!holds) Fail(press, what);
}

// Forwards to the model window and notes every control a handler reaches
// that is not on the pressed page.
class WatchedWindow : public Window {
 public:
  WatchedWindow(ModelWindow& model, const PageLayout& page) : model_(model) {
    for (const BoxSpec& box : page.boxes) boxes_.insert(box.name);
    for (const ListSpec& list : page.lists) lists_.insert(list.name);
  }

  std::string Text(std::string_view box) const override {
    Note(boxes_, box, "read box");
    return model_.Text(box);
  }
  void SetText(std::string_view box, std::string_view text) override {
    Note(boxes_, box, "wrote box");
    model_.SetText(box, text);
  }
  void ClearList(std::string_view list) override {
    Note(lists_, list, "cleared list");
    model_.ClearList(list);
  }
  void AppendLine(std::string_view list, std::string_view line) override {
    Note(lists_, list, "appended to list");
    model_.AppendLine(list, line);
  }
  void InputErrorReport(std::string_view text) override { model_.InputErrorReport(text); }
  void ShowError(std::string_view text) override { model_.ShowError(text); }

  const std::string& Stray() const { return stray_; }

 private:
  void Note(const std::set<std::string, std::less<>>& own, std::string_view name, const char* what) const {
    if (stray_.empty() && !own.contains(name))
      stray_ = std::string(what) + " " + std::string(name) + " of another page";
  }

  ModelWindow& model_;
  std::set<std::string, std::less<>> boxes_;
  std::set<std::string, std::less<>> lists_;
  mutable std::string stray_;
};

// The pressed page as it stands: its boxes in page order, its lists, and
// the messages of the last press. The watched window sees every control a
// handler reaches, so the other pages need no snapshot.
struct State {
  std::vector<std::string> boxes;
  std::vector<std::vector<std::string>> lists;
  std::vector<ModelWindow::Message> messages;
  bool operator==(const State&) const = default;
};

State Snapshot(const ModelWindow& window, const PageLayout& page) {
  State state;
  state.boxes.reserve(page.boxes.size());
  for (const BoxSpec& box : page.boxes) state.boxes.push_back(window.Text(box.name));
  for (const ListSpec& list : page.lists) state.lists.push_back(window.Lines(list.name));
  state.messages = window.Messages();
  return state;
}

bool IsConversionErrorText(std::string_view text) {
  constexpr std::string_view kTail = "' is not a valid integer value.";
  return text.size() >= 1 + kTail.size() && text.front() == '\'' && text.ends_with(kTail);
}

// The lines a fault page must list for the bits its rows show now.
std::vector<std::string> ExpectedFaults(const ModelWindow& window, const FaultPage& page) {
  std::vector<std::string> words, masks;
  for (const FaultWordBoxes& word : page.words) {
    std::string check, mask;
    for (const std::string& box : word.check_row) check += window.Text(box);
    if (page.rule == FaultRule::IsOne) {
      mask = std::string(16, '0');
    } else {
      for (const std::string& box : word.mask_row) mask += window.Text(box);
    }
    words.push_back(check);
    masks.push_back(mask);
  }
  return DecodeFaults(words, masks, page.table);
}

void CheckFaultPage(const ModelWindow& window, const ScriptPress& press, const FaultPage& page) {
  for (const BoxSpec& box : press.page->boxes) {
    if (box.role != BoxRole::Output) continue;
    const std::string text = window.Text(box.name);
    Expect(text == "0" || text == "1", press, "bit box " + box.name + " holds '" + text + "'");
  }
  const std::vector<std::string>& lines = window.Lines(page.list);
  // Only texts of the page's table, in table order.
  std::size_t next = 0;
  for (const std::string& line : lines) {
    while (next < page.table.size() && page.table[next].text != line) ++next;
    Expect(next < page.table.size(), press, "line '" + line + "' is not in the table, or out of table order");
    ++next;
  }
  Expect(lines == ExpectedFaults(window, page), press, "the list is not what the bit rows show");
}

// `typed_utf8`: every box of the page held well-formed UTF-8 before the press;
// a database error may quote a typed text, malformed bytes and all.
void CheckMessages(const std::vector<ModelWindow::Message>& messages, const ScriptPress& press,
                   const ButtonRules& rules, bool typed_utf8) {
  for (std::size_t k = 0; k < messages.size(); ++k) {
    const ModelWindow::Message& message = messages[k];
    Expect(!message.text.empty(), press, "an empty message box");
    if (message.kind == ModelWindow::MessageKind::Report) {
      Expect(rules.reports, press, "an input error report on a page that makes no checks: " + message.text);
      Expect(IsValidUtf8(message.text), press, "a report that is not UTF-8");
      continue;
    }
    Expect(k + 1 == messages.size(), press, "a message box after the error box");
    Expect(LastCodePoint(message.text) <= U'.', press,
           "an error box not ending as the full-stop rule says: " + message.text);
    Expect(IsConversionErrorText(message.text) || (rules.database && (!typed_utf8 || IsValidUtf8(message.text))), press,
           "an error box that is no conversion error: " + message.text);
  }
}

// What must hold after one press, given the page just before it.
void CheckPress(const State& before, const State& after, const ModelWindow& window, const ScriptPress& press,
                const WatchedWindow& watched) {
  Expect(watched.Stray().empty(), press, watched.Stray());
  const ButtonRules rules = RulesOf(press.button->name);
  bool typed_utf8 = true;
  for (const std::string& text : before.boxes) typed_utf8 = typed_utf8 && IsValidUtf8(text);
  CheckMessages(after.messages, press, rules, typed_utf8);
  const std::vector<BoxSpec>& boxes = press.page->boxes;
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    const BoxSpec& box = boxes[k];
    const std::string& text = after.boxes[k];
    if (box.read_only()) Expect(text == box.text, press, "read-only box " + box.name + " changed to '" + text + "'");
    if (text == before.boxes[k]) continue;
    // The window's boxes cut a text to their maximum length, so a longer
    // one would show differently there than here.
    Expect(CharCount(text) <= static_cast<std::size_t>(box.max_length), press,
           "box " + box.name + " was given '" + text + "', longer than the box takes");
    Expect(!typed_utf8 || IsValidUtf8(text), press, "box " + box.name + " was given malformed UTF-8");
  }
  for (const std::vector<std::string>& list : after.lists) {
    for (const std::string& line : list)
      Expect(!typed_utf8 || IsValidUtf8(line), press, "a list line that is malformed UTF-8");
  }
  const bool failed = !after.messages.empty() && after.messages.back().kind == ModelWindow::MessageKind::Error;
  if (rules.faults != nullptr && !failed) CheckFaultPage(window, press, rules.faults());
}

State RunPress(ModelWindow& window, const ScriptPress& press, const State& before) {
  window.ClearMessages();
  WatchedWindow watched(window, *press.page);
  Expect(Press(watched, press.button->name), press, "the button is not found");
  State after = Snapshot(window, *press.page);
  CheckPress(before, after, window, press, watched);
  return after;
}

void RunScript(std::span<const std::uint8_t> bytes) {
  ModelWindow window;
  int outside = 0;
  for (const ScriptPress& press : DecodeScript(bytes, kMostPresses)) {
    for (const auto& [box, text] : press.settings) window.SetText(box->name, text);
    if (RulesOf(press.button->name).database && ++outside > kMostOutsidePresses) continue;
    const State first = RunPress(window, press, Snapshot(window, *press.page));
    // Nothing is carried from one press to the next but the boxes and
    // lists, so the same press again shows the same.
    const State second = RunPress(window, press, first);
    Expect(first == second, press, "pressed twice, it shows something else the second time");
  }
}

int Encode(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  std::string line;
  int failures = 0;
  while (std::getline(std::cin, line)) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream words(line);
    std::string name, word;
    std::vector<std::string> args;
    words >> name;
    while (words >> word) args.push_back(word);
    try {
      std::string script;
      for (const PressGroup& group : ParsePressGroups(args)) script += EncodePress(group.button, group.settings);
      std::ofstream(folder / name, std::ios::binary) << script;
    } catch (const std::exception& error) {
      std::cerr << "page_fuzz --encode: " << name << ": " << error.what() << '\n';
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace ostrolen::fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (*argc == 3 && std::string_view((*argv)[1]) == "--encode") std::exit(ostrolen::fuzz::Encode((*argv)[2]));
  // The reader program is a child; libmdb's own leaks there are none of ours.
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ostrolen::fuzz::RunScript({data, size});
  return 0;
}

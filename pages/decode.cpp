#include "pages/decode.h"

#include <set>
#include <string_view>

#include "core/utf8.h"
#include "pages/model_window.h"
#include "pages/pages.h"
#include "pages/session.h"

namespace ostrolen {
namespace {

// A group of boxes as the page shows it: an empty box as "_", a blank where
// the page leaves a gap between the boxes.
std::string ShownText(const ModelWindow& window, std::string_view button) {
  std::string text;
  const BoxSpec* before = nullptr;
  for (const BoxSpec* box : EnterBoxes(button)) {
    if (before != nullptr && (box->y != before->y || box->x - (before->x + before->width) > 4)) text += ' ';
    const std::string value = window.Text(box->name);
    text += value.empty() ? "_" : EscapeField(value);
    before = box;
  }
  return text;
}

// Types the settings in on `window`, as it stands at start, and presses.
DecodeOutcome PressOn(const PageCommand& page, BoxTexts settings, ModelWindow& window) {
  DecodeOutcome outcome;
  outcome.settings = std::move(settings);
  for (const auto& [name, text] : outcome.settings) window.SetText(name, text);
  Press(window, page.button);
  for (const ModelWindow::Message& message : window.Messages()) {
    if (message.kind == ModelWindow::MessageKind::Report) {
      outcome.reports.push_back(message.text);
    } else {
      outcome.error = message.text;
    }
  }
  if (!page.shown.empty()) {
    for (const ShownBoxes& shown : page.shown) {
      SourcedLine line{std::string(shown.label) + ' ' + ShownText(window, shown.boxes_of), {}};
      line.origin.field = static_cast<int>(&shown - page.shown.data());
      outcome.lines.push_back(std::move(line));
    }
  } else if (const ListSpec* list = FindButton(page.button).page->list()) {
    const std::vector<std::string>& lines = window.Lines(list->name);
    const std::vector<LineOrigin>& origins = window.Origins(list->name);
    for (std::size_t i = 0; i < lines.size(); ++i) outcome.lines.push_back({lines[i], origins[i]});
  }
  return outcome;
}

}  // namespace

const std::vector<const PageCommand*>& PageCommands() {
  static const std::vector<const PageCommand*> commands = [] {
    std::vector<const PageCommand*> all;
    for (const PageLayout* page : AllPages()) {
      for (const PageCommand& command : page->commands) all.push_back(&command);
    }
    return all;
  }();
  return commands;
}

std::string_view CommandCaption(const PageCommand& command) {
  const std::string_view what = command.what;
  return what.substr(0, what.find(": "));
}

DecodeOutcome DecodeOn(const PageCommand& page, const std::vector<std::string>& words) {
  BoxTexts settings = TypedBoxes(page, words);
  ModelWindow window;
  return PressOn(page, std::move(settings), window);
}

// The model window that keeps the names of the boxes and lists a press
// wrote, so that it can put back just those: a box to its text at start,
// a list to empty, and no message shown.
class RecordDecoder::Reused : public ModelWindow {
 public:
  void SetText(std::string_view box, std::string_view text) override {
    ModelWindow::SetText(box, text);
    boxes_.emplace(box);
  }
  void ClearList(std::string_view list) override {
    ModelWindow::ClearList(list);
    lists_.emplace(list);
  }
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override {
    ModelWindow::AppendSourcedLine(list, line, origin);
    lists_.emplace(list);
  }

  void Restore() {
    static const ModelWindow start;
    for (const std::string& box : boxes_) ModelWindow::SetText(box, start.Text(box));
    for (const std::string& list : lists_) ModelWindow::ClearList(list);
    boxes_.clear();
    lists_.clear();
    ClearMessages();
  }

 private:
  std::set<std::string, std::less<>> boxes_;
  std::set<std::string, std::less<>> lists_;
};

RecordDecoder::RecordDecoder() : window_(std::make_unique<Reused>()) {}

RecordDecoder::~RecordDecoder() = default;

DecodeOutcome RecordDecoder::Decode(const PageCommand& page, const std::vector<std::string>& words) {
  BoxTexts settings = TypedBoxes(page, words);
  // Put back even when the press throws, so the next record starts afresh.
  struct Restoring {
    Reused& window;
    ~Restoring() { window.Restore(); }
  } restoring{*window_};
  return PressOn(page, std::move(settings), *window_);
}

std::vector<std::string> WordsOfLine(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t\r", at)) != std::string::npos) {
    const std::size_t end = line.find_first_of(" \t\r", at);
    words.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end;
  }
  return words;
}

}  // namespace ostrolen

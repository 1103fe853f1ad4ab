// The pages in the browser: the page tree and layouts as JSON for the page
// script, and a press run on a window whose boxes are the page's inputs.
// A press answers with what it did, in order (boxes written, lists cleared,
// lines appended, message boxes), so that the page shows each message box
// over the page as it stood when the handler showed it.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/layout.h"
#include "core/shell.h"
#include "core/typing.h"
#include "core/window.h"
#include "pages/pages.h"
#include "pages/segments/database.h"
#include "pages/segments/query.h"
#include "pages/segments/segments.h"
#include "web/json.h"

// The text of box `name` as the page shows it; malloc'ed UTF-8.
// clang-format off
EM_JS(char*, ostrolen_page_box_text, (const char* name), {
  const text = Module.boxText(UTF8ToString(name));
  const size = lengthBytesUTF8(text) + 1;
  const buffer = _malloc(size);
  stringToUTF8(text, buffer, size);
  return buffer;
});
// clang-format on

namespace ostrolen::web {
namespace {

// The page's own texts about the database it reads, which a browser page
// must be given: it cannot look into the folder it was opened from.
constexpr std::string_view kChooseDatabase = "Выбрать файл базы…";
constexpr std::string_view kChosenDatabase = "Запрос читает файл ";
// The item of a result list's context menu, as in the window.
constexpr std::string_view kCopyLines = "Копировать";
constexpr std::string_view kSampleDatabase = "Пока файл не выбран, отвечает образец базы данных, а не справочная база";

// The button whose page reads the reference database.
std::string DatabaseButton() {
  for (const PageLayout* page : AllPages()) {
    for (const ButtonSpec& button : page->buttons) {
      if (button.handler == SpeedButton17Click) return button.name;
    }
  }
  return {};
}

const char* Picture(ostrolen::Picture picture) {
  switch (picture) {
    case ostrolen::Picture::ArrowDown: return "arrow-down";
    case ostrolen::Picture::ArrowUp: return "arrow-up";
    case ostrolen::Picture::ArrowRight: return "arrow-right";
    case ostrolen::Picture::Book: return "book";
    case ostrolen::Picture::Disc: return "disc";
    case ostrolen::Picture::None: break;
  }
  return "";
}

const char* Role(BoxRole role) {
  switch (role) {
    case BoxRole::Input: return "input";
    case BoxRole::Output: return "output";
    case BoxRole::Fixed: return "fixed";
  }
  return "";
}

void WritePage(Json& out, const PageLayout& page) {
  out.Open('{');
  out.Key("sheet").String(page.sheet);
  out.Key("caption").String(page.caption);
  out.Key("boxes").Open('[');
  for (std::size_t i = 0; i < page.boxes.size(); ++i) {
    const BoxSpec& box = page.boxes[i];
    const int index = static_cast<int>(i);
    out.Open('{');
    out.Key("name").String(box.name);
    out.Key("x").Number(box.x).Key("y").Number(box.y);
    out.Key("width").Number(box.width).Key("height").Number(box.height);
    out.Key("maxLength").Number(box.max_length);
    out.Key("role").String(Role(box.role));
    out.Key("text").String(box.text);
    // Where the keys lead from this box, by the typing rules.
    out.Key("previous").Number(PreviousInputBox(page, index));
    out.Key("next").Number(NextInputBox(page, index));
    out.Key("nextOfPress").Number(NextBoxOfPress(page, index));
    out.Key("up").Number(RowNeighbour(page, index, -1));
    out.Key("down").Number(RowNeighbour(page, index, 1));
    out.Key("enter").String(EnterButton(page, index));
    out.Close('}');
  }
  out.Close(']');
  out.Key("labels").Open('[');
  for (const LabelSpec& label : page.labels) {
    out.Open('{');
    out.Key("text").String(label.text);
    out.Key("x").Number(label.x).Key("y").Number(label.y);
    out.Key("pixelSize").Number(label.pixel_size).Key("bold").Bool(label.bold);
    out.Key("width").Number(label.width);
    out.Close('}');
  }
  out.Close(']');
  out.Key("lists").Open('[');
  for (const ListSpec& list : page.lists) {
    out.Open('{');
    out.Key("name").String(list.name);
    out.Key("x").Number(list.x).Key("y").Number(list.y);
    out.Key("width").Number(list.width).Key("height").Number(list.height);
    out.Key("pixelSize").Number(list.pixel_size).Key("lineHeight").Number(list.line_height);
    out.Key("bold").Bool(list.bold);
    out.Close('}');
  }
  out.Close(']');
  out.Key("buttons").Open('[');
  for (const ButtonSpec& button : page.buttons) {
    out.Open('{');
    out.Key("name").String(button.name);
    out.Key("caption").String(button.caption);
    out.Key("picture").String(Picture(button.picture));
    out.Key("x").Number(button.x).Key("y").Number(button.y);
    out.Key("width").Number(button.width).Key("height").Number(button.height);
    out.Close('}');
  }
  out.Close(']');
  out.Close('}');
}

void WriteTab(Json& out, const TabNode& node) {
  out.Open('{');
  out.Key("sheet").String(node.sheet);
  out.Key("caption").String(node.caption);
  if (node.page != nullptr) {
    const auto& pages = AllPages();
    int index = 0;
    while (pages[static_cast<std::size_t>(index)] != node.page) ++index;
    out.Key("page").Number(index);
  } else {
    out.Key("control").String(node.control);
    out.Key("initial").Number(node.initial);
    out.Key("children").Open('[');
    for (const TabNode& child : node.children) WriteTab(out, child);
    out.Close(']');
  }
  out.Close('}');
}

std::string LayoutJson() {
  Json out;
  out.Open('{');
  out.Key("shell").Open('{');
  out.Key("caption").String(shell::kWindowCaption);
  out.Key("aboutCommand").String(shell::kAboutCommand);
  out.Key("aboutCaption").String(shell::kAboutCaption);
  out.Key("aboutLine").String(shell::kAboutLine);
  out.Key("aboutLinePixels").Number(shell::kAboutLinePixels);
  out.Key("aboutWidth").Number(shell::kAboutWidth).Key("aboutHeight").Number(shell::kAboutHeight);
  out.Key("reportCaption").String(shell::kReportCaption);
  out.Key("ok").String(shell::kOk);
  out.Key("width").Number(shell::kWindowWidth).Key("height").Number(shell::kWindowHeight);
  out.Key("toolbarHeight").Number(shell::kToolbarHeight);
  out.Key("pageFontPixels").Number(shell::kPageFontPixels);
  out.Key("boxFontPixels").Number(shell::kBoxFontPixels);
  out.Key("fontFamily").String(shell::kFontFamily);
  out.Close('}');
  out.Key("web").Open('{');
  out.Key("databaseButton").String(DatabaseButton());
  out.Key("chooseDatabase").String(kChooseDatabase);
  out.Key("chosenDatabase").String(kChosenDatabase);
  out.Key("sampleDatabase").String(kSampleDatabase);
  out.Key("copyLines").String(kCopyLines);
  out.Close('}');
  out.Key("pages").Open('[');
  for (const PageLayout* page : AllPages()) WritePage(out, *page);
  out.Close(']');
  out.Key("tree");
  WriteTab(out, PageTree());
  out.Close('}');
  return out.Text();
}

// The window of one press: box texts come from the page as the handler
// asks for them; what the handler does is written down in order.
class PageWindow : public Window {
 public:
  std::string Text(std::string_view box) const override {
    if (const auto it = written_.find(box); it != written_.end()) return it->second;
    if (FindBox(box).box == nullptr) throw std::out_of_range("no box named " + std::string(box));
    char* text = ostrolen_page_box_text(std::string(box).c_str());
    std::string copy = text;
    std::free(text);
    return copy;
  }
  void SetText(std::string_view box, std::string_view text) override {
    written_[std::string(box)] = std::string(text);
    Event("box").Key("name").String(box).Key("text").String(text).Close('}');
  }
  void ClearList(std::string_view list) override { Event("clear").Key("list").String(list).Close('}'); }
  void AppendLine(std::string_view list, std::string_view line) override {
    Event("line").Key("list").String(list).Key("text").String(line).Close('}');
  }
  void InputErrorReport(std::string_view text) override { Event("report").Key("text").String(text).Close('}'); }
  void ShowError(std::string_view text) override { Event("error").Key("text").String(text).Close('}'); }

  std::string Journal() {
    events_.Close(']');
    return events_.Text();
  }

 private:
  Json& Event(const char* op) {
    if (!opened_) {
      events_.Open('[');
      opened_ = true;
    }
    events_.Open('{');
    events_.Key("op").String(op);
    return events_;
  }

  std::map<std::string, std::string, std::less<>> written_;
  Json events_;
  bool opened_ = false;

  friend std::string RunPress(std::string_view button);
};

// What the database answers in the next press.
enum class Reading { Record, Answer };
Reading reading = Reading::Answer;
std::string request;                       // the statements a dry run met, as the reader takes them
std::vector<StatementOutcome> prefetched;  // the outcomes the page fetched for them
ReadFailure missing = ReadFailure::ReaderCrashed;

std::vector<StatementOutcome> Answer(const std::string& file, const std::vector<Statement>& statements) {
  std::vector<StatementOutcome> outcomes;
  if (reading == Reading::Record) {
    if (request.empty()) request = EncodeRequest(file, statements);
  } else {
    outcomes = prefetched;
  }
  outcomes.resize(std::min(outcomes.size(), statements.size()));
  while (outcomes.size() < statements.size()) {
    StatementOutcome failed;
    failed.failure = missing;
    failed.name = file;
    outcomes.push_back(std::move(failed));
  }
  return outcomes;
}

std::string RunPress(std::string_view button) {
  PageWindow window;
  if (!Press(window, button)) return "null";
  std::string journal = window.opened_ ? window.Journal() : "[]";
  return journal;
}

std::string result;  // the text handed back to the page, kept until the next call

const char* Hand(std::string text) {
  result = std::move(text);
  return result.c_str();
}

}  // namespace
}  // namespace ostrolen::web

using namespace ostrolen::web;

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* ostrolen_layout() {
  ostrolen::ReferenceDatabase().SetRunner(Answer);
  return Hand(LayoutJson());
}

// Presses `button` with the outcomes set by ostrolen_set_outcomes, if any;
// the journal of the press as JSON, or null for an unknown button.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_press(const char* button) {
  reading = Reading::Answer;
  std::string journal = RunPress(button);
  prefetched.clear();
  missing = ostrolen::ReadFailure::ReaderCrashed;
  return Hand(std::move(journal));
}

// The database request a press of `button` would make with the boxes as
// they are (the press is run and forgotten); empty when it makes none.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_request(const char* button) {
  reading = Reading::Record;
  request.clear();
  RunPress(button);
  reading = Reading::Answer;
  return Hand(std::move(request));
}

// The reader's answer for the next press: `size` bytes of outcomes as the
// reader program writes them; statements left unanswered fail with
// `failure` (the reader crashed or ran out of time).
EMSCRIPTEN_KEEPALIVE void ostrolen_set_outcomes(const char* bytes, int size, int failure, int count) {
  prefetched = ostrolen::DecodeOutcomes(std::string_view(bytes, static_cast<std::size_t>(size)),
                                        static_cast<std::size_t>(count));
  missing = static_cast<ostrolen::ReadFailure>(failure);
}

// The read failures the page reports itself.
EMSCRIPTEN_KEEPALIVE int ostrolen_failure_code(const char* name) {
  const std::string_view n = name;
  if (n == "crashed") return static_cast<int>(ostrolen::ReadFailure::ReaderCrashed);
  if (n == "timed-out") return static_cast<int>(ostrolen::ReadFailure::ReaderTimedOut);
  if (n == "missing") return static_cast<int>(ostrolen::ReadFailure::MissingFile);
  if (n == "unreadable") return static_cast<int>(ostrolen::ReadFailure::Unreadable);
  if (n == "no-access") return static_cast<int>(ostrolen::ReadFailure::NoAccess);
  return static_cast<int>(ostrolen::ReadFailure::ReaderCrashed);
}

// What a paste of `text` into box `index` of page `page` does, as JSON.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_paste(int page, int index, const char* text) {
  const auto& pages = ostrolen::AllPages();
  if (page < 0 || static_cast<std::size_t>(page) >= pages.size()) return Hand("null");
  const ostrolen::PastePlan plan = ostrolen::PlanPaste(*pages[static_cast<std::size_t>(page)], index, text);
  Json out;
  out.Open('{');
  out.Key("plain").Bool(plan.plain);
  out.Key("focus").Number(plan.focus);
  out.Key("writes").Open('[');
  for (const auto& write : plan.writes) {
    out.Open('{').Key("box").Number(write.box).Key("text").String(write.text).Close('}');
  }
  out.Close(']');
  out.Close('}');
  return Hand(out.Text());
}

}  // extern "C"

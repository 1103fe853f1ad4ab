// The pages in the browser: the page tree and layouts as JSON for the page
// script, and a press run on a window whose boxes are the page's inputs.
// A press answers with what it did, in order (boxes written, lists cleared,
// lines appended, message boxes), so that the page shows each message box
// over the page as it stood when the handler showed it.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/accessible.h"
#include "core/code_word.h"
#include "core/explain.h"
#include "core/layout.h"
#include "core/shell.h"
#include "core/typing.h"
#include "core/window.h"
#include "pages/pages.h"
#include "pages/segments/database.h"
#include "pages/segments/query.h"
#include "pages/segments/segments.h"
#include "pages/subscriber/compose.h"
#include "pages/subscriber/fields.h"
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

// The colour of a selected line and of the boxes its bits are in, as in the window.
constexpr std::string_view kExplainColour = "#FFE38C";
// A line's menu and the editor of a number, as in the window.
constexpr std::string_view kEditNumber = "Изменить…";
constexpr std::string_view kFormMenu = "Форма";
constexpr std::string_view kCancel = "Отмена";

const PageLayout* PageOfList(std::string_view list) {
  for (const PageLayout* page : AllPages()) {
    for (const ListSpec& spec : page->lists) {
      if (spec.name == list) return page;
    }
  }
  return nullptr;
}

std::vector<WordKind> WordKinds(const PageLayout& page) {
  std::vector<WordKind> kinds;
  for (const WordSpec& word : page.words) kinds.push_back(word.kind);
  return kinds;
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

// Every control carries the name the window gives it for a screen reader.
void WritePage(Json& out, const PageLayout& page) {
  const std::map<std::string, std::string> names = AccessibleNames(page);
  const auto name_of = [&names](const std::string& control) {
    const auto it = names.find(control);
    return it == names.end() ? control : it->second;
  };
  out.Open('{');
  out.Key("sheet").String(page.sheet);
  out.Key("caption").String(page.caption);
  out.Key("boxes").Open('[');
  for (std::size_t i = 0; i < page.boxes.size(); ++i) {
    const BoxSpec& box = page.boxes[i];
    const int index = static_cast<int>(i);
    out.Open('{');
    out.Key("name").String(box.name);
    out.Key("accessibleName").String(name_of(box.name));
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
    out.Key("accessibleName").String(name_of(list.name));
    out.Key("x").Number(list.x).Key("y").Number(list.y);
    out.Key("width").Number(list.width).Key("height").Number(list.height);
    out.Key("pixelSize").Number(list.pixel_size).Key("lineHeight").Number(list.line_height);
    out.Key("bold").Bool(list.bold);
    out.Key("explains").Bool(!page.words.empty());
    out.Close('}');
  }
  out.Close(']');
  out.Key("buttons").Open('[');
  for (const ButtonSpec& button : page.buttons) {
    out.Open('{');
    out.Key("name").String(button.name);
    out.Key("accessibleName").String(name_of(button.name));
    out.Key("caption").String(button.caption);
    out.Key("picture").String(Picture(button.picture));
    out.Key("x").Number(button.x).Key("y").Number(button.y);
    out.Key("width").Number(button.width).Key("height").Number(button.height);
    out.Close('}');
  }
  out.Close(']');
  // The words a page decodes: the boxes of their positions and bit rows.
  out.Key("words").Open('[');
  for (const WordSpec& word : page.words) {
    out.Open('{');
    out.Key("positions").Open('[');
    for (const std::string& box : word.positions) out.String(box);
    out.Close(']');
    out.Key("bitRows").Open('[');
    for (const auto& row : word.bit_rows) {
      out.Open('[');
      for (const std::string& box : row) out.String(box);
      out.Close(']');
    }
    out.Close(']');
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
  out.Key("explainColour").String(kExplainColour);
  out.Key("cancel").String(kCancel);
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
  // A line with its source: the field it shows, the boxes its bits are in
  // and the tooltip that names them.
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override {
    Json& event = Event("line").Key("list").String(list).Key("text").String(line);
    const PageLayout* page = PageOfList(list);
    if (page != nullptr && !origin.empty()) {
      event.Key("field").Number(origin.field);
      event.Key("tip").String(SourceDescription(origin, WordKinds(*page)));
      event.Key("boxes").Open('[');
      for (const std::string& box : BoxesOfOrigin(*page, origin)) event.String(box);
      event.Close(']');
    }
    event.Close('}');
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
  friend std::string RunEdit(std::string_view list, int field, bool form, std::string_view value);
};

// What the database answers in the next press: the outcomes the page fetched
// for the press's request; statements left unanswered fail with `missing`.
std::vector<StatementOutcome> prefetched;
ReadFailure missing = ReadFailure::ReaderCrashed;

std::vector<StatementOutcome> Answer(const std::string& file, const std::vector<Statement>& statements) {
  std::vector<StatementOutcome> outcomes = prefetched;
  outcomes.resize(std::min(outcomes.size(), statements.size()));
  while (outcomes.size() < statements.size()) outcomes.push_back(Failed(missing, file));
  return outcomes;
}

std::string RunPress(std::string_view button) {
  PageWindow window;
  if (!Press(window, button)) return "null";
  std::string journal = window.opened_ ? window.Journal() : "[]";
  return journal;
}

// The field of line `field` of `list` that composing may set: nothing on a
// page that composes no words, for a line that shows no settable field, or
// when the page's boxes hold no words.
struct LineField {
  const ComposePage* page = nullptr;
  const AhField* field = nullptr;
  std::vector<std::uint16_t> words;
};

std::optional<LineField> FieldOfLine(const Window& window, std::string_view list, int index) {
  const ComposePage* page = ComposePageOfList(list);
  if (page == nullptr || index < 0) return std::nullopt;
  const auto& fields = page->fields->fields;
  if (static_cast<std::size_t>(index) >= fields.size()) return std::nullopt;
  const AhField* field = fields[static_cast<std::size_t>(index)];
  const std::vector<const AhField*> settable = SettableFields(*page->fields);
  if (std::find(settable.begin(), settable.end(), field) == settable.end()) return std::nullopt;
  auto words = WordsOnPage(window, *page);
  if (!words) return std::nullopt;
  return LineField{page, field, std::move(*words)};
}

void WriteChoices(Json& out, const AhField& field, std::uint32_t current) {
  out.Open('[');
  for (const FieldChoice& choice : Choices(field)) {
    out.Open('{');
    out.Key("text").String(choice.text);
    out.Key("value").String(BitsText(field, choice.value));
    out.Key("current").Bool(choice.value == current);
    out.Close('}');
  }
  out.Close(']');
}

// What a line offers besides copying, as JSON: null for nothing, else the
// values of its field (with the other of two as "toggle") or a number's
// editor, and the form menu of a page with two forms.
std::string LineMenu(std::string_view list, int index) {
  PageWindow window;
  const std::optional<LineField> line = FieldOfLine(window, list, index);
  if (!line) return "null";
  const AhField& field = *line->field;
  const std::uint32_t current = GetField(field, line->words);
  Json out;
  out.Open('{');
  if (IsNumeric(field)) {
    out.Key("number").Open('{');
    out.Key("item").String(kEditNumber);
    out.Key("caption").String(FieldName(field));
    out.Key("label").String(FieldName(field) + " (от " + ValueText(field, 0) + " до " +
                            ValueText(field, FieldMax(field)) + "):");
    out.Key("value").String(ValueText(field, current));
    out.Key("ok").String(shell::kOk);
    out.Close('}');
  } else {
    const std::vector<FieldChoice> choices = Choices(field);
    out.Key("choices");
    WriteChoices(out, field, current);
    if (choices.size() == 2) {
      out.Key("toggle").String(BitsText(field, current == choices[0].value ? choices[1].value : choices[0].value));
    }
  }
  if (const AhField* form = FormField(*line->page->fields)) {
    out.Key("form").Open('{');
    out.Key("item").String(kFormMenu);
    out.Key("choices");
    WriteChoices(out, *form, GetField(*form, line->words));
    out.Close('}');
  }
  out.Close('}');
  return out.Text();
}

// Sets the field of a line (or the page's form) to `value` as its line shows
// it or as its bits, writes the words into the boxes and presses the page's
// button; the journal, led by the boxes as they were, or null when the line
// takes no value or the text names none.
std::string RunEdit(std::string_view list, int index, bool form, std::string_view value) {
  PageWindow window;
  const std::optional<LineField> line = FieldOfLine(window, list, index);
  if (!line) return "null";
  const AhField* field = form ? FormField(*line->page->fields) : line->field;
  if (field == nullptr) return "null";
  const std::optional<std::uint32_t> parsed = ParseFieldValue(*field, value);
  if (!parsed) return "null";
  const AhPageControls& controls = line->page->controls;
  Json before;
  before.Open('[');
  for (const std::string& name : EditRange(controls.first, controls.first + 5 * controls.words - 1)) {
    before.Open('[').String(name).String(window.Text(name)).Close(']');
  }
  before.Close(']');
  std::vector<std::uint16_t> words = line->words;
  SetField(*line->page->fields, *field, words, *parsed);
  WriteWords(window, *line->page, words);
  Press(window, line->page->button);
  return "{\"before\":" + before.Text() + ",\"button\":\"" + std::string(line->page->button) +
         "\",\"journal\":" + (window.opened_ ? window.Journal() : "[]") + "}";
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
  std::string journal = RunPress(button);
  prefetched.clear();
  missing = ostrolen::ReadFailure::ReaderCrashed;
  return Hand(std::move(journal));
}

// The database request a press of `button` would make with the boxes as
// they are, on the file the operator chose (`file`, its name; empty: the
// sample), without pressing; empty when it makes none. The press's
// messages name that file.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_request(const char* button, const char* file) {
  const std::string name = *file != '\0' ? file : std::string(ostrolen::kDatabaseFile);
  ostrolen::ReferenceDatabase().SetFile(name);
  PageWindow window;
  const std::vector<ostrolen::Statement> statements = ostrolen::PressStatements(window, button);
  return Hand(statements.empty() ? std::string() : ostrolen::EncodeRequest(name, statements));
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

// What line `field` of `list` offers besides copying; see LineMenu.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_line_menu(const char* list, int field) { return Hand(LineMenu(list, field)); }

// Whether `text` names a value of the field of line `field` of `list`.
EMSCRIPTEN_KEEPALIVE int ostrolen_value_ok(const char* list, int field, const char* text) {
  PageWindow window;
  const auto line = FieldOfLine(window, list, field);
  return line && ostrolen::ParseFieldValue(*line->field, text) ? 1 : 0;
}

// Sets the field of line `field` of `list` (or, with `form`, the page's
// form) to `value` and presses the page's button; see RunEdit.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_edit(const char* list, int field, int form, const char* value) {
  return Hand(RunEdit(list, field, form != 0, value));
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

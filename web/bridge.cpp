// The pages in the browser: the page tree and layouts as JSON for the page
// script, and a press run on a window whose boxes are the page's inputs.
// A press answers with what it did, in order (boxes written, lists cleared,
// lines appended, message boxes), so that the page shows each message box
// over the page as it stood when the handler showed it.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
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
#include "pages/interaction.h"
#include "pages/pages.h"
#include "pages/search/choose.h"
#include "pages/segments/segments.h"
#include "pages/session.h"
#include "pages/subscriber/compose.h"
#include "pages/subscriber/fields.h"
#include "reader/database.h"
#include "reader/query.h"
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

// The button whose page reads the reference database.
std::string DatabaseButton() {
  for (const PageLayout* page : AllPages()) {
    for (const ButtonSpec& button : page->buttons) {
      if (button.handler == SpeedButton17Click) return button.name;
    }
  }
  return {};
}

const PageLayout* PageOfList(std::string_view list) {
  for (const PageLayout* page : AllPages()) {
    for (const ListSpec& spec : page->lists) {
      if (spec.name == list) return page;
    }
  }
  return nullptr;
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
  out.Key("chooseDatabase").String(shell::kChooseDatabase);
  out.Key("chosenDatabase").String(shell::kChosenDatabase);
  out.Key("sampleDatabase").String(shell::kSampleDatabase);
  out.Key("noFileChosen").String(shell::kNoFileChosen);
  out.Key("readingDatabase").String(shell::kReadingDatabase);
  out.Key("copyLines").String(shell::kCopyLines);
  out.Key("explainColour").String(shell::ColourText(shell::kExplainColour));
  out.Key("faceColour").String(shell::ColourText(shell::kWindowFace));
  out.Key("boxColour").String(shell::ColourText(shell::kBoxBackground));
  out.Key("explainFrameColour").String(shell::ColourText(shell::kExplainFrame));
  out.Key("explainFramePixels").Number(shell::kExplainFramePixels);
  out.Key("highlightColour").String(shell::ColourText(shell::kHighlight));
  out.Key("highlightedTextColour").String(shell::ColourText(shell::kHighlightedText));
  out.Key("focusColour").String(shell::ColourText(shell::kFocusFrame));
  out.Key("focusPixels").Number(shell::kFocusFramePixels);
  out.Key("aboutKeys").String(shell::kAboutKeys);
  out.Key("litBoxDescription").String(shell::kLitBoxDescription);
  out.Key("cancel").String(shell::kCancel);
  out.Key("searchPrompt").String(shell::kSearchPrompt);
  out.Key("searchNone").String(shell::kSearchNone);
  out.Key("searchBoxWidth").Number(shell::kSearchBoxWidth);
  out.Key("searchListWidth").Number(shell::kSearchListWidth);
  out.Key("searchListHeight").Number(shell::kSearchListHeight);
  out.Key("searchLineHeight").Number(shell::kSearchLineHeight);
  out.Close('}');
  out.Key("pages").Open('[');
  for (const PageLayout* page : AllPages()) WritePage(out, *page);
  out.Close(']');
  out.Key("tree");
  WriteTab(out, PageTree());
  out.Close('}');
  return out.Text();
}

// The lines each result list shows now, with their sources: every change
// of a list reaches the page through a journal made here.
std::vector<SourcedLine>& Shown(std::string_view list) {
  static std::map<std::string, std::vector<SourcedLine>, std::less<>> lists;
  auto it = lists.find(list);
  if (it == lists.end()) it = lists.emplace(std::string(list), std::vector<SourcedLine>{}).first;
  return it->second;
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
  void ClearList(std::string_view list) override {
    Shown(list).clear();
    Event("clear").Key("list").String(list).Close('}');
  }
  void AppendLine(std::string_view list, std::string_view line) override {
    Shown(list).push_back({std::string(line), {}});
    Event("line").Key("list").String(list).Key("text").String(line).Close('}');
  }
  // A line with its source: the field it shows, the boxes its bits are in
  // and the tooltip that names them.
  void AppendSourcedLine(std::string_view list, std::string_view line, const LineOrigin& origin) override {
    Shown(list).push_back({std::string(line), origin});
    Json& event = Event("line").Key("list").String(list).Key("text").String(line);
    const PageLayout* page = PageOfList(list);
    if (page != nullptr && !origin.empty()) {
      event.Key("field").Number(origin.field);
      event.Key("tip").String(LineTip(*page, origin));
    }
    event.Close('}');
  }
  void InputErrorReport(std::string_view text) override { Event("report").Key("text").String(text).Close('}'); }
  void ShowError(std::string_view text) override { Event("error").Key("text").String(text).Close('}'); }

  std::string JournalOrEmpty() { return opened_ ? Journal() : "[]"; }
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
  friend std::string RunUndo(std::string_view list);
  friend std::string RunChoose(int row);
  friend std::string ChangeJson(const LineChange& change, PageWindow& window);
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

// The session's history, references and marks, kept while the page is open.
Session& TheSession() {
  static Session session;
  return session;
}

std::string RunPress(std::string_view button) {
  PageWindow window;
  if (FindButton(button).button == nullptr) return "null";
  TheSession().Press(window, button);
  std::string journal = window.opened_ ? window.Journal() : "[]";
  return journal;
}

void WriteValues(Json& out, const AhField& field, const std::vector<OfferedValue>& values) {
  out.Open('[');
  for (const OfferedValue& value : values) {
    out.Open('{');
    out.Key("text").String(value.text);
    out.Key("value").String(BitsText(field, value.value));
    out.Key("current").Bool(value.current);
    out.Close('}');
  }
  out.Close(']');
}

const char* ActivationName(Activation activation) {
  switch (activation) {
    case Activation::Toggle: return "toggle";
    case Activation::EditNumber: return "number";
    case Activation::OpenMenu: return "menu";
    case Activation::None: break;
  }
  return "";
}

// What a line offers besides copying, as JSON: null for nothing, else what a
// double click or Enter does, the values of its field (with the other of two
// as "toggle") or a number's editor, and the form menu of a page with two forms.
std::string LineMenu(std::string_view list, int index) {
  PageWindow window;
  const std::optional<LineOffer> offer = OfferOfLine(window, list, index);
  if (!offer) return "null";
  const AhField& field = *offer->field;
  Json out;
  out.Open('{');
  out.Key("activation").String(ActivationName(ActivationOf(offer)));
  if (offer->number) {
    out.Key("number").Open('{');
    out.Key("item").String(shell::kEditNumber);
    out.Key("caption").String(offer->number->caption);
    out.Key("label").String(offer->number->label);
    out.Key("value").String(offer->number->value);
    out.Key("ok").String(shell::kOk);
    out.Close('}');
  } else {
    out.Key("choices");
    WriteValues(out, field, offer->values);
    if (offer->toggle) out.Key("toggle").String(BitsText(field, *offer->toggle));
  }
  if (offer->form != nullptr) {
    out.Key("form").Open('{');
    out.Key("item").String(shell::kFormMenu);
    out.Key("choices");
    WriteValues(out, *offer->form, offer->forms);
    out.Close('}');
  }
  out.Close('}');
  return out.Text();
}

// The changes made from each list's lines, for Ctrl+Z.
std::map<std::string, ChangeHistory, std::less<>> changes;

std::string ChangeJson(const LineChange& change, PageWindow& window) {
  TheSession().Press(window, change.button);
  return "{\"button\":\"" + change.button + "\",\"field\":" + std::to_string(change.line_field) +
         ",\"journal\":" + (window.opened_ ? window.Journal() : "[]") + "}";
}

// Sets the field of a line (or the page's form) to `value` as its line shows
// it or as its bits, writes the words into the boxes and presses the page's
// button; the journal, with the button and the line to choose again, or
// null when the line takes no value or the text names none.
std::string RunEdit(std::string_view list, int index, bool form, std::string_view value) {
  PageWindow window;
  const std::optional<LineOffer> offer = OfferOfLine(window, list, index);
  if (!offer) return "null";
  const AhField* field = form ? offer->form : offer->field;
  if (field == nullptr) return "null";
  const std::optional<std::uint32_t> parsed = ParseFieldValue(*field, value);
  if (!parsed) return "null";
  const std::optional<LineChange> change = ApplyToLine(window, *offer->page, *field, *parsed, offer->line_field);
  if (!change) return "null";
  changes[std::string(list)].Add(*change);
  return ChangeJson(*change, window);
}

// Takes back the last change made from the lines of `list`: the boxes as
// they were, pressed again; null when there is nothing to take back.
std::string RunUndo(std::string_view list) {
  const auto it = changes.find(list);
  if (it == changes.end()) return "null";
  PageWindow window;
  const std::optional<LineChange> change = it->second.Undo(window);
  if (!change) return "null";
  return ChangeJson(*change, window);
}

// The search box: the tables' entries and the chosen database's rows, the
// list last shown and the match last chosen.
SearchIndex search_index;
SearchList search_list;
MatchAction chosen_match;

std::string SearchListJson(std::string_view typed) {
  search_list = ListOf(search_index, typed);
  Json out;
  out.Open('{');
  out.Key("problem").String(search_list.problem);
  out.Key("total").Number(static_cast<int>(search_list.total));
  out.Key("lines").Open('[');
  for (const std::string& line : search_list.lines) out.String(line);
  out.Close(']');
  out.Close('}');
  return out.Text();
}

// Chooses the `row`-th line of the list: its boxes written (the journal),
// the tab sheet to show, the button the page presses then (empty: none)
// and its list; null for no such line. A value's change is kept for Ctrl+Z.
std::string RunChoose(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= search_list.matches.size()) return "null";
  PageWindow window;
  const ChosenMatch chosen = WriteMatch(window, *search_list.matches[static_cast<std::size_t>(row)].entry);
  chosen_match = chosen.action;
  const PageLayout* page = PageOfSheet(chosen.action.sheet);
  const std::string list = page != nullptr && !page->lists.empty() ? page->lists.front().name : std::string();
  if (chosen.change && !list.empty()) changes[list].Add(*chosen.change);
  Json out;
  out.Open('{');
  out.Key("sheet").String(chosen.action.sheet);
  out.Key("button").String(chosen.action.button);
  out.Key("list").String(list);
  out.Key("journal");
  std::string text = out.Text();
  text += window.opened_ ? window.Journal() : "[]";
  return text + "}";
}

// What the worker lists of the database for the search, as JSON: each
// table with its segment's and step's columns and its texts, and the
// failure codes the listing answers with (its records are those of the
// row program, see pages/search/rows.h).
std::string RowsRequest() {
  Json out;
  out.Open('{');
  out.Key("failures").Open('{');
  out.Key("damagedFile").Number(static_cast<int>(ReadFailure::DamagedFile));
  out.Key("missingTable").Number(static_cast<int>(ReadFailure::MissingTable));
  out.Key("damagedTable").Number(static_cast<int>(ReadFailure::DamagedTable));
  out.Key("missingColumn").Number(static_cast<int>(ReadFailure::MissingColumn));
  out.Close('}');
  out.Key("tables").Open('[');
  for (const SearchedTable& table : SearchedTables()) {
    out.Open('{');
    out.Key("table").String(table.table);
    out.Key("segment").String(table.segment);
    out.Key("step").String(table.step);
    out.Key("texts").Open('[');
    for (const std::string_view text : table.texts) out.String(text);
    out.Close(']');
    out.Close('}');
  }
  out.Close(']');
  out.Close('}');
  return out.Text();
}

// The line of `list` the last chosen match selects; -1 for none.
int ChosenLine(std::string_view list) {
  const std::vector<SourcedLine>& shown = Shown(list);
  std::vector<std::string> texts;
  std::vector<const LineOrigin*> origins;
  for (const SourcedLine& line : shown) {
    texts.push_back(line.text);
    origins.push_back(line.origin.empty() ? nullptr : &line.origin);
  }
  return LineOfMatch(chosen_match, texts, origins);
}

// The chosen lines of `list`, from `flags` ("0110": one a line).
std::vector<bool> Chosen(std::string_view flags) {
  std::vector<bool> chosen;
  for (const char c : flags) chosen.push_back(c == '1');
  return chosen;
}

// A press made by the session: {"button", "journal"}, or {"error"}.
std::string SessionPress(const std::function<std::optional<std::string>(Window&)>& run, std::string_view button) {
  PageWindow window;
  const std::optional<std::string> error = run(window);
  Json out;
  out.Open('{');
  if (error) {
    out.Key("error").String(*error).Close('}');
    return out.Text();
  }
  return "{\"button\":\"" + std::string(button) + "\",\"journal\":" + window.JournalOrEmpty() + "}";
}

std::string ButtonOfEntry(int number) {
  const ostrolen::HistoryEntry* entry = TheSession().history().Find(number);
  const ostrolen::PageCommand* command = entry == nullptr ? nullptr : ostrolen::FindPageCommand(entry->page);
  return command == nullptr ? std::string() : std::string(command->button);
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

// Whether `text` names a value of the number of line `field` of `list`.
EMSCRIPTEN_KEEPALIVE int ostrolen_value_ok(const char* list, int field, const char* text) {
  PageWindow window;
  const auto offer = ostrolen::OfferOfLine(window, list, field);
  return offer && ostrolen::EditedNumber(*offer, text) ? 1 : 0;
}

// Sets the field of line `field` of `list` (or, with `form`, the page's
// form) to `value` and presses the page's button; see RunEdit.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_edit(const char* list, int field, int form, const char* value) {
  return Hand(RunEdit(list, field, form != 0, value));
}

// Ctrl+Z on `list`; see RunUndo.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_undo(const char* list) { return Hand(RunUndo(list)); }

// The boxes lit while the lines of `list` marked "1" in `flags` are chosen, as JSON.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_lit(const char* list, const char* flags) {
  const ostrolen::PageLayout* page = PageOfList(list);
  const std::vector<ostrolen::SourcedLine>& lines = Shown(list);
  const std::vector<bool> chosen = Chosen(flags);
  std::vector<const ostrolen::LineOrigin*> origins;
  for (std::size_t i = 0; i < lines.size() && i < chosen.size(); ++i) {
    if (chosen[i]) origins.push_back(&lines[i].origin);
  }
  Json out;
  out.Open('[');
  if (page != nullptr) {
    for (const std::string& box : ostrolen::LitBoxes(*page, origins)) out.String(box);
  }
  out.Close(']');
  return Hand(out.Text());
}

// The text a copy of `list` gives with the lines marked "1" in `flags` chosen.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_copy(const char* list, const char* flags) {
  std::vector<std::string> texts;
  for (const ostrolen::SourcedLine& line : Shown(list)) texts.push_back(line.text);
  return Hand(ostrolen::CopiedText(texts, Chosen(flags)));
}

// The application's title from the page's file name; the window's caption
// for a page that has none (opened as a folder's index).
EMSCRIPTEN_KEEPALIVE const char* ostrolen_title(const char* file_name) {
  std::string title = ostrolen::shell::ApplicationTitle(file_name);
  return Hand(title.empty() ? std::string(ostrolen::shell::kWindowCaption) : std::move(title));
}

// What a key in box `index` of page `page` does, as JSON: whether the rules
// take it, and the actions in order. `code` names the key as the typing rules
// do; `modifiers` is Shift 1, Ctrl 2, Alt 4, Meta 8.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_key(int page, int index, const char* code, const char* text, int modifiers,
                                              const char* value, int caret, int selection) {
  const auto& pages = ostrolen::AllPages();
  if (page < 0 || static_cast<std::size_t>(page) >= pages.size()) return Hand("null");
  using Code = ostrolen::Key::Code;
  static const std::map<std::string, Code, std::less<>> kCodes = {
      {"character", Code::Character}, {"enter", Code::Enter}, {"backspace", Code::Backspace}, {"left", Code::Left},
      {"right", Code::Right},         {"up", Code::Up},       {"down", Code::Down},           {"paste", Code::Paste}};
  ostrolen::Key key;
  const auto it = kCodes.find(std::string_view(code));
  key.code = it == kCodes.end() ? Code::Other : it->second;
  key.text = text;
  key.shift = (modifiers & 1) != 0;
  key.ctrl = (modifiers & 2) != 0;
  key.alt = (modifiers & 4) != 0;
  key.meta = (modifiers & 8) != 0;
  const ostrolen::KeyOutcome outcome =
      ostrolen::KeyInBox(*pages[static_cast<std::size_t>(page)], index, {value, caret, selection != 0}, key);
  static constexpr const char* kKinds[] = {"write", "erase", "focus", "press", "forget"};
  static constexpr const char* kCarets[] = {"all", "start", "end"};
  Json out;
  out.Open('{');
  out.Key("handled").Bool(outcome.handled);
  out.Key("actions").Open('[');
  for (const ostrolen::KeyAction& action : outcome.actions) {
    out.Open('{');
    out.Key("kind").String(kKinds[static_cast<int>(action.kind)]);
    out.Key("box").Number(action.box);
    out.Key("text").String(action.text);
    out.Key("caret").String(kCarets[static_cast<int>(action.caret)]);
    out.Key("button").String(action.button);
    out.Close('}');
  }
  out.Close(']');
  out.Close('}');
  return Hand(out.Text());
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

// The list under the search box for `typed`, as JSON: the problem line
// (empty: none), how many matched, the lines shown.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_search(const char* typed) { return Hand(SearchListJson(typed)); }

// The rows of the chosen database, as the row lister writes them
// (`answer`) from the file named `file` (empty: the sample); the search
// looks through them until the next file.
EMSCRIPTEN_KEEPALIVE void ostrolen_search_rows(const char* answer, const char* file) {
  search_index.SetRows(ostrolen::ParseRowAnswer(answer, *file != '\0' ? file : std::string(ostrolen::kDatabaseFile)));
}

// The request that has the worker list the database's rows (RowsRequest).
EMSCRIPTEN_KEEPALIVE const char* ostrolen_rows_request() { return Hand(RowsRequest()); }

// Chooses line `row` of the list last shown (see RunChoose).
EMSCRIPTEN_KEEPALIVE const char* ostrolen_choose(int row) { return Hand(RunChoose(row)); }

// The line of `list` to select after the chosen match's press; -1 for none.
EMSCRIPTEN_KEEPALIVE int ostrolen_chosen_line(const char* list) { return ChosenLine(list); }

// ---- The session: history, reference and marks, address, report.

// The texts and colours of the session's commands and marks.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_session_texts() {
  using namespace ostrolen;
  Json out;
  out.Open('{');
  out.Key("keep").String(shell::kKeepReference).Key("keepKey").String(shell::kKeepReferenceKey);
  out.Key("history").String(shell::kHistoryCommand).Key("historyKey").String(shell::kHistoryKey);
  out.Key("save").String(shell::kSaveHistory).Key("saveKey").String(shell::kSaveHistoryKey);
  out.Key("caption").String(shell::kHistoryCaption).Key("choose").String(shell::kChooseEntry);
  out.Key("compare").String(shell::kCompareEntries).Key("fileName").String(shell::kHistoryFileName);
  out.Key("close").String(shell::kCancel).Key("goneWord").String(ChangeDescription(Change::Gone));
  out.Key("colours").Open('{');
  for (const Change change : {Change::Same, Change::Changed, Change::Added, Change::Gone}) {
    out.Key(std::string(1, static_cast<char>(change))).String(shell::ColourText(MarkColour(change)));
  }
  out.Close('}');
  out.Close('}');
  return Hand(out.Text());
}

// The marks of the lines the last press showed in `list`, as JSON:
// [{"mark", "text", "old", "description"}]; null when it was not compared.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_marks(const char* list) {
  using namespace ostrolen;
  const std::vector<ComparedLine>* marks = TheSession().Marks(list);
  if (marks == nullptr) return Hand("null");
  Json out;
  out.Open('[');
  for (const ComparedLine& line : *marks) {
    out.Open('{');
    out.Key("mark").String(std::string(1, static_cast<char>(line.change)));
    out.Key("text").String(line.text);
    out.Key("old").String(OldValueText(line));
    out.Key("description").String(MarkDescription(line));
    out.Close('}');
  }
  out.Close(']');
  return Hand(out.Text());
}

// Keeps the latest result of the page of `list` as its reference: "1", or
// "0" when that page was not pressed yet.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_keep(const char* list) {
  const ostrolen::PageCommand* command = ostrolen::Session::CommandOfList(list);
  return command != nullptr && TheSession().KeepReference(command->name) ? "1" : "0";
}

// The history, newest first: [{"number", "title", "page"}].
EMSCRIPTEN_KEEPALIVE const char* ostrolen_history() {
  Json out;
  out.Open('[');
  for (const ostrolen::HistoryEntry* entry : TheSession().history().Newest()) {
    out.Open('{').Key("number").Number(entry->number).Key("title").String(ostrolen::EntryTitle(*entry));
    out.Key("page").String(entry->page).Close('}');
  }
  out.Close(']');
  return Hand(out.Text());
}

// Entry `number`'s words back on its page, pressed.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_choose_entry(int number) {
  const std::string button = ButtonOfEntry(number);
  if (button.empty()) return Hand("null");
  return Hand(SessionPress(
      [number](ostrolen::Window& window) -> std::optional<std::string> {
        TheSession().Choose(window, number);
        return std::nullopt;
      },
      button));
}

// Entry `newer` chosen again, marked against entry `older`.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_compare_entries(int older, int newer) {
  const std::string button = ButtonOfEntry(newer);
  if (button.empty() || ButtonOfEntry(older) != button) return Hand("null");
  return Hand(SessionPress(
      [older, newer](ostrolen::Window& window) -> std::optional<std::string> {
        TheSession().CompareEntries(window, older, newer);
        return std::nullopt;
      },
      button));
}

// The page and words of an address ("#sko=271A6") typed in and pressed.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_open(const char* text) {
  const std::optional<ostrolen::Address> address = ostrolen::ParseAddress(text);
  const ostrolen::PageCommand* command = address ? ostrolen::FindPageCommand(address->page) : nullptr;
  if (command == nullptr) return Hand("null");
  return Hand(
      SessionPress([&](ostrolen::Window& window) { return TheSession().Open(window, *address); }, command->button));
}

// PAGE=WORDS of the latest press; empty before the first.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_address() { return Hand(TheSession().LastAddress().value_or("")); }

// ---- Replays (docs/replay.md): the same clock and answers as the other editions'.

// The session's clock from now on: 2026-01-01 00:00:00 UTC, one second more at
// each press, as the replays of the window and the command line set it.
// Gives "1" (the page's calls all give a text).
EMSCRIPTEN_KEEPALIVE const char* ostrolen_set_replay_clock() {
  auto next = std::make_shared<std::chrono::system_clock::time_point>(std::chrono::sys_days(
      std::chrono::year_month_day(std::chrono::year(2026), std::chrono::month(1), std::chrono::day(1))));
  TheSession().SetClock([next] {
    *next += std::chrono::seconds(1);
    return *next;
  });
  return "1";
}

// The tab sheet of the page a command of ostrolen-cli decode opens ("sko");
// empty for no such command.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_page_of_command(const char* name) {
  const ostrolen::PageCommand* command = ostrolen::FindPageCommand(name);
  const ostrolen::PageLayout* page = command == nullptr ? nullptr : ostrolen::FindButton(command->button).page;
  return Hand(page == nullptr ? std::string() : std::string(page->sheet));
}

// Whether Ctrl+Z on `list` takes a change back: "1" or "0".
EMSCRIPTEN_KEEPALIVE const char* ostrolen_can_undo(const char* list) {
  const auto it = changes.find(std::string_view(list));
  return it != changes.end() && !it->second.Empty() ? "1" : "0";
}

// The history as a report: HTML when `html`, else plain text.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_report(int html) {
  return Hand(html != 0 ? TheSession().history().ReportHtml() : TheSession().history().ReportText());
}

}  // extern "C"

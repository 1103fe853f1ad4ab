// The pages in the browser: the page tree, layouts and texts as JSON for the
// page script, and one call that hands the interaction controller an intent
// and gives back its effects (ui/wire.h). The page script only draws them.
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
#include "ui/controller.h"
#include "ui/json.h"
#include "ui/print.h"
#include "ui/wire.h"

namespace ostrolen::web {
namespace {

using ui::Json;

// The button whose page reads the reference database.
std::string DatabaseButton() {
  for (const PageLayout* page : AllPages()) {
    for (const ButtonSpec& button : page->buttons) {
      if (ReadsDatabase(button)) return button.name;
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
    // Where the keys lead from this box by the typing rules, for scripts that check the page.
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

// The texts and colours of the session's commands and marks.
void WriteSessionTexts(Json& out) {
  out.Open('{');
  out.Key("keep").String(shell::kKeepReference).Key("keepKey").String(shell::kKeepReferenceKey);
  out.Key("history").String(shell::kHistoryCommand).Key("historyKey").String(shell::kHistoryKey);
  out.Key("save").String(shell::kSaveHistory).Key("saveKey").String(shell::kSaveHistoryKey);
  out.Key("caption").String(shell::kHistoryCaption).Key("choose").String(shell::kChooseEntry);
  out.Key("compare").String(shell::kCompareEntries).Key("fileName").String(shell::kHistoryFileName);
  out.Key("close").String(shell::kCancel);
  out.Key("print").String(ui::print_text::kCommand).Key("printKey").String(ui::print_text::kKey);
  out.Close('}');
}

// The "Вид" menu's texts; a browser zooms by itself, so the zoom's are left out.
void WriteDeskTexts(Json& out) {
  namespace text = ui::desk_text;
  out.Open('{');
  out.Key("menu").String(text::kMenu).Key("dark").String(text::kDark);
  out.Key("followDesktop").String(text::kFollowDesktop).Key("onTop").String(text::kOnTop);
  out.Key("compact").String(text::kCompact).Key("compactKey").String(text::kCompactKey);
  out.Close('}');
}

// The table of records: its texts, the pages it offers and the formats it writes.
void WriteTableTexts(Json& out) {
  namespace text = ui::table_text;
  out.Open('{');
  out.Key("caption").String(text::kCaption).Key("command").String(text::kCommand).Key("key").String(text::kKey);
  out.Key("page").String(text::kPage).Key("input").String(text::kInput).Key("openFile").String(text::kOpenFile);
  out.Key("build").String(text::kBuild).Key("stop").String(text::kStop).Key("filter").String(text::kFilter);
  out.Key("filterTip").String(text::kFilterTip).Key("copy").String(text::kCopy).Key("openRow").String(text::kOpenRow);
  out.Key("close").String(text::kClose);
  out.Key("pages").Open('[');
  for (const ui::TablePage& page : ui::TablePages()) {
    out.Open('{').Key("name").String(page.command->name).Key("caption").String(page.caption).Close('}');
  }
  out.Close(']');
  out.Key("formats").Open('[');
  for (const ui::TableFormatSpec& format : ui::kTableFormats) {
    out.Open('{').Key("name").String(format.name).Key("button").String(format.button);
    out.Key("extension").String(format.extension).Key("type").String(format.type).Close('}');
  }
  out.Close(']');
  out.Close('}');
}

// What the worker lists of the database for the search: each table with its
// segment's and step's columns and its texts, and the failure codes the
// listing answers with (its records are those of the row program, see
// pages/search/rows.h).
void WriteRowsRequest(Json& out) {
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
}

std::string LayoutJson(std::string_view file_name) {
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
  out.Key("explainFrameColour").String(shell::ColourText(shell::kExplainFrame));
  out.Key("explainFramePixels").Number(shell::kExplainFramePixels);
  out.Key("focusPixels").Number(shell::kFocusFramePixels);
  // Each look's colours, by the names of the page's style variables.
  out.Key("looks").Open('{');
  for (const shell::Look look : {shell::Look::Light, shell::Look::Dark}) {
    const shell::LookColours& c = shell::ColoursOf(look);
    out.Key(ui::LookName(look)).Open('{');
    const std::pair<const char*, shell::Colour> colours[] = {
        {"face", c.face},
        {"box", c.box},
        {"explain", c.explain},
        {"explain-frame", c.explain_frame},
        {"text", c.text},
        {"highlight", c.highlight},
        {"highlighted-text", c.highlighted_text},
        {"focus", c.focus_frame},
        {"mark-same", MarkColour(Change::Same, c)},
        {"mark-changed", MarkColour(Change::Changed, c)},
        {"mark-added", MarkColour(Change::Added, c)},
        {"mark-gone", MarkColour(Change::Gone, c)},
        {"gone-line", c.gone},
        {"quiet", c.quiet},
        {"menu", c.menu},
        {"heading", c.heading},
        {"disabled", c.disabled},
        {"light", c.light},
        {"shadow", c.shadow},
        {"dark", c.dark},
        {"border", c.border},
        {"around", c.around},
        {"warning", c.warning},
        {"caption-end", c.caption_end},
    };
    for (const auto& [name, colour] : colours) out.Key(name).String(shell::ColourText(colour));
    out.Close('}');
  }
  out.Close('}');
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
  // The application's title from the page's file name; the window's caption
  // for a page that has none (opened as a folder's index).
  const std::string title = shell::ApplicationTitle(file_name);
  out.Key("title").String(title.empty() ? std::string(shell::kWindowCaption) : title);
  out.Key("session");
  WriteSessionTexts(out);
  out.Key("table");
  WriteTableTexts(out);
  out.Key("desk");
  WriteDeskTexts(out);
  out.Key("rowsRequest");
  WriteRowsRequest(out);
  // The page each command of ostrolen-cli decode opens, by its tab sheet.
  out.Key("commands").Open('{');
  for (const PageLayout* page : AllPages()) {
    for (const PageCommand& command : page->commands) {
      const PageLayout* opened = FindButton(command.button).page;
      if (opened != nullptr) out.Key(command.name).String(opened->sheet);
    }
  }
  out.Close('}');
  out.Close('}');
  return out.Text();
}

// Statements the page has not read for a press fail as a crashed reader's.
std::vector<StatementOutcome> Unread(const std::string& file, const std::vector<Statement>& statements) {
  return std::vector<StatementOutcome>(statements.size(), Failed(ReadFailure::ReaderCrashed, file));
}

// The page's controller: Ctrl+Plus, Ctrl+Minus and Ctrl+0 are the browser's zoom.
ui::Controller::Options PageOptions() {
  ui::Controller::Options options;
  options.zoom_keys = false;
  return options;
}

ui::Wire& TheWire() {
  static ui::Controller controller(PageOptions());
  static ui::Wire wire(controller);
  return wire;
}

std::string result;  // the text handed back to the page, kept until the next call

const char* Hand(std::string text) {
  result = std::move(text);
  return result.c_str();
}

}  // namespace
}  // namespace ostrolen::web

extern "C" {

// The page tree, the layouts and the texts; `file_name` is the page's own
// file name, which names the application.
EMSCRIPTEN_KEEPALIVE const char* ostrolen_layout(const char* file_name) {
  ostrolen::ReferenceDatabase().SetRunner(ostrolen::web::Unread);
  return ostrolen::web::Hand(ostrolen::web::LayoutJson(file_name));
}

// An intent for the controller, with the `size` bytes of a reading's answer
// or of the database's rows where it has them; its effects (ui/wire.h).
EMSCRIPTEN_KEEPALIVE const char* ostrolen_intent(const char* intent, const char* bytes, int size) {
  const std::string_view data =
      bytes == nullptr || size <= 0 ? std::string_view() : std::string_view(bytes, static_cast<std::size_t>(size));
  return ostrolen::web::Hand(ostrolen::web::TheWire().Handle(intent, data));
}

}  // extern "C"

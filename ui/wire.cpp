#include "ui/wire.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/code_word.h"
#include "core/history.h"
#include "core/layout.h"
#include "core/utf8.h"
#include "pages/interaction.h"
#include "pages/pages.h"
#include "pages/search/rows.h"
#include "reader/database.h"
#include "reader/query.h"
#include "ui/json.h"
#include "ui/print.h"

namespace ostrolen::ui {
namespace {

// ---- Reading an intent: one JSON object whose values are texts, numbers,
// true, false, null or arrays of numbers.

struct Value {
  enum class Type { Null, Bool, Number, Text, Numbers } type = Type::Null;
  bool flag = false;
  long long number = 0;
  std::string text;
  std::vector<int> numbers;
};

class Reader {
 public:
  explicit Reader(std::string_view json) : json_(json) {}

  std::map<std::string, Value, std::less<>> Object() {
    std::map<std::string, Value, std::less<>> fields;
    Expect('{');
    if (Peek() == '}') {
      ++at_;
    } else {
      for (;;) {
        std::string key = Text();
        Expect(':');
        fields[key] = Any();
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect('}');
        break;
      }
    }
    if (Peek() != '\0') throw std::invalid_argument("text after the object");
    return fields;
  }

 private:
  char Peek() {
    while (at_ < json_.size() &&
           (json_[at_] == ' ' || json_[at_] == '\n' || json_[at_] == '\r' || json_[at_] == '\t')) {
      ++at_;
    }
    return at_ < json_.size() ? json_[at_] : '\0';
  }
  void Expect(char c) {
    if (Peek() != c) throw std::invalid_argument(std::string("expected '") + c + "'");
    ++at_;
  }
  bool Word(std::string_view word) {
    if (json_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }
  Value Any() {
    Value value;
    const char c = Peek();
    if (c == '"') {
      value.type = Value::Type::Text;
      value.text = Text();
    } else if (c == '[') {
      ++at_;
      value.type = Value::Type::Numbers;
      if (Peek() == ']') {
        ++at_;
        return value;
      }
      for (;;) {
        value.numbers.push_back(static_cast<int>(Number()));
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect(']');
        break;
      }
    } else if (Word("true")) {
      value.type = Value::Type::Bool;
      value.flag = true;
    } else if (Word("false")) {
      value.type = Value::Type::Bool;
    } else if (Word("null")) {
      value.type = Value::Type::Null;
    } else {
      value.type = Value::Type::Number;
      value.number = Number();
    }
    return value;
  }
  long long Number() {
    Peek();
    const bool negative = at_ < json_.size() && json_[at_] == '-';
    if (negative) ++at_;
    if (at_ >= json_.size() || json_[at_] < '0' || json_[at_] > '9') throw std::invalid_argument("expected a number");
    long long number = 0;
    while (at_ < json_.size() && json_[at_] >= '0' && json_[at_] <= '9') {
      if (number > 1'000'000'000'000LL) throw std::invalid_argument("a number too large");
      number = number * 10 + (json_[at_++] - '0');
    }
    return negative ? -number : number;
  }
  unsigned Hex4() {
    if (at_ + 4 > json_.size()) throw std::invalid_argument("a short \\u escape");
    unsigned code = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = HexDigitValue(json_[at_++]);
      if (digit < 0) throw std::invalid_argument("a bad \\u escape");
      code = code * 16 + static_cast<unsigned>(digit);
    }
    return code;
  }
  std::string Text() {
    Expect('"');
    std::string text;
    for (;;) {
      if (at_ >= json_.size()) throw std::invalid_argument("an unended text");
      const char c = json_[at_++];
      if (c == '"') return text;
      if (c != '\\') {
        text += c;
        continue;
      }
      if (at_ >= json_.size()) throw std::invalid_argument("an unended escape");
      const char kind = json_[at_++];
      switch (kind) {
        case '"':
        case '\\':
        case '/': text += kind; break;
        case 'b': text += '\b'; break;
        case 'f': text += '\f'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'u': {
          unsigned code = Hex4();
          if (code >= 0xD800 && code < 0xDC00 && json_.substr(at_, 2) == "\\u") {
            const std::size_t back = at_;
            at_ += 2;
            const unsigned low = Hex4();
            if (low >= 0xDC00 && low < 0xE000) {
              code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else {
              at_ = back;
            }
          }
          // A lone surrogate stands for the character that cannot be shown.
          if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
          AppendUtf8(text, code);
          break;
        }
        default: throw std::invalid_argument("a bad escape");
      }
    }
  }
  static void AppendUtf8(std::string& text, unsigned code) {
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      text += static_cast<char>(0xE0 | (code >> 12));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (code >> 18));
      text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string_view json_;
  std::size_t at_ = 0;
};

using Fields = std::map<std::string, Value, std::less<>>;

std::string TextOf(const Fields& fields, std::string_view key) {
  const auto it = fields.find(key);
  return it != fields.end() && it->second.type == Value::Type::Text ? it->second.text : std::string();
}
int NumberOf(const Fields& fields, std::string_view key, int fallback = -1) {
  const auto it = fields.find(key);
  if (it == fields.end() || it->second.type != Value::Type::Number) return fallback;
  return static_cast<int>(std::clamp<long long>(it->second.number, -1'000'000'000, 1'000'000'000));
}
bool FlagOf(const Fields& fields, std::string_view key) {
  const auto it = fields.find(key);
  return it != fields.end() && it->second.type == Value::Type::Bool && it->second.flag;
}
std::vector<int> NumbersOf(const Fields& fields, std::string_view key) {
  const auto it = fields.find(key);
  return it != fields.end() && it->second.type == Value::Type::Numbers ? it->second.numbers : std::vector<int>{};
}
bool Has(const Fields& fields, std::string_view key) { return fields.find(key) != fields.end(); }

// The keys by the names the front end gives them.
const std::map<std::string, Key::Code, std::less<>>& KeyCodes() {
  using Code = Key::Code;
  static const std::map<std::string, Code, std::less<>> codes = {{"character", Code::Character},
                                                                 {"enter", Code::Enter},
                                                                 {"backspace", Code::Backspace},
                                                                 {"delete", Code::Delete},
                                                                 {"left", Code::Left},
                                                                 {"right", Code::Right},
                                                                 {"up", Code::Up},
                                                                 {"down", Code::Down},
                                                                 {"home", Code::Home},
                                                                 {"end", Code::End},
                                                                 {"pageUp", Code::PageUp},
                                                                 {"pageDown", Code::PageDown},
                                                                 {"escape", Code::Escape},
                                                                 {"tab", Code::Tab},
                                                                 {"menu", Code::Menu},
                                                                 {"paste", Code::Paste},
                                                                 {"other", Code::Other}};
  return codes;
}

// A key as the front end sends it: code, text, shift, ctrl, alt, meta.
Key KeyOfFields(const Fields& in) {
  Key key;
  const auto code = KeyCodes().find(TextOf(in, "code"));
  key.code = code == KeyCodes().end() ? Key::Code::Other : code->second;
  key.text = TextOf(in, "text");
  key.shift = FlagOf(in, "shift");
  key.ctrl = FlagOf(in, "ctrl");
  key.alt = FlagOf(in, "alt");
  key.meta = FlagOf(in, "meta");
  return key;
}

// The read failures a front end names itself.
ReadFailure FailureNamed(std::string_view name) {
  if (name == "timed-out") return ReadFailure::ReaderTimedOut;
  if (name == "missing") return ReadFailure::MissingFile;
  if (name == "unreadable") return ReadFailure::Unreadable;
  if (name == "no-access") return ReadFailure::NoAccess;
  if (name == "cancelled") return ReadFailure::Cancelled;
  return ReadFailure::ReaderCrashed;
}

// ---- Writing the effects.

void WriteLit(Json& out, const Controller& controller, const std::string& name) {
  const List& list = controller.ListOf(name);
  out.Key("current").Number(list.current);
  out.Key("lit").Open('[');
  for (const std::string& box : controller.LitOf(name)) out.String(box);
  out.Close(']');
  // What a screen reader says of a lit box: the one chosen line.
  std::string description;
  int chosen = 0;
  for (const Line& line : list.lines) {
    if (!line.selected) continue;
    ++chosen;
    description = LitBoxDescription(line.text);
  }
  out.Key("litDescription").String(chosen == 1 ? description : std::string());
}

void WriteLines(Json& out, const Controller& controller, const std::string& name) {
  out.Key("lines").Open('[');
  for (const Line& line : controller.ListOf(name).lines) {
    out.Open('{');
    out.Key("text").String(line.text);
    out.Key("mark").String(line.mark == 0 ? std::string() : std::string(1, line.mark));
    out.Key("old").String(line.old);
    out.Key("tip").String(line.tip);
    out.Key("description").String(line.description);
    out.Key("gone").Bool(line.gone);
    out.Key("selected").Bool(line.selected);
    out.Close('}');
  }
  out.Close(']');
  WriteLit(out, controller, name);
}

void WriteSelection(Json& out, const Controller& controller, const std::string& name) {
  out.Key("selected").Open('[');
  for (const Line& line : controller.ListOf(name).lines) out.Bool(line.selected);
  out.Close(']');
  WriteLit(out, controller, name);
}

void WriteTabs(Json& out, const Controller& controller) {
  out.Key("tabs").Open('{');
  std::vector<const TabNode*> sets = {&PageTree()};
  while (!sets.empty()) {
    const TabNode* node = sets.back();
    sets.pop_back();
    out.Key(node->control).Number(controller.TabOf(node->control));
    for (const TabNode& child : node->children) {
      if (child.page == nullptr) sets.push_back(&child);
    }
  }
  out.Close('}');
}

void WriteMenu(Json& out, const Menu& menu) {
  out.Key("open").Bool(menu.open);
  out.Key("list").String(menu.list);
  out.Key("line").Number(menu.line);
  out.Key("active").Number(menu.active);
  out.Key("items").Open('[');
  for (const MenuItem& item : menu.items) {
    out.Open('{');
    out.Key("text").String(item.text);
    out.Key("depth").Number(item.depth);
    out.Key("checked").Number(item.checked);
    out.Key("separator").Bool(item.separator_before);
    out.Key("submenu").Bool(item.act == MenuItem::Act::Submenu);
    out.Close('}');
  }
  out.Close(']');
}

void WriteHistory(Json& out, const HistoryView& view) {
  out.Key("open").Bool(view.open);
  out.Key("current").Number(view.current);
  out.Key("canChoose").Bool(view.can_choose);
  out.Key("canCompare").Bool(view.can_compare);
  out.Key("entries").Open('[');
  for (const HistoryEntryView& entry : view.entries) {
    out.Open('{');
    out.Key("number").Number(entry.number);
    out.Key("title").String(entry.title);
    out.Key("tip").String(entry.tip);
    out.Key("selected").Bool(entry.selected);
    out.Close('}');
  }
  out.Close(']');
}

void WriteSearch(Json& out, const SearchView& view) {
  out.Key("text").String(view.text);
  out.Key("open").Bool(view.open);
  out.Key("problem").String(view.shown.problem);
  out.Key("current").Number(view.current);
  out.Key("total").Number(static_cast<long long>(view.shown.total));
  out.Key("lines").Open('[');
  for (const std::string& line : view.shown.lines) out.String(line);
  out.Close(']');
}

void WriteDesk(Json& out, const Desk& desk) {
  out.Key("zoom").Number(desk.zoom).Key("look").String(std::string(LookName(desk.Shown())));
  out.Key("chosenLook").String(std::string(LookName(desk.chosen))).Key("followDesktop").Bool(desk.follow_desktop);
  out.Key("onTop").Bool(desk.on_top).Key("compact").Bool(desk.compact);
}

// The chosen rows (positions among the shown rows) and the current one.
void WriteTableChoice(Json& out, const TableState& table) {
  out.Key("chosen").Open('[');
  for (std::size_t i = 0; i < table.chosen.size(); ++i) {
    if (table.chosen[i]) out.Number(static_cast<long long>(i));
  }
  out.Close(']');
  out.Key("current").Number(table.current);
}

void WriteTable(Json& out, const TableState& table) {
  out.Key("open").Bool(table.open).Key("page").Number(table.page);
  out.Key("filter").String(table.filter).Key("counts").String(table.Counts());
  out.Key("building").Bool(table.building).Key("reading").Bool(table.reading);
  out.Key("done").Number(static_cast<long long>(table.done)).Key("total").Number(static_cast<long long>(table.total));
  out.Key("hasTable").Bool(table.table != nullptr).Key("shown").Number(static_cast<long long>(table.Shown()));
  out.Key("columns").Open('[');
  if (table.table) {
    for (const Column& column : table.table->columns()) out.String(column.name);
  }
  out.Close(']');
  out.Key("sort").Number(table.sort_column ? static_cast<long long>(*table.sort_column) : -1);
  out.Key("descending").Bool(table.descending);
  WriteTableChoice(out, table);
}

const char* KindName(Effect::Kind kind) {
  using Kind = Effect::Kind;
  switch (kind) {
    case Kind::Box: return "box";
    case Kind::ClearList: return "clear";
    case Kind::AddLine: return "line";
    case Kind::Lines: return "lines";
    case Kind::Selection: return "selection";
    case Kind::Focus: return "focus";
    case Kind::Page: return "page";
    case Kind::Menu: return "menu";
    case Kind::Editor: return "editor";
    case Kind::History: return "history";
    case Kind::Search: return "search";
    case Kind::Message: return "message";
    case Kind::Read: return "read";
    case Kind::Clipboard: return "clipboard";
    case Kind::SaveReport: return "saveReport";
    case Kind::Address: return "address";
    case Kind::CancelReading: return "cancelReading";
    case Kind::ReadingEnded: return "readingEnded";
    case Kind::Table: return "table";
    case Kind::TableChoice: return "tableChoice";
    case Kind::SaveTable: return "saveTable";
    case Kind::Desk: return "desk";
    case Kind::Print: return "print";
  }
  return "";
}

}  // namespace

// Intents ("do"), with their fields:
//   key {code, text, shift, ctrl, alt, meta; at, caret, anchor: where the
//       focus and the caret are as the key lands}, paste {text; at, caret, anchor},
//   focusOn {control}, focused {control, caret, anchor}, clickBox {control,
//   caret, anchor}, boxEdited {control, text, caret, anchor}, linesChosen
//   {control, rows, current}, clickLine {line, shift, ctrl}, doubleClickLine
//   {line}, menuOnLine {line}, press {button}, showPage {sheet, onTabs},
//   chooseMenuItem {index}, choose {text}, find {text}, searchEdited {text},
//   chooseMatch {index}, closeSearch, keepReference, openHistory,
//   closeHistory, chooseEntry, compareEntries, saveHistory, print, editorOk,
//   editorCancel, editorEdited {text}, copyLines, open {address},
//   readingAnswered {failure; the reader's answer as bytes}, searchRows {the
//   row lister's answer as bytes}, database {file}, readAhead {button},
//   replayClock, start (the page in front and the focus, as the window starts);
//   the window on the desk: desk {zoom, chosenLook, followDesktop, onTop,
//   compact} (as kept), desktopLook {look: light, dark or empty}, zoom
//   {direction}, chooseLook {look}, followDesktop {follow}, onTop {on},
//   compact {on};
//   the table of records: openTable, closeTable, tablePage {index},
//   tableBuild {text} or {source; the file's bytes}, tableStep {count},
//   tableStop, tableFilter {text}, tableSort {column}, tableClick {row,
//   shift, ctrl}, tableRowsInView {rows}, tableOpenRow {row}, tableCopy,
//   tableExport {format}, tableKey {as key}, tableRows {first, count}
//   (answered with a tableRows effect: the cells of those shown rows).
std::string Wire::Handle(std::string_view json, std::string_view bytes) {
  Fields in;
  try {
    in = Reader(json).Object();
  } catch (const std::invalid_argument& error) {
    Json out;
    out.Open('{').Key("error").String(std::string("an intent that cannot be read: ") + error.what()).Close('}');
    return out.Text();
  }
  const std::string what = TextOf(in, "do");
  const std::string file = file_.empty() ? std::string(kDatabaseFile) : file_;
  Controller& c = controller_;
  // Where the focus and the caret are as a key lands, when the front end says.
  const auto arrive = [&] {
    if (!Has(in, "at")) return;
    const std::string at = TextOf(in, "at");
    const int caret = NumberOf(in, "caret");
    if (caret >= 0 || c.FocusNow().control != at) c.Focused(at, caret, NumberOf(in, "anchor"));
  };
  bool handled = true;
  std::string extra;  // an effect the wire adds itself
  if (what == "key") {
    arrive();
    handled = c.KeyIn(KeyOfFields(in));
  } else if (what == "paste") {
    arrive();
    handled = c.Paste(TextOf(in, "text"));
  } else if (what == "focusOn") {
    handled = c.FocusOn(TextOf(in, "control"));
  } else if (what == "focused") {
    c.Focused(TextOf(in, "control"), NumberOf(in, "caret"), NumberOf(in, "anchor"));
  } else if (what == "clickBox") {
    c.ClickBox(TextOf(in, "control"), NumberOf(in, "caret"), NumberOf(in, "anchor"));
  } else if (what == "boxEdited") {
    c.BoxEdited(TextOf(in, "control"), TextOf(in, "text"), NumberOf(in, "caret"), NumberOf(in, "anchor"));
  } else if (what == "linesChosen") {
    c.LinesChosen(TextOf(in, "control"), NumbersOf(in, "rows"), NumberOf(in, "current"));
  } else if (what == "clickLine") {
    handled = c.ClickLine(NumberOf(in, "line"), FlagOf(in, "shift"), FlagOf(in, "ctrl"));
  } else if (what == "doubleClickLine") {
    handled = c.DoubleClickLine(NumberOf(in, "line"));
  } else if (what == "menuOnLine") {
    handled = c.MenuOnLine(NumberOf(in, "line"));
  } else if (what == "press") {
    handled = c.Press(TextOf(in, "button"));
  } else if (what == "showPage") {
    handled = c.ShowPage(TextOf(in, "sheet"), FlagOf(in, "onTabs"));
  } else if (what == "chooseMenuItem") {
    handled = c.ChooseMenuItem(NumberOf(in, "index"));
  } else if (what == "choose") {
    handled = c.Choose(TextOf(in, "text"));
  } else if (what == "find") {
    c.Find(TextOf(in, "text"));
  } else if (what == "searchEdited") {
    c.SearchEdited(TextOf(in, "text"));
  } else if (what == "chooseMatch") {
    handled = c.ChooseMatch(NumberOf(in, "index"));
  } else if (what == "closeSearch") {
    c.CloseSearch();
  } else if (what == "keepReference") {
    c.KeepReference();
  } else if (what == "openHistory") {
    c.OpenHistory();
  } else if (what == "closeHistory") {
    c.CloseHistory();
  } else if (what == "chooseEntry") {
    handled = c.ChooseEntry();
  } else if (what == "compareEntries") {
    handled = c.CompareEntries();
  } else if (what == "saveHistory") {
    c.SaveHistory();
  } else if (what == "print") {
    c.Print();
  } else if (what == "editorOk") {
    handled = c.EditorOk();
  } else if (what == "editorCancel") {
    c.EditorCancel();
  } else if (what == "editorEdited") {
    handled = c.EditorEdited(TextOf(in, "text"));
  } else if (what == "copyLines") {
    handled = c.CopyLines();
  } else if (what == "open") {
    const std::optional<Address> address = ParseAddress(TextOf(in, "address"));
    handled = address && !c.Open(*address);
  } else if (what == "readingAnswered") {
    std::vector<StatementOutcome> outcomes = DecodeOutcomes(bytes, asked_);
    const ReadFailure failure = FailureNamed(TextOf(in, "failure"));
    while (outcomes.size() < asked_) outcomes.push_back(Failed(failure, file));
    outcomes.resize(asked_);
    c.ReadingAnswered(std::move(outcomes));
  } else if (what == "searchRows") {
    c.SetSearchRows(ParseRowAnswer(bytes, file));
  } else if (what == "database") {
    file_ = TextOf(in, "file");
    ReferenceDatabase().SetFile(file_.empty() ? std::string(kDatabaseFile) : file_);
  } else if (what == "readAhead") {
    const std::vector<Statement> statements = c.StatementsOf(TextOf(in, "button"));
    if (!statements.empty()) {
      Json effect;
      effect.Open('{').Key("kind").String("readAhead").Key("request").String(EncodeRequest(file, statements));
      effect.Close('}');
      extra = effect.Text();
    }
  } else if (what == "desk") {
    // As kept from the last visit: any field missing or not understood stays as it is.
    Desk desk = c.DeskNow();
    if (Has(in, "zoom")) desk.zoom = NumberOf(in, "zoom", desk.zoom);
    if (const std::optional<Look> look = LookNamed(TextOf(in, "chosenLook"))) desk.chosen = *look;
    if (Has(in, "followDesktop")) desk.follow_desktop = FlagOf(in, "followDesktop");
    if (Has(in, "onTop")) desk.on_top = FlagOf(in, "onTop");
    if (Has(in, "compact")) desk.compact = FlagOf(in, "compact");
    c.SetDesk(desk);
  } else if (what == "desktopLook") {
    c.DesktopLook(LookNamed(TextOf(in, "look")));
  } else if (what == "zoom") {
    handled = c.Zoom(NumberOf(in, "direction"));
  } else if (what == "chooseLook") {
    if (const std::optional<Look> look = LookNamed(TextOf(in, "look"))) c.ChooseLook(*look);
  } else if (what == "followDesktop") {
    c.FollowDesktop(FlagOf(in, "follow"));
  } else if (what == "onTop") {
    c.SetOnTop(FlagOf(in, "on"));
  } else if (what == "compact") {
    c.SetCompact(FlagOf(in, "on"));
  } else if (what == "openTable") {
    c.OpenTable();
  } else if (what == "closeTable") {
    c.CloseTable();
  } else if (what == "tablePage") {
    handled = c.TableChoosePage(NumberOf(in, "index"));
  } else if (what == "tableBuild") {
    // A file's bytes as they are, or the text typed.
    if (Has(in, "source")) {
      c.TableBuild(bytes, TextOf(in, "source"));
    } else {
      c.TableBuild(TextOf(in, "text"));
    }
  } else if (what == "tableStep") {
    handled = c.TableStep(static_cast<std::size_t>(std::max(1, NumberOf(in, "count", 500))));
  } else if (what == "tableStop") {
    c.TableStop();
  } else if (what == "tableFilter") {
    c.TableFilter(TextOf(in, "text"));
  } else if (what == "tableSort") {
    handled = c.TableSort(NumberOf(in, "column"));
  } else if (what == "tableClick") {
    handled = c.TableClick(NumberOf(in, "row"), FlagOf(in, "shift"), FlagOf(in, "ctrl"));
  } else if (what == "tableRowsInView") {
    c.TableRowsInView(NumberOf(in, "rows"));
  } else if (what == "tableOpenRow") {
    handled = c.TableOpenRow(NumberOf(in, "row"));
  } else if (what == "tableCopy") {
    handled = c.TableCopy();
  } else if (what == "tableExport") {
    handled = c.TableExport(TextOf(in, "format"));
  } else if (what == "tableKey") {
    handled = c.KeyInTable(KeyOfFields(in));
  } else if (what == "tableRows") {
    // The cells of the shown rows first .. first + count - 1, for drawing.
    const int first = std::max(0, NumberOf(in, "first", 0));
    const int count = std::clamp(NumberOf(in, "count", 0), 0, 1000);
    Json effect;
    effect.Open('{').Key("kind").String("tableRows").Key("first").Number(first).Key("rows").Open('[');
    for (int row = first; row < first + count && static_cast<std::size_t>(row) < c.TableNow().Shown(); ++row) {
      effect.Open('[');
      for (const std::string& cell : c.TableCells(static_cast<std::size_t>(row))) effect.String(cell);
      effect.Close(']');
    }
    effect.Close(']').Close('}');
    extra = effect.Text();
  } else if (what == "start") {
    // Nothing to do: the page in front and the focus are drawn as they stand.
  } else if (what == "replayClock") {
    c.session().SetClock(ReplayClock());
  } else {
    Json out;
    out.Open('{').Key("error").String("no intent named '" + what + "'").Close('}');
    return out.Text();
  }

  Json out;
  out.Open('{');
  out.Key("handled").Bool(handled);
  out.Key("idle").Bool(c.Idle());
  out.Key("undo").Open('{');
  for (const PageLayout* page : AllPages()) {
    for (const ListSpec& list : page->lists) out.Key(list.name).Bool(c.CanUndo(list.name));
  }
  out.Close('}');
  out.Key("effects").Open('[');
  std::vector<Effect> effects = c.TakeEffects();
  if (what == "start") {
    effects.push_back(Effect{Effect::Kind::Page, {}, {}, {}});
    effects.push_back(Effect{Effect::Kind::Focus, {}, {}, {}});
  }
  for (const Effect& effect : effects) {
    out.Open('{');
    out.Key("kind").String(KindName(effect.kind));
    using Kind = Effect::Kind;
    switch (effect.kind) {
      case Kind::Box:
      case Kind::AddLine:
      case Kind::Message:
        out.Key("name").String(effect.name);
        out.Key("text").String(effect.text);
        break;
      case Kind::ClearList: out.Key("name").String(effect.name); break;
      case Kind::Lines:
        out.Key("name").String(effect.name);
        WriteLines(out, c, effect.name);
        break;
      case Kind::Selection:
        out.Key("name").String(effect.name);
        WriteSelection(out, c, effect.name);
        break;
      case Kind::Focus:
        out.Key("control").String(c.FocusNow().control);
        out.Key("caret").Number(c.FocusNow().caret);
        out.Key("anchor").Number(c.FocusNow().anchor);
        break;
      case Kind::Page:
        out.Key("sheet").String(c.Front().sheet);
        WriteTabs(out, c);
        break;
      case Kind::Menu: WriteMenu(out, c.MenuNow()); break;
      case Kind::Editor: {
        const Editor& editor = c.EditorNow();
        out.Key("open").Bool(editor.open).Key("list").String(editor.list);
        out.Key("caption").String(editor.caption).Key("label").String(editor.label);
        out.Key("text").String(editor.text).Key("ok").Bool(editor.ok);
        break;
      }
      case Kind::History: WriteHistory(out, c.History()); break;
      case Kind::Search: WriteSearch(out, c.Search()); break;
      case Kind::Read:
        asked_ = effect.statements.size();
        out.Key("button").String(effect.name);
        out.Key("request").String(EncodeRequest(file, effect.statements));
        break;
      case Kind::Clipboard:
      case Kind::Address: out.Key("text").String(effect.text); break;
      case Kind::SaveReport:
        out.Key("text").String(c.session().history().ReportText());
        out.Key("html").String(c.session().history().ReportHtml());
        break;
      case Kind::Table: WriteTable(out, c.TableNow()); break;
      case Kind::TableChoice: WriteTableChoice(out, c.TableNow()); break;
      case Kind::SaveTable:
        out.Key("name").String(effect.name);
        out.Key("text").String(effect.text);
        break;
      case Kind::Desk: WriteDesk(out, c.DeskNow()); break;
      case Kind::Print:
        // The browser page takes the document's body into a container of its own.
        out.Key("title").String(effect.name);
        out.Key("body").String(BodyOf(effect.text));
        break;
      case Kind::CancelReading:
      case Kind::ReadingEnded: break;
    }
    out.Close('}');
  }
  if (!extra.empty()) {
    // The added effect, written as it stands.
    std::string text = out.Text();
    text += text.back() == '[' ? extra : "," + extra;
    return text + "]}";
  }
  out.Close(']');
  out.Close('}');
  return out.Text();
}

}  // namespace ostrolen::ui

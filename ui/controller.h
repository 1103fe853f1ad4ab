// What the operator does around a press, decided once for every front end.
// The controller holds the whole state of the window: the page in front,
// every box with its caret, the result lists with their lines, marks and
// selection, one undo stack per list, the open menu, the number editor, the
// search box and its matches, the history view, and the session itself. A
// front end sends it what the operator did (an intent: a key, a click on a
// line, a menu choice, a button, the answer of a database reading) and
// carries out what comes back (effects: write a box, redraw a list, move
// the focus, show a message box, read the database, ...). Neither the Qt
// window nor the browser page decides a rule of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"
#include "core/history.h"
#include "core/layout.h"
#include "core/typing.h"
#include "pages/interaction.h"
#include "pages/model_window.h"
#include "pages/search/choose.h"
#include "pages/search/rows.h"
#include "pages/session.h"
#include "reader/query.h"
#include "ui/desk.h"
#include "ui/table_view.h"

namespace ostrolen::ui {

// The controls that are no page's own, by the names every front end gives them.
inline constexpr std::string_view kSearchBox = "SearchBox";
inline constexpr std::string_view kSearchList = "SearchList";
inline constexpr std::string_view kEditorBox = "NumberEditorValue";
inline constexpr std::string_view kHistoryList = "HistoryEntries";

// One line of a result list as every front end draws it.
struct Line {
  std::string text;
  LineOrigin origin;
  char mark = 0;            // 0: not compared; '=', '~', '+', '-'
  std::string old;          // a changed line: "было: ..." beside it
  std::string tip;          // the tooltip: its bits, then the mark in words
  std::string description;  // what a screen reader adds: the mark in words
  bool gone = false;        // a line of the reference that is gone: shown, never chosen
  bool selected = false;
};

struct List {
  std::vector<Line> lines;
  int current = -1;  // the line the arrows move from
  int anchor = -1;   // where a Shift range starts
};

struct MenuItem {
  enum class Act { Value, Form, EditNumber, Copy, Submenu };
  int depth = 0;
  int checked = -1;  // -1: not a checkable item
  std::string text;
  Act act = Act::Copy;
  std::uint32_t value = 0;
  bool separator_before = false;
};

struct Menu {
  bool open = false;
  std::string list;
  int line = -1;  // -1: the list's menu without a line
  int field = -1;
  std::vector<MenuItem> items;
  int active = -1;
};

struct Editor {
  bool open = false;
  std::string list;
  int field = -1;
  std::string caption;
  std::string label;
  std::string text;
  bool ok = false;
};

struct HistoryEntryView {
  int number = 0;
  std::string title;
  std::string page;
  std::string tip;  // its lines
  bool selected = false;
};

struct HistoryView {
  bool open = false;
  std::vector<HistoryEntryView> entries;  // newest first
  int current = -1;
  bool can_choose = false;
  bool can_compare = false;
};

struct SearchView {
  std::string text;
  bool open = false;
  SearchList shown;
  int current = -1;  // the marked match
};

// Where the keys go: a control by name, with the caret and the anchor of
// the selection in code points for a control that holds text (else -1).
struct Focus {
  std::string control;
  int caret = -1;
  int anchor = -1;
};

// What a front end carries out, in order.
struct Effect {
  enum class Kind {
    Box,            // box `name` now holds `text`
    ClearList,      // list `name` was emptied (while a press runs)
    AddLine,        // list `name` got the line `text` (while a press runs)
    Lines,          // list `name`: draw its lines, marks and selection anew
    Selection,      // list `name`: its selection, current line and lit boxes changed
    Focus,          // the focus (and caret) moved
    Page,           // another page is in front
    Menu,           // the menu opened, closed or moved its active item
    Editor,         // the number editor opened, closed or changed
    History,        // the history view opened, closed or changed
    Search,         // the search box or its list changed
    Message,        // a message box: `kind` "report" or "error", `text`
    Read,           // read the database for `statements`, then ReadingAnswered
    Clipboard,      // the clipboard now holds `text`
    SaveReport,     // let the operator save the history's report
    Address,        // the address of the latest decode is now `text`
    CancelReading,  // the operator ends the reading under way (Escape)
    ReadingEnded,   // the reading asked for is answered: its progress goes
    Table,          // the table of records opened, closed or changed
    Desk,           // the zoom, the look, on top or the compact view changed
    TableChoice,    // only the table's chosen rows and its current row changed
    SaveTable,      // let the operator save `text` as the file `name` (a table written out)
    Print,          // let the operator print the HTML document `text`, titled `name`
  };
  Kind kind = Kind::Box;
  std::string name;
  std::string text;
  std::vector<Statement> statements;
};

struct Printout;  // ui/print.h

// The session's clock in a replay: 2026-01-01 00:00:00 UTC, one second more at each call.
Session::Clock ReplayClock();

class Controller {
 public:
  struct Options {
    Session::Clock clock;  // empty: the system's
    // The database's rows for the search, asked for each time its list is
    // made: a listing newer than the last one given, or nullptr. Empty: the
    // rows come by SetSearchRows only.
    std::function<const RowListing*()> rows;
    // Ctrl+Plus, Ctrl+Minus and Ctrl+0 zoom the window; a browser keeps
    // them for its own zoom.
    bool zoom_keys = true;
  };
  Controller();
  explicit Controller(Options options);
  ~Controller();
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // ---- Intents.
  // A key to whatever has the focus (or to the window: Ctrl+R, Ctrl+H,
  // Ctrl+S, Ctrl+B, Ctrl+F, Ctrl+P). False when nothing took it.
  bool KeyIn(const Key& key);
  // A paste of `text` into whatever has the focus.
  bool Paste(const std::string& text);
  // Puts the focus on `control` (a box, a list, a button, the search box)
  // with the caret at the end; false for a control not on the page in front.
  bool FocusOn(std::string_view control);
  // A click into a box, the caret where the toolkit put it.
  void ClickBox(std::string_view box, int caret, int anchor);
  // A box changed by the toolkit itself (a drag, an input method).
  void BoxEdited(std::string_view box, const std::string& text, int caret, int anchor);
  // The toolkit moved the focus itself (a click into a control): to
  // `control`, with its caret (-1 for a control without text).
  void Focused(std::string_view control, int caret, int anchor);
  // The toolkit chose lines of `list` itself.
  void LinesChosen(std::string_view name, const std::vector<int>& rows, int current);
  // A click, a double click or the context menu on line `line` of the list
  // in front (the history's when it is open); -1: on no line. False when
  // there is no such line or list.
  bool ClickLine(int line, bool shift = false, bool ctrl = false);
  bool DoubleClickLine(int line);
  bool MenuOnLine(int line);
  // What a double click does to line `line` of `list`, on whichever page it
  // is; false when the line offers nothing.
  bool ActivateLine(std::string_view list, int line);
  // Whether line `line` of `list` offers a change with the boxes as they are.
  bool Offers(std::string_view list, int line) const;
  // A page button's click; false for a button no page has, or while a
  // menu, the editor or the history is open.
  bool Press(std::string_view button);
  // Brings the page of `sheet` to the front, as a click on its tab does:
  // the focus goes to the page's first control. Chosen with the keys on the
  // tabs (`on_tabs`), the focus stays there, with the toolkit.
  bool ShowPage(std::string_view sheet, bool on_tabs = false);
  // An item of the open menu, the editor's buttons, an entry or button of
  // the history view, a line of the search list: by index in the menu, or
  // by exact text (the first that matches). False when not offered.
  bool ChooseMenuItem(int index);
  bool Choose(std::string_view text);
  // The search box's text, as typed; the list follows it.
  void Find(const std::string& text);
  bool ChooseMatch(int match);
  void CloseSearch();
  // The search box's text changed by the toolkit itself (its clear button).
  void SearchEdited(const std::string& text);
  // The editor's text changed by the toolkit itself; false when the editor
  // does not take it (the text stays as it was).
  bool EditorEdited(const std::string& text);
  // The toolbar's commands.
  void KeepReference();
  void OpenHistory();
  void CloseHistory();
  bool ChooseEntry();
  bool CompareEntries();
  void SaveHistory();
  // Prints the page in front, or the session's report while the history is open.
  void Print();
  // The document a print gives now.
  Printout PrintoutNow() const;
  // The number editor's buttons.
  bool EditorOk();
  void EditorCancel();
  // The answer of the reading a Read effect asked for.
  void ReadingAnswered(std::vector<StatementOutcome> outcomes);
  // The database's rows for the search (the browser page lists them itself).
  void SetSearchRows(const RowListing& listing);
  // Opens an address (a page and its words), as a command line or the
  // browser's address does; the message of a usage error otherwise.
  std::optional<std::string> Open(const Address& address);
  // Copies the lines of the list in front (its chosen lines, else all).
  bool CopyLines();

  // ---- The window on the desk (ui/desk.h).
  const Desk& DeskNow() const { return desk_; }
  // As kept from the last time (a zoom taken to its step).
  void SetDesk(const Desk& desk);
  // What the front end can tell of the desktop: its look, if any, and the
  // largest zoom step the screen holds.
  void DesktopLook(std::optional<Look> look);
  void LargestZoom(int zoom);
  // One step larger (+1) or smaller (-1), or the window's own size (0).
  bool Zoom(int direction);
  void ChooseLook(Look look);
  void FollowDesktop(bool follow);
  void SetOnTop(bool on_top);
  void SetCompact(bool compact);

  // ---- The table of many records (the toolbar's command, Ctrl+B).
  void OpenTable();
  void CloseTable();
  // The page whose records the table decodes, by its place in TablePages().
  bool TableChoosePage(int index);
  // The records to decode: the text typed or pasted, or the bytes of a file
  // named `source`. They are decoded by TableStep, a batch at a time.
  void TableBuild(std::string_view bytes, std::string source = {});
  // Decodes up to `count` more records; true while some are left. On a page
  // that reads the database, the next records' lookups are read first, all
  // at once: the step asks for them (a Read effect) and decodes once they
  // are answered; while the table is reading, a step does nothing.
  bool TableStep(std::size_t count);
  // Stops the decoding; the rows decoded so far stay.
  void TableStop();
  void TableFilter(std::string_view text);
  // A heading clicked: the rows ordered by its column, clicked again the other way round.
  bool TableSort(int column);
  // A row clicked (a position among the shown rows), as a list's line is:
  // alone, with Shift the rows from the anchor, with Ctrl added or taken away.
  bool TableClick(int shown, bool shift = false, bool ctrl = false);
  // How many rows the front end's view shows at once (the step of Page Up and Page Down).
  void TableRowsInView(int rows);
  // Closes the table and opens the row at `shown` on its page, decoded.
  bool TableOpenRow(int shown);
  // The chosen rows to the clipboard, as TSV.
  bool TableCopy();
  // The shown rows written out in a format of kTableFormats, to be saved.
  bool TableExport(std::string_view format);
  // A key in the table: Enter opens the current row, Ctrl+C copies the
  // chosen ones, Escape stops the decoding or closes the table.
  bool KeyInTable(const Key& key);
  // The cells of the row at `shown`, in column order.
  std::vector<std::string> TableCells(std::size_t shown) const;
  const TableState& TableNow() const { return table_; }

  // ---- What the front ends draw.
  std::vector<Effect> TakeEffects();
  bool Idle() const { return !reading_; }

  const PageLayout& Front() const { return *front_; }
  std::string Text(std::string_view box) const;
  const List& ListOf(std::string_view list) const;
  // The boxes the selected line of `list` lights (one line chosen), and
  // those of the list in front.
  std::vector<std::string> LitOf(std::string_view list) const;
  std::vector<std::string> LitBoxes() const;
  const Focus& FocusNow() const { return focus_; }
  const Menu& MenuNow() const { return menu_; }
  const Editor& EditorNow() const { return editor_; }
  const HistoryView& History() const { return history_; }
  const SearchView& Search() const { return search_; }
  bool CanUndo(std::string_view list) const;
  // What a press of `button` would read with the boxes as they are (the
  // browser reads it ahead, so that the first lookup need not wait).
  std::vector<Statement> StatementsOf(std::string_view button) const;
  std::string Address() const { return session_.LastAddress().value_or(""); }
  const std::string& Clipboard() const { return clipboard_; }
  // The current child of each tab set, by its control name.
  int TabOf(std::string_view control) const;
  Session& session() { return session_; }

 private:
  class Model;
  struct Pending;

  void Emit(Effect::Kind kind, std::string name = {}, std::string text = {});
  void SetFocus(const std::string& control, int caret, int anchor);
  void FocusBox(int index, Caret caret);
  void BringToFront(const PageLayout& page);
  const ListSpec* FrontList() const;
  List& MutableList(std::string_view list);
  void ForgetLine(const PageLayout& page);
  void Select(const std::string& name, int line, bool shift, bool ctrl);
  void SelectField(const std::string& name, int field);
  void Redraw(const std::string& name);
  std::optional<LineOffer> OfferOf(const std::string& name, int line) const;
  void Activate(const std::string& name, int line);
  void OpenMenu(const std::string& name, int line);
  void CloseMenu();
  void RunMenuItem(int index);
  void OpenEditor(const std::string& name, int line);
  void CloseEditor();
  bool SetField(const std::string& name, int line, const AhField& field, std::uint32_t value);
  bool Undo(const std::string& name);
  void RefreshHistory();
  // Closes the history and puts entry `number`'s words back on its page,
  // then `press` (once the database has answered, on the segments' page).
  bool BackOnPage(int number, std::function<void()> press);
  void RefreshSearch();
  // Runs `press` (which presses `button` on the model, perhaps after
  // writing boxes) once the database has answered the statements a press
  // of `button` makes with the boxes as they are now.
  void WhenRead(std::string_view button, std::function<void()> press, std::function<void()> then);
  void Ask(std::unique_ptr<Pending> pending);
  // Asks for the statements of many presses at once: `press` runs while the
  // outcomes answer every press among them, `cancelled` if the operator
  // ended the reading.
  void AskMany(std::string_view button, std::vector<Statement> statements, std::function<void()> press,
               std::function<void()> cancelled);
  void DecodeTableRows(std::size_t count);
  void EndTableReading();
  void ChangeDesk(const Desk& desk);
  void Pressed(std::string_view button);
  void AfterPress(std::string_view button);
  bool KeyInBox(int index, const Key& key);
  bool KeyInText(std::string& text, int& caret, int& anchor, int max_length, const Key& key,
                 const std::function<bool(const std::string&)>& accept);
  bool KeyInList(const std::string& name, const Key& key);
  bool KeyInMenu(const Key& key);
  bool KeyInEditor(const Key& key);
  bool KeyInHistory(const Key& key);
  bool KeyInSearch(const Key& key);
  bool WindowKey(const Key& key);
  // Moves the focus through the page's controls; false when it leaves the page.
  bool Tab(bool back);

  Options options_;
  std::unique_ptr<Model> model_holder_;
  Model& model_;
  Session session_;
  const PageLayout* front_ = nullptr;
  std::map<std::string, int, std::less<>> tabs_;  // tab set -> current child
  std::map<std::string, List, std::less<>> lists_;
  std::map<std::string, ChangeHistory, std::less<>> undo_;
  Focus focus_;
  Focus before_dialog_;
  Menu menu_;
  Editor editor_;
  HistoryView history_;
  SearchView search_;
  TableState table_;
  Desk desk_;
  int largest_zoom_ = kZoomSteps.back();
  SearchIndex index_;
  const RowListing* listed_ = nullptr;
  std::string clipboard_;
  std::string address_;
  std::unique_ptr<Pending> reading_;
  std::vector<Effect> effects_;
};

}  // namespace ostrolen::ui

// A replay: a script of operator actions run through an edition's own event
// handling, and the dumps of what the window then shows. Every edition reads
// the same scripts and writes its dumps with the same records, so that the
// outputs of the window, the browser page and the command line can be
// compared byte for byte. The format is described in docs/replay.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/typing.h"
#include "ui/controller.h"

namespace ostrolen::ui {

struct Action {
  int line = 0;  // in the script, 1-based
  std::string name;
  std::string arg;  // unescaped
};

// The actions of a script; the last is a dump (one is added when the
// script does not end with one). Nothing, with `error` set, for an unknown
// action, a key no edition knows or a bad escape.
std::optional<std::vector<Action>> ParseScript(std::string_view script, std::string& error);

// A key as Qt writes a key sequence ("Enter", "Ctrl+Z", "Shift+F10"); nothing for one not known.
std::optional<Key> ParseKey(std::string_view text);

// What a dump shows, as each edition reads it off its own window.
struct DumpState {
  struct Control {
    std::string name;
    std::string text;
  };
  struct DumpLine {
    std::string list;
    int index = 0;
    char mark = 0;
    std::string text;
    std::string old;
    std::string tip;
    bool selected = false;
  };
  struct Item {
    int depth = 0;
    int checked = -1;
    std::string text;
  };
  struct Match {
    std::string text;
    bool marked = false;
  };
  struct Entry {
    int number = 0;
    std::string title;
    bool selected = false;
  };
  std::string sheet;
  std::string caption;
  std::vector<Control> buttons;
  std::vector<Control> boxes;  // in number order
  std::string focus;           // empty: nothing has the focus
  int caret = -1;              // code points; -1 for a control without text
  int anchor = -1;
  std::vector<DumpLine> lines;
  std::vector<std::string> lit;
  bool menu = false;
  std::vector<Item> items;
  bool editor = false;
  std::string editor_caption;
  std::string editor_text;
  bool editor_ok = false;
  std::vector<Control> messages;  // name: "report" or "error"
  std::optional<std::string> clipboard;
  std::string search;
  bool search_open = false;
  std::string search_problem;
  std::vector<Match> matches;
  bool history = false;
  std::vector<Entry> entries;
  std::vector<std::pair<std::string, bool>> undo;
  std::string title;
  std::string address;
  std::vector<std::pair<int, std::string>> skipped;
};

// The records of dump `number`.
std::string FormatDump(int number, const DumpState& state);

// The state of the controller's window, as the command line's edition dumps it.
DumpState StateOf(const Controller& controller);

// Runs `script` straight on a controller (the command line's edition):
// every database reading answered by the reference database, every message
// box answered. The dumps on `out`; exit status 2 and a message on `err`
// for a script that cannot be run.
int RunReplay(std::string_view script, std::string& out, std::string& err);

// A random script of `count` actions over every page and every action.
std::string RandomScript(std::uint32_t seed, int count);

// The page of a replay's `open PAGE`: as decode names it; nullptr for none.
const PageLayout* PageOfCommand(std::string_view name);

}  // namespace ostrolen::ui

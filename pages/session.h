// The operator's session over the pages, the same for the window and the
// browser page: every press of a decoding page is kept in the history; a
// page's latest result can be kept as the reference, and each later press on
// that page marks its lines against it; an entry of the history goes back on
// its page; and a page with its words is opened from an address text.
// The front ends press through it and draw what it gives.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/compare.h"
#include "core/history.h"
#include "core/layout.h"
#include "core/shell.h"
#include "core/window.h"

namespace ostrolen {

// The input boxes whose Enter presses `button`, in input order.
std::vector<const BoxSpec*> EnterBoxes(std::string_view button);

// The command line's command called `name` ("sko"); nullptr for none.
const PageCommand* FindPageCommand(std::string_view name);

// Words that do not fit a page's boxes. `message` is the whole one-line
// message: a word may hold any character, NUL included, which what() would
// cut short.
struct WordsError : std::invalid_argument {
  explicit WordsError(const std::string& text) : std::invalid_argument(text), message(text) {}
  std::string message;
};

// The box texts that `words` give for `command`, as the command line types
// them. Throws WordsError when they do not fit its boxes.
BoxTexts TypedBoxes(const PageCommand& command, const std::vector<std::string>& words);

// A mark in words, for a screen reader and a tooltip: "изменено, было: OLD".
std::string MarkDescription(const ComparedLine& line);

// What a changed line shows beside its text: "было: " and the old value,
// without the field's name when both texts start with the same "NAME = ";
// empty for any other mark.
std::string OldValueText(const ComparedLine& line);

// The colour of a mark, and of a gone line's text.
shell::Colour MarkColour(Change change, const shell::LookColours& look = shell::kLightColours);

// An entry as the history view lists it: "3. 19:01:26  sko  271A6".
std::string EntryTitle(const HistoryEntry& entry);

class Session {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  Session();
  explicit Session(Clock clock);
  // The clock of the presses to come (a replay's, which all editions share).
  void SetClock(Clock clock) { clock_ = std::move(clock); }

  // Presses `button` on `window` as a click does. A press of a page with a
  // result list is kept in the history, and when that page has a reference
  // its lines are marked against it.
  void Press(Window& window, std::string_view button);

  // Opens `address` on `window`: the command's boxes emptied, its words
  // typed in, its button pressed. The message of a usage error otherwise,
  // nothing written then.
  std::optional<std::string> Open(Window& window, const Address& address);

  // The command of a page's result list or button (its page name as the
  // command line calls it); nullptr for one the history does not keep.
  static const PageCommand* CommandOfButton(std::string_view button);
  static const PageCommand* CommandOfList(std::string_view list);

  // Keeps the latest result of the page `command` names as its reference.
  // False when the page was not pressed yet.
  bool KeepReference(std::string_view command);
  // The entry kept as the page's reference; 0 for none.
  int Reference(std::string_view command) const;

  // The marks of the lines the last press put on `list`, when it was
  // compared: the page's own lines are the marks that are not Gone, in order.
  const std::vector<ComparedLine>* Marks(std::string_view list) const;

  // Puts entry `number`'s words back in its page's boxes and presses.
  // False when no such entry is kept.
  bool Choose(Window& window, int number);
  // Entry `newer` chosen again with entry `older`'s lines as its page's
  // reference, so that its lines come out marked against them. False for
  // entries of different pages or numbers not kept.
  bool CompareEntries(Window& window, int older, int newer);

  // PAGE=WORDS of the latest press; nothing before the first.
  std::optional<std::string> LastAddress() const;
  // The command of the latest press.
  std::string LastCommand() const { return last_command_; }

  const History& history() const { return history_; }

 private:
  Clock clock_;
  History history_;
  std::map<std::string, int, std::less<>> references_;                   // by command name: the entry
  std::map<std::string, int, std::less<>> latest_;                       // by command name: its latest entry
  std::map<std::string, int, std::less<>> listed_;                       // by list: the entry whose lines it shows
  std::map<std::string, std::vector<ComparedLine>, std::less<>> marks_;  // by list
  std::string last_command_;
};

}  // namespace ostrolen

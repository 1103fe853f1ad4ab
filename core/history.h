// The session's history: every press of a decoding page, kept until the
// program ends, with what the operator typed and what the page showed. The
// window and the browser page list it, put an entry back on its page,
// compare two entries of one page and save it as a report; nothing is
// written anywhere unless the operator saves.
//
// An entry is also named by a short text, PAGE=WORDS ("sko=271A6",
// "uvp=0075-003F"), that the browser keeps in its address and the window
// takes on its command line, so that a trouble ticket can say what to open.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/compare.h"
#include "core/explain.h"
#include "core/layout.h"

namespace ostrolen {

// Box texts by control name, in input order.
using BoxTexts = std::vector<std::pair<std::string, std::string>>;

struct HistoryEntry {
  int number = 0;  // 1 for the session's first press; given by History::Add
  std::chrono::system_clock::time_point time;
  std::string page;                // as the command line names it ("sko")
  BoxTexts boxes;                  // as typed before the press
  std::vector<std::string> words;  // the boxes as the command line would take them
  std::vector<SourcedLine> lines;
  std::vector<std::string> reports;  // the "Ошибка!!!" reports, in order
  std::optional<std::string> error;  // the common error box's text
  int compared_with = 0;             // the entry this one was compared with; 0: none
};

class History {
 public:
  // Keeps a press and gives it the next number. Returns that number.
  int Add(HistoryEntry entry);

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void Clear() { entries_.clear(); }

  // The newest entry first.
  std::vector<const HistoryEntry*> Newest() const;
  const HistoryEntry* Find(int number) const;

  // Choosing an entry: its page and the box texts to put back before pressing.
  struct Choice {
    std::string page;
    BoxTexts boxes;
  };
  std::optional<Choice> Choose(int number) const;

  // The lines of entry `newer` marked against entry `older`, and `newer`
  // remembered as compared with it for the report. Nothing for entries of
  // different pages or numbers not kept.
  std::optional<std::vector<ComparedLine>> Compare(int older, int newer);
  // The marks of an entry compared earlier; nothing for one not compared.
  std::optional<std::vector<ComparedLine>> Marks(int number) const;

  // The whole history as a report, the newest entry first: plain UTF-8
  // text, and an HTML page that prints well.
  std::string ReportText() const;
  std::string ReportHtml() const;

 private:
  std::vector<HistoryEntry> entries_;  // oldest first
  int next_ = 1;
};

// The report's title, its first line and its page's.
inline constexpr std::string_view kReportTitle = "Ostrolen: история сеанса";

// The local time of an entry as the report shows it: "2026-12-08 19:01:26".
std::string TimeText(std::chrono::system_clock::time_point time);

// `text` with &, <, >, " and ' written as HTML character references.
std::string EscapeHtml(std::string_view text);

// A page and its words, as the command line takes them.
struct Address {
  std::string page;
  std::vector<std::string> words;
  bool operator==(const Address&) const = default;
};

// PAGE=WORD-WORD...: the words joined by "-", every byte of a word but the
// Latin letters and digits written %XX, so that any box text comes back as
// it was ("usk1=00012-3-A5F0", an empty word between two "-").
std::string AddressText(const Address& address);
// The address in `text`, with or without the browser's leading "#"; a page
// alone ("sko") has no words. Nothing when the text is not one.
std::optional<Address> ParseAddress(std::string_view text);
// The window's command line after the program name: PAGE WORD... or one
// address. Nothing when it names no page.
std::optional<Address> AddressOfArguments(std::span<const std::string> args);

// The words that give `boxes` on `page` when typed as the command line
// types them: the one-character boxes of a code word together, split where
// the page leaves a gap between them; every wider or lone box a word of its
// own. Nothing when the boxes hold what no words give (a one-character box
// left empty before a filled one, a blank or a separator in one).
std::optional<std::vector<std::string>> WordsOfBoxes(const PageLayout& page, const BoxTexts& boxes);

}  // namespace ostrolen

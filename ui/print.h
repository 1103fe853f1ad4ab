// What Ctrl+P prints, the same in every front end: the page in front (its
// caption, the date and time written as the history writes an entry's, the
// words in its boxes, then its result lines with their marks), or, while
// the history is open, the session's report. A printout is plain text lines
// and a simple HTML document; the window prints the HTML through its print
// dialog, the browser page through its own printing. The texts of the
// printout are declared here once for every front end.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/history.h"
#include "core/layout.h"
#include "ui/controller.h"

namespace ostrolen::ui {

namespace print_text {
inline constexpr std::string_view kCommand = "Печать";
inline constexpr std::string_view kKey = "Ctrl+P";
inline constexpr std::string_view kPrinted = "Напечатано: ";
inline constexpr std::string_view kWords = "Слова: ";
inline constexpr std::string_view kCompared = "Сравнение с образцом";
// A page not pressed yet, or one whose press gave no line: its boxes are printed all the same.
inline constexpr std::string_view kNoLines = "Результатов нет.";
// The converter shows its results in its boxes.
inline constexpr std::string_view kNoList = "На странице нет списка результатов.";
inline constexpr std::string_view kFailed = "Не удалось напечатать: ";
}  // namespace print_text

struct Printout {
  std::string title;
  std::vector<std::string> head;   // the date and time, the words
  std::vector<std::string> lines;  // the result lines as printed; empty: a note says so
  std::string note;                // kNoLines or kNoList, else empty
  std::string html;                // a whole HTML document

  // The plain text: the title, the head, an empty line, the lines (or the note).
  std::string Text() const;
};

// A result line as the printout writes it: on a compared list its mark
// first, "~ TEXT   (было: OLD)" for a changed one, as the report writes marks;
// otherwise the text alone.
std::string PrintedLine(const Line& line, bool compared);

// The printout of `page` with `boxes` in its input boxes and `list` as its
// result list (nullptr: a page without one), at `time`.
Printout PagePrintout(const PageLayout& page, const BoxTexts& boxes, const List* list,
                      std::chrono::system_clock::time_point time);

// The session's report as the history writes it.
Printout ReportPrintout(const History& history);

// What lies between <body> and </body> of an HTML document: the part a page
// of the browser takes into a container of its own.
std::string BodyOf(std::string_view html);

}  // namespace ostrolen::ui

#include "ui/print.h"

#include "pages/decode.h"
#include "pages/session.h"

namespace ostrolen::ui {
namespace {

// Plain and bold, black on white: a printer has no window colours, and the
// marks are told by their letters, not by colour.
constexpr std::string_view kPrintStyle =
    "body{font-family:'Liberation Sans',Arial,sans-serif;font-size:10pt;color:#000;background:#fff}"
    "h1{font-size:14pt;margin:0 0 .4em}"
    "p{margin:.1em 0}"
    "table{border-collapse:collapse;margin-top:.6em}"
    "td{padding:.05em .4em;vertical-align:top;white-space:pre-wrap}"
    "td.mark{font-family:'Liberation Mono',monospace;font-weight:bold;text-align:center}"
    "tr.gone td.text{text-decoration:line-through}"
    "td.old{color:#444}";

// "АХ, СКО: an abbreviated class of service" is printed as "АХ, СКО"; a
// page without a command as its tab's caption.
std::string TitleOf(const PageLayout& page) {
  const ListSpec* list = page.list();
  const PageCommand* command = list == nullptr ? nullptr : Session::CommandOfList(list->name);
  if (command == nullptr || command->what.empty()) return page.caption;
  return std::string(CommandCaption(*command));
}

// The words the boxes hold, as the history names them ("271A6"); where the
// boxes hold what no words give, their texts one after another.
std::string WordsText(const PageLayout& page, const BoxTexts& boxes) {
  std::vector<std::string> words;
  if (const std::optional<std::vector<std::string>> typed = WordsOfBoxes(page, boxes)) {
    words = *typed;
  } else {
    for (const auto& [name, text] : boxes) {
      if (!text.empty()) words.push_back(text);
    }
  }
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

std::string_view RowClass(char mark) {
  switch (static_cast<Change>(mark)) {
    case Change::Same: return "same";
    case Change::Changed: return "changed";
    case Change::Added: return "added";
    case Change::Gone: return "gone";
  }
  return "line";
}

}  // namespace

std::string Printout::Text() const {
  std::string text = title + "\n";
  for (const std::string& line : head) text += line + "\n";
  text += "\n";
  for (const std::string& line : lines) text += line + "\n";
  if (!note.empty()) text += note + "\n";
  return text;
}

std::string PrintedLine(const Line& line, bool compared) {
  if (!compared) return line.text;
  std::string text = std::string(1, line.mark == 0 ? ' ' : line.mark) + " " + line.text;
  if (!line.old.empty()) text += "   (" + line.old + ")";
  return text;
}

Printout PagePrintout(const PageLayout& page, const BoxTexts& boxes, const List* list,
                      std::chrono::system_clock::time_point time) {
  Printout printout;
  printout.title = TitleOf(page);
  printout.head.push_back(std::string(print_text::kPrinted) + TimeText(time));
  const std::string words = WordsText(page, boxes);
  if (!words.empty()) printout.head.push_back(std::string(print_text::kWords) + words);
  bool compared = false;
  if (list != nullptr) {
    for (const Line& line : list->lines) compared = compared || line.mark != 0;
    for (const Line& line : list->lines) printout.lines.push_back(PrintedLine(line, compared));
  }
  if (compared) printout.head.emplace_back(print_text::kCompared);
  if (list == nullptr) {
    printout.note = print_text::kNoList;
  } else if (list->lines.empty()) {
    printout.note = print_text::kNoLines;
  }

  std::string& html = printout.html;
  html = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + EscapeHtml(printout.title) +
         "</title>\n<style>" + std::string(kPrintStyle) + "</style>\n</head>\n<body>\n<h1>" +
         EscapeHtml(printout.title) + "</h1>\n";
  for (const std::string& line : printout.head) html += "<p>" + EscapeHtml(line) + "</p>\n";
  if (!printout.note.empty()) html += "<p class=\"note\">" + EscapeHtml(printout.note) + "</p>\n";
  if (list != nullptr && !list->lines.empty()) {
    html += "<table>\n";
    for (const Line& line : list->lines) {
      html += "<tr class=\"" + std::string(compared ? RowClass(line.mark) : "line") + "\">";
      if (compared)
        html += "<td class=\"mark\">" + EscapeHtml(std::string(1, line.mark == 0 ? ' ' : line.mark)) + "</td>";
      html += "<td class=\"text\">" + EscapeHtml(line.text) + "</td>";
      if (!line.old.empty()) html += "<td class=\"old\">" + EscapeHtml(line.old) + "</td>";
      html += "</tr>\n";
    }
    html += "</table>\n";
  }
  html += "</body>\n</html>\n";
  return printout;
}

Printout ReportPrintout(const History& history) {
  Printout printout;
  printout.title = kReportTitle;
  printout.html = history.ReportHtml();
  // The report's own text after its title line.
  const std::string text = history.ReportText();
  std::size_t start = text.find('\n');
  while (start != std::string::npos && start + 1 < text.size()) {
    const std::size_t end = text.find('\n', start + 1);
    printout.lines.push_back(text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1));
    start = end;
  }
  if (history.empty()) printout.note = print_text::kNoLines;
  return printout;
}

std::string BodyOf(std::string_view html) {
  const std::size_t open = html.find("<body>");
  const std::size_t close = html.rfind("</body>");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::string(html);
  return std::string(html.substr(open + 6, close - open - 6));
}

}  // namespace ostrolen::ui

#include "core/history.h"

#include <algorithm>
#include <ctime>

#include "core/code_word.h"
#include "core/shell.h"
#include "core/typing.h"

namespace ostrolen {
namespace {

std::string Joined(const std::vector<std::string>& words, std::string_view between) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += between;
    text += words[i];
  }
  return text;
}

// How a report names an entry's address: only when its boxes have one.
std::optional<std::string> EntryAddress(const HistoryEntry& entry) {
  if (entry.words.empty() && !entry.boxes.empty()) return std::nullopt;
  return AddressText({entry.page, entry.words});
}

std::string Heading(const HistoryEntry& entry) {
  std::string heading = std::to_string(entry.number) + ". " + TimeText(entry.time) + "  " + entry.page;
  if (!entry.words.empty()) heading += "  " + Joined(entry.words, " ");
  return heading;
}

constexpr std::string_view kReportStyle =
    "body{font-family:'Liberation Sans',Arial,sans-serif;font-size:11pt;margin:1.5em;color:#000;background:#fff}"
    "h1{font-size:15pt;margin:0 0 .8em}"
    "section{border-top:1px solid #888;padding:.4em 0 .8em;break-inside:avoid;page-break-inside:avoid}"
    "h2{font-size:12pt;margin:.2em 0}"
    "p{margin:.2em 0}"
    "table{border-collapse:collapse;margin-top:.3em}"
    "td{padding:.05em .5em;vertical-align:top;white-space:pre-wrap}"
    "td.mark{font-family:'Liberation Mono',monospace;font-weight:bold;text-align:center;width:1.5em}"
    "tr.gone td.text{text-decoration:line-through;color:#666}"
    "tr.changed td.text,tr.added td.text{font-weight:bold}"
    "td.old{color:#555}"
    ".report{color:#8a4b00}.error{color:#a00000;font-weight:bold}"
    "@media print{body{margin:0}section{border-color:#000}}";

std::string_view RowClass(Change change) {
  switch (change) {
    case Change::Same: return "same";
    case Change::Changed: return "changed";
    case Change::Added: return "added";
    case Change::Gone: return "gone";
  }
  return {};
}

bool IsAddressByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<std::string> DecodedWord(std::string_view text) {
  std::string word;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      word += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexDigitValue(text[i + 1]);
    const int low = HexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    word += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return word;
}

int BoxIndex(const PageLayout& page, std::string_view name) {
  for (std::size_t i = 0; i < page.boxes.size(); ++i) {
    if (page.boxes[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

int History::Add(HistoryEntry entry) {
  entry.number = next_++;
  entries_.push_back(std::move(entry));
  return entries_.back().number;
}

std::vector<const HistoryEntry*> History::Newest() const {
  std::vector<const HistoryEntry*> newest;
  newest.reserve(entries_.size());
  for (const HistoryEntry& entry : entries_) newest.push_back(&entry);
  std::reverse(newest.begin(), newest.end());
  return newest;
}

// Entries are kept in the order of their numbers, so a number is found by halving.
const HistoryEntry* History::Find(int number) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), number,
                                   [](const HistoryEntry& entry, int n) { return entry.number < n; });
  return it == entries_.end() || it->number != number ? nullptr : &*it;
}

std::optional<History::Choice> History::Choose(int number) const {
  const HistoryEntry* entry = Find(number);
  if (entry == nullptr) return std::nullopt;
  return Choice{entry->page, entry->boxes};
}

std::optional<std::vector<ComparedLine>> History::Compare(int older, int newer) {
  const HistoryEntry* before = Find(older);
  const auto after = std::lower_bound(entries_.begin(), entries_.end(), newer,
                                      [](const HistoryEntry& entry, int n) { return entry.number < n; });
  if (before == nullptr || after == entries_.end() || after->number != newer || before->page != after->page ||
      older == newer) {
    return std::nullopt;
  }
  after->compared_with = older;
  return CompareLines(before->lines, after->lines);
}

std::optional<std::vector<ComparedLine>> History::Marks(int number) const {
  const HistoryEntry* after = Find(number);
  if (after == nullptr || after->compared_with == 0) return std::nullopt;
  const HistoryEntry* before = Find(after->compared_with);
  if (before == nullptr) return std::nullopt;
  return CompareLines(before->lines, after->lines);
}

std::string History::ReportText() const {
  std::string text = std::string(kReportTitle) + "\n";
  for (const HistoryEntry* entry : Newest()) {
    text += "\n" + Heading(*entry) + "\n";
    if (const std::optional<std::string> address = EntryAddress(*entry)) text += "   Адрес: " + *address + "\n";
    for (const std::string& report : entry->reports)
      text += "   " + std::string(shell::kReportCaption) + ": " + report + "\n";
    if (entry->error) text += "   Ошибка: " + *entry->error + "\n";
    if (const std::optional<std::vector<ComparedLine>> marks = Marks(entry->number)) {
      text += "   Сравнение с записью " + std::to_string(entry->compared_with) + "\n";
      for (const ComparedLine& line : *marks) {
        text += "   " + std::string(1, static_cast<char>(line.change)) + " " + line.text;
        if (line.change == Change::Changed) text += "   (было: " + line.old_text + ")";
        text += "\n";
      }
    } else {
      for (const SourcedLine& line : entry->lines) text += "     " + line.text + "\n";
    }
  }
  return text;
}

std::string History::ReportHtml() const {
  std::string html = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                     EscapeHtml(kReportTitle) + "</title>\n<style>" + std::string(kReportStyle) +
                     "</style>\n</head>\n<body>\n<h1>" + EscapeHtml(kReportTitle) + "</h1>\n";
  for (const HistoryEntry* entry : Newest()) {
    html += "<section>\n<h2>" + EscapeHtml(Heading(*entry)) + "</h2>\n";
    if (const std::optional<std::string> address = EntryAddress(*entry)) {
      html += "<p>Адрес: <code>" + EscapeHtml(*address) + "</code></p>\n";
    }
    for (const std::string& report : entry->reports) {
      html += "<p class=\"report\">" + std::string(shell::kReportCaption) + ": " + EscapeHtml(report) + "</p>\n";
    }
    if (entry->error) html += "<p class=\"error\">Ошибка: " + EscapeHtml(*entry->error) + "</p>\n";
    if (const std::optional<std::vector<ComparedLine>> marks = Marks(entry->number)) {
      html += "<p>Сравнение с записью " + std::to_string(entry->compared_with) + "</p>\n<table>\n";
      for (const ComparedLine& line : *marks) {
        html += "<tr class=\"" + std::string(RowClass(line.change)) + "\"><td class=\"mark\" title=\"" +
                EscapeHtml(ChangeDescription(line.change)) + "\">" +
                EscapeHtml(std::string(1, static_cast<char>(line.change))) + "</td><td class=\"text\">" +
                EscapeHtml(line.text) + "</td>";
        if (line.change == Change::Changed) html += "<td class=\"old\">было: " + EscapeHtml(line.old_text) + "</td>";
        html += "</tr>\n";
      }
    } else {
      html += "<table>\n";
      for (const SourcedLine& line : entry->lines) {
        html += "<tr><td class=\"text\">" + EscapeHtml(line.text) + "</td></tr>\n";
      }
    }
    html += "</table>\n</section>\n";
  }
  html += "</body>\n</html>\n";
  return html;
}

std::string TimeText(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return {};
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, length);
}

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string AddressText(const Address& address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = address.page;
  text += '=';
  for (std::size_t i = 0; i < address.words.size(); ++i) {
    if (i > 0) text += '-';
    for (const char c : address.words[i]) {
      const auto byte = static_cast<unsigned char>(c);
      if (IsAddressByte(byte)) {
        text += c;
      } else {
        text += '%';
        text += kHex[byte >> 4U];
        text += kHex[byte & 0xFU];
      }
    }
  }
  return text;
}

std::optional<Address> ParseAddress(std::string_view text) {
  if (text.starts_with('#')) text.remove_prefix(1);
  const std::size_t equals = text.find('=');
  Address address;
  address.page = std::string(text.substr(0, equals));
  if (address.page.empty() || !std::all_of(address.page.begin(), address.page.end(), [](char c) {
        return IsAddressByte(static_cast<unsigned char>(c)) || c == '-';
      })) {
    return std::nullopt;
  }
  if (equals == std::string_view::npos) return address;
  std::string_view rest = text.substr(equals + 1);
  if (rest.empty()) return address;
  while (true) {
    const std::size_t dash = rest.find('-');
    std::optional<std::string> word = DecodedWord(rest.substr(0, dash));
    if (!word) return std::nullopt;
    address.words.push_back(std::move(*word));
    if (dash == std::string_view::npos) break;
    rest.remove_prefix(dash + 1);
  }
  return address;
}

std::optional<Address> AddressOfArguments(std::span<const std::string> args) {
  if (args.empty()) return std::nullopt;
  if (args.size() == 1 && args[0].find('=') != std::string::npos) return ParseAddress(args[0]);
  Address address;
  address.page = args[0];
  if (address.page.empty() || address.page.starts_with('-')) return std::nullopt;
  address.words.assign(args.begin() + 1, args.end());
  return address;
}

std::optional<std::vector<std::string>> WordsOfBoxes(const PageLayout& page, const BoxTexts& boxes) {
  std::vector<std::string> words;
  std::string word;
  const BoxSpec* before = nullptr;  // the previous one-character box of the run
  bool hole = false;                // a one-character box of a code word left empty
  std::size_t i = 0;
  while (i < boxes.size()) {
    const int index = BoxIndex(page, boxes[i].first);
    if (index < 0) return std::nullopt;
    // A run: the one-character boxes from here, one after another on the page.
    std::size_t end = i + 1;
    if (IsSingleBox(page, index)) {
      for (; end < boxes.size(); ++end) {
        const int next = BoxIndex(page, boxes[end].first);
        if (next < 0 || !IsSingleBox(page, next)) break;
      }
    }
    if (end - i == 1) {
      if (hole) return std::nullopt;
      words.push_back(boxes[i].second);
      i = end;
      before = nullptr;
      continue;
    }
    for (; i < end; ++i) {
      const BoxSpec& box = page.boxes[static_cast<std::size_t>(BoxIndex(page, boxes[i].first))];
      if (before != nullptr && (box.y != before->y || box.x - (before->x + before->width) > 4) && !word.empty()) {
        words.push_back(std::move(word));
        word.clear();
      }
      before = &box;
      const std::string& text = boxes[i].second;
      if (text.empty()) {
        hole = true;
        continue;
      }
      const std::vector<std::string> characters = SpreadCharacters(text);
      if (hole || characters.size() != 1 || characters[0] != text) return std::nullopt;
      word += text;
    }
    if (!word.empty()) words.push_back(std::move(word));
    word.clear();
    before = nullptr;
  }
  return words;
}

}  // namespace ostrolen

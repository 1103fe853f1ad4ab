// The decode command: words as the operator reads them off the console go
// into a page's boxes, the page's button is pressed, and the page's result
// is printed for people. One table names the pages; the boxes come from the
// page declarations and the decoding is the page's own press.
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "core/explain.h"
#include "core/shell.h"
#include "core/typing.h"
#include "core/utf8.h"
#include "pages/model_window.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

// A group of boxes that the converter prints after a press.
struct ShownBoxes {
  std::string_view label;
  std::string_view boxes_of;  // the boxes Enter sends to this button
};

struct DecodePage {
  std::string_view name;
  std::string_view button;
  std::string_view boxes_of;  // the boxes the words fill are those Enter sends to this button; empty: `button`
  int word_length;            // characters of one word; 0: each word is the text of one box
  std::string_view words;     // the words, as the help names them
  std::string_view example;
  std::string_view what;
  std::vector<ShownBoxes> shown;  // the converter's boxes; empty: the page's result list
  bool explains = false;          // its lines know their bits (--explain)
};

const std::vector<ShownBoxes> kLowerBlock = {{"WORD", "SpeedButton1"}, {"BITS", "SpeedButton2"}};
const std::vector<ShownBoxes> kUpperBlock = {{"DEC", "SpeedButton4"}, {"HEX", "SpeedButton8"}, {"BIN", "SpeedButton5"}};

// In the order of the window's tabs.
const std::vector<DecodePage>& DecodePages() {
  // clang-format off
  static const std::vector<DecodePage> pages = {
      {"word-to-bits", "SpeedButton1", "", 5, "CODEWORD", "271A6", "Преобразователь: a code word to its 16 bits",
       kLowerBlock},
      {"bits-to-word", "SpeedButton2", "", 16, "BITS", "0101 1101 1010 0110",
       "Преобразователь: 16 bits to their code word", kLowerBlock},
      {"dec-to-bin", "SpeedButton4", "", 2, "DEC", "09", "Преобразователь: a decimal 00-15 to binary and hex",
       kUpperBlock},
      {"bin-to-dec", "SpeedButton5", "", 4, "BIN", "1001", "Преобразователь: four bits to decimal and hex",
       kUpperBlock},
      {"hex-to-bin", "SpeedButton8", "", 1, "HEX", "A", "Преобразователь: a hex digit to binary and decimal",
       kUpperBlock},
      {"bin-to-hex", "SpeedButton9", "SpeedButton5", 4, "BIN", "1001",
       "Преобразователь: four bits to hex and decimal, without the bit check", kUpperBlock},
      {"first-stage", "SpeedButton3", "", 5, "WORD", "3529C", "АХ, Первая ступень", {}, true},
      {"second-stage", "SpeedButton6", "", 5, "WORD0 WORD1 WORD2 WORD3", "03245 253A7 12345 701F0",
       "АХ, Вторая ступень: the four-word block", {}, true},
      {"third-stage", "SpeedButton10", "", 5, "WORD0 WORD1 WORD2 WORD3", "1235C 5227F 00000 00000",
       "АХ, Третья ступень: the initial four-word block", {}, true},
      {"sko", "SpeedButton14", "", 5, "CODE", "271A6", "АХ, СКО: an abbreviated class of service", {}, true},
      {"rko", "SpeedButton15", "", 5, "WORD0 WORD1", "00359 362C5", "АХ, РКО: an extended class of service", {}, true},
      {"uvp", "SpeedButton11", "", 4, "WORD1 WORD2", "0075 003F", "Неисправности, УВП: a status message", {}, true},
      {"bg", "SpeedButton12", "", 4, "WORD", "0030", "Неисправности, БГ: a status message", {}, true},
      {"vvk", "SpeedButton13", "", 4, "WORD1 WORD2", "0030 0034", "Неисправности, ВВК: a status message", {}, true},
      {"puu", "SpeedButton16", "", 4, "WORD1 WORD2", "0100 8001", "Неисправности, ПУУ: a status message", {}, true},
      {"usk0", "SpeedButton7", "", 0, "LINE WORD", "00012 5FFF", "УСК .0.-: the all-ones test", {}},
      {"usk1", "SpeedButton18", "", 0, "LINE BIT WORD", "00012 3 A5F0", "УСК .1.-: the running-zero test", {}},
      {"usk2", "SpeedButton19", "", 0, "LINE BIT AFFECTED-LINE WORD", "00012 3 00034 FFF0",
       "УСК .2.-: the write into other lines", {}},
      {"usk3", "SpeedButton20", "", 0, "LINE READ WRITTEN", "00012 00FF 00FE", "УСК .3.-: the write check", {}},
      {"bal", "SpeedButton21", "", 0, "ROW-AND-BAL", "13", "УСК КЗ БАЛ: a short circuit in a rack row's БАЛ", {}},
      {"segment", "SpeedButton17", "", 0, "SEGMENT STEP", "0 0",
       "Сегменты: a test segment and step, from dbveltra.mdb in the current folder", {}},
  };
  // clang-format on
  return pages;
}

struct UsageError {
  std::string message;
};

const DecodePage* FindDecodePage(std::string_view name) {
  for (const DecodePage& page : DecodePages()) {
    if (page.name == name) return &page;
  }
  return nullptr;
}

std::string_view BoxesOf(const DecodePage& page) { return page.boxes_of.empty() ? page.button : page.boxes_of; }

// The input boxes whose Enter presses `button`, in input order.
std::vector<const BoxSpec*> EnterBoxes(std::string_view button) {
  std::vector<const BoxSpec*> boxes;
  const ButtonOnPage found = FindButton(button);
  if (found.page == nullptr) return boxes;
  for (int i = 0; i < static_cast<int>(found.page->boxes.size()); ++i) {
    if (IsInputBox(*found.page, i) && EnterButton(*found.page, i) == button) {
      boxes.push_back(&found.page->boxes[static_cast<std::size_t>(i)]);
    }
  }
  return boxes;
}

using Settings = std::vector<std::pair<std::string, std::string>>;

// The box texts that `words` give on `page`. Throws UsageError.
Settings Fill(const DecodePage& page, const std::vector<std::string>& words) {
  const std::vector<const BoxSpec*> boxes = EnterBoxes(BoxesOf(page));
  for (const std::string& word : words) {
    if (!IsValidUtf8(word)) throw UsageError{"a word is not valid UTF-8"};
  }
  Settings settings;
  if (page.word_length == 0) {
    if (words.size() > boxes.size()) {
      throw UsageError{std::string(page.name) + " takes at most " + std::to_string(boxes.size()) +
                       " words: " + std::string(page.words)};
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (CharCount(words[i]) > static_cast<std::size_t>(boxes[i]->max_length)) {
        throw UsageError{"'" + words[i] + "' is longer than " + std::to_string(boxes[i]->max_length) + " character(s)"};
      }
      settings.emplace_back(boxes[i]->name, words[i]);
    }
    return settings;
  }
  // The words' characters as a paste of them spreads them over the boxes.
  std::vector<std::string> characters;
  for (const std::string& word : words) {
    for (std::string& c : SpreadCharacters(word)) characters.push_back(std::move(c));
  }
  const std::size_t length = static_cast<std::size_t>(page.word_length);
  if (characters.size() % length != 0) {
    throw UsageError{std::string(page.name) + " takes words of " + std::to_string(length) + " character(s); got " +
                     std::to_string(characters.size()) + " in all"};
  }
  if (characters.size() > boxes.size()) {
    throw UsageError{std::string(page.name) + " takes at most " + std::to_string(boxes.size() / length) +
                     " word(s): " + std::string(page.words)};
  }
  for (std::size_t i = 0; i < characters.size(); ++i) settings.emplace_back(boxes[i]->name, characters[i]);
  return settings;
}

// A group of boxes as the page shows it: an empty box as "_", a blank where
// the page leaves a gap between the boxes.
std::string ShownText(const ModelWindow& window, std::string_view button) {
  std::string text;
  const BoxSpec* before = nullptr;
  for (const BoxSpec* box : EnterBoxes(button)) {
    if (before != nullptr && (box->y != before->y || box->x - (before->x + before->width) > 4)) text += ' ';
    const std::string value = window.Text(box->name);
    text += value.empty() ? "_" : EscapeField(value);
    before = box;
  }
  return text;
}

// Presses the page with `words` on a fresh window and prints what it shows.
// Returns false when the press ended in the common error box.
// With `explain`, each line is followed by a TAB and the bits it comes from.
bool DecodeOnce(const DecodePage& page, const std::vector<std::string>& words, const std::string& where, bool explain,
                std::ostream& out, std::ostream& err) {
  const Settings settings = Fill(page, words);
  ModelWindow window;
  for (const auto& [name, text] : settings) window.SetText(name, text);
  Press(window, page.button);
  bool failed = false;
  for (const ModelWindow::Message& message : window.Messages()) {
    if (message.kind == ModelWindow::MessageKind::Report) {
      err << where << shell::kReportCaption << ": " << EscapeField(message.text) << '\n';
    } else {
      err << "ostrolen-cli: " << where << EscapeField(message.text) << '\n';
      failed = true;
    }
  }
  if (!page.shown.empty()) {
    for (const ShownBoxes& shown : page.shown) out << shown.label << ' ' << ShownText(window, shown.boxes_of) << '\n';
  } else if (const ListSpec* list = FindButton(page.button).page->list()) {
    const std::vector<std::string>& lines = window.Lines(list->name);
    const std::vector<LineOrigin>& origins = window.Origins(list->name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out << EscapeField(lines[i]);
      if (explain) out << '\t' << SourceText(origins[i]);
      out << '\n';
    }
  }
  return !failed;
}

// Between the results of two input lines: a lone backslash, which no escaped
// line can be (an escaped backslash is always followed by another character).
constexpr std::string_view kResultSeparator = "\\\n";

// Each line of `in` is one set of words, separated by blanks.
int DecodeLines(const DecodePage& page, bool explain, std::istream& in, std::ostream& out, std::ostream& err) {
  int status = 0;
  bool first = true;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \t\r", at)) != std::string::npos) {
      const std::size_t end = line.find_first_of(" \t\r", at);
      words.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
      at = end;
    }
    if (words.empty()) continue;
    if (!first) out << kResultSeparator;
    first = false;
    const std::string where = "line " + std::to_string(number) + ": ";
    try {
      if (!DecodeOnce(page, words, where, explain, out, err)) status = 1;
    } catch (const UsageError& error) {
      err << "ostrolen-cli: " << where << EscapeField(error.message) << '\n';
      status = 1;
    }
    out.flush();
  }
  return status;
}

}  // namespace

std::string DecodeUsage() {
  std::string usage =
      "usage: ostrolen-cli decode [--explain] PAGE WORD...\n"
      "       ostrolen-cli decode [--explain] PAGE -\n"
      "\n"
      "Types the words into the boxes of PAGE as they stand on the console, presses\n"
      "the page's button and prints the page's result lines (the converter: its\n"
      "boxes, an empty box as _). Reports go to standard error as \"" +
      std::string(shell::kReportCaption) +
      ": TEXT\";\n"
      "a conversion or database error goes to standard error and the exit status is 1.\n"
      "Lines and messages are escaped as press escapes its fields (\\\\, \\t, \\n, \\r,\n"
      "\\x1B, \\u2028 and the like), so each printed line is one line of the page and\n"
      "no control character reaches the terminal.\n"
      "Blanks and - , ; : . _ / inside the words are ignored (0075-003F is two words);\n"
      "missing words leave their boxes empty and the page fills in its defaults. On\n"
      "the УСК and Сегменты pages each word is the text of one box, in the row's order.\n"
      "With -, each line of standard input is one set of words; the results of\n"
      "consecutive lines are separated by a line holding a single backslash (\\),\n"
      "which no escaped line can be, and each message on standard error names its\n"
      "line.\n"
      "With --explain (the pages marked *), each result line is followed by a TAB and\n"
      "the bits it comes from: for each word it depends on, w and the word's number\n"
      "(w0 for the first word given), a colon and the word's 16 bits, most significant\n"
      "first, with every bit the line does not depend on written as \".\"; items are\n"
      "separated by one blank, and a line of no bits has nothing after the TAB.\n"
      "\n"
      "Pages:\n";
  for (const DecodePage& page : DecodePages()) {
    std::string head =
        std::string(page.explains ? "* " : "  ") + std::string(page.name) + " " + std::string(page.words);
    if (head.size() < 40) head.resize(40, ' ');
    usage += head + " " + std::string(page.what) + "\n";
  }
  usage += "\nExamples:\n";
  for (const DecodePage& page : DecodePages()) {
    usage += "  ostrolen-cli decode " + std::string(page.name) + " " + std::string(page.example) + "\n";
  }
  usage += "  printf '0075 003F\\n4035 403F\\n' | ostrolen-cli decode uvp -\n";
  usage += "  ostrolen-cli decode --explain sko 271A6\n";
  return usage;
}

std::vector<std::string> DecodePageNames() {
  std::vector<std::string> names;
  for (const DecodePage& page : DecodePages()) names.emplace_back(page.name);
  return names;
}

std::vector<std::pair<std::string, std::string>> DecodeSettings(const std::string& page,
                                                                const std::vector<std::string>& words) {
  const DecodePage* found = FindDecodePage(page);
  if (found == nullptr) throw std::invalid_argument("no page named '" + page + "'");
  try {
    return Fill(*found, words);
  } catch (const UsageError& error) {
    throw std::invalid_argument(error.message);
  }
}

DecodeOutcome DecodeWords(const std::string& page, const std::vector<std::string>& words) {
  const DecodePage* found = FindDecodePage(page);
  if (found == nullptr) throw std::invalid_argument("no page named '" + page + "'");
  DecodeOutcome outcome;
  try {
    outcome.settings = Fill(*found, words);
  } catch (const UsageError& error) {
    throw std::invalid_argument(error.message);
  }
  ModelWindow window;
  for (const auto& [name, text] : outcome.settings) window.SetText(name, text);
  Press(window, found->button);
  for (const ModelWindow::Message& message : window.Messages()) {
    if (message.kind == ModelWindow::MessageKind::Report) {
      outcome.reports.push_back(message.text);
    } else {
      outcome.error = message.text;
    }
  }
  if (!found->shown.empty()) {
    for (const ShownBoxes& shown : found->shown) {
      SourcedLine line{std::string(shown.label) + ' ' + ShownText(window, shown.boxes_of), {}};
      line.origin.field = static_cast<int>(&shown - found->shown.data());
      outcome.lines.push_back(std::move(line));
    }
  } else if (const ListSpec* list = FindButton(found->button).page->list()) {
    const std::vector<std::string>& lines = window.Lines(list->name);
    const std::vector<LineOrigin>& origins = window.Origins(list->name);
    for (std::size_t i = 0; i < lines.size(); ++i) outcome.lines.push_back({lines[i], origins[i]});
  }
  return outcome;
}

int RunDecodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  // args[0] is "decode".
  if (args.size() >= 2 && (args[1] == "--help" || args[1] == "-h")) {
    out << DecodeUsage();
    return 0;
  }
  const bool explain = args.size() >= 2 && args[1] == "--explain";
  const std::size_t at = explain ? 2 : 1;
  if (args.size() <= at) {
    err << "ostrolen-cli: 'decode' needs a page name (see ostrolen-cli decode --help)\n";
    return 2;
  }
  const DecodePage* page = FindDecodePage(args[at]);
  if (page == nullptr) {
    err << "ostrolen-cli: no page named '" << EscapeField(args[at]) << "' (see ostrolen-cli decode --help)\n";
    return 2;
  }
  if (explain && !page->explains) {
    err << "ostrolen-cli: the lines of '" << args[at]
        << "' are not explained by bits (see ostrolen-cli decode --help)\n";
    return 2;
  }
  const std::vector<std::string> words(args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end());
  if (words.size() == 1 && words[0] == "-") return DecodeLines(*page, explain, in, out, err);
  int status = 0;
  try {
    status = DecodeOnce(*page, words, "", explain, out, err) ? 0 : 1;
  } catch (const UsageError& error) {
    err << "ostrolen-cli: " << EscapeField(error.message) << '\n';
    return 2;
  }
  out.flush();
  return status;
}

}  // namespace ostrolen

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
#include "pages/decode.h"
#include "pages/pages.h"
#include "pages/session.h"

namespace ostrolen {
namespace {

using DecodePage = PageCommand;

const std::vector<const DecodePage*>& DecodePages() { return PageCommands(); }

struct UsageError {
  std::string message;
};

const DecodePage* FindDecodePage(std::string_view name) {
  for (const DecodePage* page : DecodePages()) {
    if (page->name == name) return page;
  }
  return nullptr;
}

using Settings = std::vector<std::pair<std::string, std::string>>;

// The box texts that `words` give on `page`, as the pages type them. Throws UsageError.
Settings Fill(const DecodePage& page, const std::vector<std::string>& words) {
  try {
    return TypedBoxes(page, words);
  } catch (const WordsError& error) {
    throw UsageError{error.message};
  }
}

// Types the words into the page's boxes on a fresh window and presses its
// button. Throws UsageError for words the page cannot take.
DecodeOutcome Decode(const DecodePage& page, const std::vector<std::string>& words) {
  try {
    return DecodeOn(page, words);
  } catch (const WordsError& error) {
    throw UsageError{error.message};
  }
}

// Presses the page with `words` on a fresh window and prints what it shows.
// Returns false when the press ended in the common error box.
// With `explain`, each line is followed by a TAB and the bits it comes from.
bool DecodeOnce(const DecodePage& page, const std::vector<std::string>& words, const std::string& where, bool explain,
                std::ostream& out, std::ostream& err) {
  const DecodeOutcome outcome = Decode(page, words);
  for (const std::string& report : outcome.reports) {
    err << where << shell::kReportCaption << ": " << EscapeField(report) << '\n';
  }
  if (outcome.error) err << "ostrolen-cli: " << where << EscapeField(*outcome.error) << '\n';
  for (const SourcedLine& line : outcome.lines) {
    // A group of boxes is escaped box by box as it is put together.
    out << (page.shown.empty() ? EscapeField(line.text) : line.text);
    if (explain) out << '\t' << SourceText(line.origin);
    out << '\n';
  }
  return !outcome.error;
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
    const std::vector<std::string> words = WordsOfLine(line);
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
  for (const DecodePage* command : DecodePages()) {
    const DecodePage& page = *command;
    std::string head =
        std::string(page.explains ? "* " : "  ") + std::string(page.name) + " " + std::string(page.words);
    if (head.size() < 40) head.resize(40, ' ');
    usage += head + " " + std::string(page.what) + "\n";
  }
  usage += "\nExamples:\n";
  for (const DecodePage* command : DecodePages()) {
    const DecodePage& page = *command;
    usage += "  ostrolen-cli decode " + std::string(page.name) + " " + std::string(page.example) + "\n";
  }
  usage += "  printf '0075 003F\\n4035 403F\\n' | ostrolen-cli decode uvp -\n";
  usage += "  ostrolen-cli decode --explain sko 271A6\n";
  return usage;
}

std::vector<std::string> DecodePageNames() {
  std::vector<std::string> names;
  for (const DecodePage* page : DecodePages()) names.emplace_back(page->name);
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
  try {
    return Decode(*found, words);
  } catch (const UsageError& error) {
    throw std::invalid_argument(error.message);
  }
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

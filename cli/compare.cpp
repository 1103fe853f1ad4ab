// The compare command: two sets of words decoded on one page, the lines of
// the two results marked as unchanged, changed, new or gone, one record a
// line.
#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/compare.h"
#include "core/shell.h"
#include "core/utf8.h"

namespace ostrolen {
namespace {

struct UsageError {
  std::string message;
};

// A usage error or a decode that stopped, already written to standard error.
struct Stopped {};

struct WordPair {
  std::vector<std::string> before;
  std::vector<std::string> after;
};

WordPair SplitAtSeparator(const std::vector<std::string>& words) {
  const auto separator = std::find(words.begin(), words.end(), "--");
  if (separator == words.end()) {
    throw UsageError{"compare needs '--' between the old words and the new words"};
  }
  if (std::find(separator + 1, words.end(), "--") != words.end()) {
    throw UsageError{"compare takes one '--', between the old words and the new words"};
  }
  return {{words.begin(), separator}, {separator + 1, words.end()}};
}

DecodeOutcome DecodeSide(const std::string& page, const std::vector<std::string>& words, const std::string& where,
                         std::ostream& err) {
  try {
    return DecodeWords(page, words);
  } catch (const std::invalid_argument& error) {
    err << "ostrolen-cli: " << where << error.what() << '\n';
    throw Stopped{};
  }
}

// Compares one pair and prints its records. Returns the exit status.
int CompareOnce(const std::string& page, const WordPair& pair, const std::string& where, std::ostream& out,
                std::ostream& err) {
  DecodeOutcome before;
  DecodeOutcome after;
  try {
    before = DecodeSide(page, pair.before, where + "old words: ", err);
    after = DecodeSide(page, pair.after, where + "new words: ", err);
  } catch (const Stopped&) {
    return 2;
  }
  if (before.settings.size() != after.settings.size()) {
    err << "ostrolen-cli: " << where << "the old words fill " << before.settings.size() << " box(es) of " << page
        << " and the new words " << after.settings.size() << ": compare takes as many of each\n";
    return 2;
  }
  if (before.error || after.error) {
    if (before.error) err << "ostrolen-cli: " << where << "old words: " << *before.error << '\n';
    if (after.error) err << "ostrolen-cli: " << where << "new words: " << *after.error << '\n';
    return 2;
  }
  for (const std::string& report : before.reports)
    err << where << "old words: " << shell::kReportCaption << ": " << report << '\n';
  for (const std::string& report : after.reports)
    err << where << "new words: " << shell::kReportCaption << ": " << report << '\n';
  const std::vector<ComparedLine> lines = CompareLines(before.lines, after.lines);
  for (const ComparedLine& line : lines) {
    out << static_cast<char>(line.change) << '\t' << EscapeField(line.text);
    if (line.change == Change::Changed) out << '\t' << EscapeField(line.old_text);
    out << '\n';
  }
  return AllSame(lines) ? 0 : 1;
}

// Each line of `in` is one pair, OLD... -- NEW...
int CompareLinesOf(const std::string& page, std::istream& in, std::ostream& out, std::ostream& err) {
  int status = 0;
  bool first = true;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::vector<std::string> words = WordsOfLine(line);
    if (words.empty()) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    WordPair pair;
    try {
      if (!IsValidUtf8(line)) throw UsageError{"the line is not valid UTF-8"};
      pair = SplitAtSeparator(words);
    } catch (const UsageError& error) {
      err << "ostrolen-cli: " << where << error.message << '\n';
      status = 2;
      continue;
    }
    std::ostringstream records;
    const int one = CompareOnce(page, pair, where, records, err);
    status = std::max(status, one);
    if (one != 2) {
      if (!first) out << '\n';
      first = false;
      out << records.str();
    }
    out.flush();
  }
  return status;
}

}  // namespace

std::string CompareUsage() {
  return "usage: ostrolen-cli compare PAGE OLD-WORD... -- NEW-WORD...\n"
         "       ostrolen-cli compare PAGE -\n"
         "\n"
         "Decodes the old words and the new words on PAGE as decode does (the same\n"
         "pages and words, see ostrolen-cli decode --help) and prints the two results\n"
         "line by line, one record a line, fields separated by TAB:\n"
         "  =  TEXT             a line of both decodes\n"
         "  ~  NEW-TEXT  OLD-TEXT  the same field, another value\n"
         "  +  TEXT             a line of the new decode only\n"
         "  -  TEXT             a line of the old decode only, where it stood\n"
         "Lines of the АХ pages and of the converter are the same line when they show\n"
         "the same field (or group of boxes), lines of the fault pages when they come\n"
         "from the same entry (word and bit), other lines when their texts are the same. The =, ~ and + records give "
         "the new\n"
         "decode's lines in order, the =, ~ (its second text) and - records the old\n"
         "decode's. Texts are escaped as press records are.\n"
         "Both sides must fill as many boxes. Reports go to standard error as\n"
         "\"old words: " +
         std::string(shell::kReportCaption) + ": TEXT\" or \"new words: " + std::string(shell::kReportCaption) +
         ": TEXT\".\n"
         "With -, each line of standard input is one pair, OLD-WORD... -- NEW-WORD...;\n"
         "the records of consecutive lines are separated by an empty line and each\n"
         "message on standard error names its line.\n"
         "Exit status: 0 when nothing differs, 1 when something does, 2 for a usage\n"
         "error or a decode that stops with an error (its message on standard error);\n"
         "with -, the highest status of its lines.\n"
         "\n"
         "Examples:\n"
         "  ostrolen-cli compare word-to-bits 271A6 -- 371A6\n"
         "  ostrolen-cli compare sko 271A6 -- 273A6\n"
         "  ostrolen-cli compare rko 00359 362C5 -- 00359 362C4\n"
         "  ostrolen-cli compare uvp 0075 003F -- 0035 003F\n"
         "  ostrolen-cli compare puu 0100 8001 -- 0100 8000\n"
         "  ostrolen-cli compare usk1 00012 3 A5F0 -- 00012 3 A5F1\n"
         "  ostrolen-cli compare segment 12 1 -- 12 2\n"
         "  printf '0075 003F -- 0035 003F\\n0035 003F -- 0035 003F\\n' | ostrolen-cli compare uvp -\n";
}

int RunCompareCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  // args[0] is "compare".
  if (args.size() >= 2 && (args[1] == "--help" || args[1] == "-h")) {
    out << CompareUsage();
    return 0;
  }
  if (args.size() < 2) {
    err << "ostrolen-cli: 'compare' needs a page name (see ostrolen-cli compare --help)\n";
    return 2;
  }
  const std::string& page = args[1];
  const std::vector<std::string> names = DecodePageNames();
  if (std::find(names.begin(), names.end(), page) == names.end()) {
    err << "ostrolen-cli: no page named '" << page << "' (see ostrolen-cli decode --help)\n";
    return 2;
  }
  const std::vector<std::string> words(args.begin() + 2, args.end());
  if (words.size() == 1 && words[0] == "-") return CompareLinesOf(page, in, out, err);
  int status = 0;
  try {
    status = CompareOnce(page, SplitAtSeparator(words), "", out, err);
  } catch (const UsageError& error) {
    err << "ostrolen-cli: " << error.message << '\n';
    return 2;
  }
  out.flush();
  return status;
}

}  // namespace ostrolen

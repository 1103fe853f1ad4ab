// ostrolen-cli: runs the window's page handlers without a display.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/explain.h"
#include "core/utf8.h"

namespace ostrolen {

// Runs one command line (without the program name). Returns the exit status.
// `decode PAGE -` reads its words from `in`.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
// The same, reading standard input.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The pages `decode` knows, in the window's tab order.
std::vector<std::string> DecodePageNames();

// The box texts that `decode PAGE WORD...` types in before its press.
// Throws std::invalid_argument with a one-line message for a usage error.
std::vector<std::pair<std::string, std::string>> DecodeSettings(const std::string& page,
                                                                const std::vector<std::string>& words);

// What `decode PAGE WORD...` ends with, on a fresh window.
struct DecodeOutcome {
  std::vector<std::pair<std::string, std::string>> settings;  // the box texts typed in
  std::vector<std::string> reports;                           // the "Ошибка!!!" reports, in order
  std::optional<std::string> error;                           // the common error box's text
  // The lines decode prints; on the converter each group of boxes is a
  // line whose field is the group's number.
  std::vector<SourcedLine> lines;
};

// Decodes `words` on `page` as `decode` does. Throws std::invalid_argument
// with a one-line message for an unknown page or a usage error.
DecodeOutcome DecodeWords(const std::string& page, const std::vector<std::string>& words);

// The words of one line of standard input: separated by blanks, TABs and
// carriage returns.
std::vector<std::string> WordsOfLine(const std::string& line);

// One `press BUTTON [NAME=TEXT ...]` group of a command line.
struct PressGroup {
  std::string button;
  std::vector<std::pair<std::string, std::string>> settings;
};

// The press groups of `args` (which start with "press"). Throws
// std::invalid_argument with a one-line message for a usage error.
std::vector<PressGroup> ParsePressGroups(const std::vector<std::string>& args);

}  // namespace ostrolen

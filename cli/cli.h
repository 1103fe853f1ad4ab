// ostrolen-cli: runs the window's page handlers without a display.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/explain.h"
#include "core/utf8.h"
#include "pages/decode.h"

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

// Decodes `words` on `page` as `decode` does. Throws std::invalid_argument
// with a one-line message for an unknown page or a usage error.
DecodeOutcome DecodeWords(const std::string& page, const std::vector<std::string>& words);

// One `press BUTTON [NAME=TEXT ...]` group of a command line.
struct PressGroup {
  std::string button;
  std::vector<std::pair<std::string, std::string>> settings;
};

// The press groups of `args` (which start with "press"). Throws
// std::invalid_argument with a one-line message for a usage error.
std::vector<PressGroup> ParsePressGroups(const std::vector<std::string>& args);

}  // namespace ostrolen

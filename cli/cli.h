// ostrolen-cli: runs the window's page handlers without a display.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ostrolen {

// Runs one command line (without the program name). Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A field of an output record: backslash, TAB, line feed and carriage
// return escaped, everything else as it is.
std::string EscapeField(const std::string& text);

}  // namespace ostrolen

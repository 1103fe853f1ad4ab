#include "cli/cli.h"

#include "core/shell.h"

#include <iostream>
#include <ostream>

namespace ostrolen {

int RunPressCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDecodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
std::string DecodeUsage();
int RunEncodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string EncodeUsage();
int RunCompareCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
std::string CompareUsage();
int RunFindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string FindUsage();
int RunTableCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
std::string TableUsage();

namespace {

std::string Usage() {
  return std::string(
             "usage: ostrolen-cli press BUTTON [NAME=TEXT ...] [press BUTTON [NAME=TEXT ...] ...]\n"
             "\n"
             "Runs the window's page buttons without a display, as one window session.\n"
             "Each 'press BUTTON' group sets the named input boxes, in order, and presses\n"
             "the button (a control name such as SpeedButton14). Output, one record a line,\n"
             "fields separated by TAB:\n"
             "  press  BUTTON        the press\n"
             "  report TEXT          an input error report (\"") +
         std::string(shell::kReportCaption) +
         "\"), answered OK\n"
         "  error  TEXT          the common error box, answered OK\n"
         "  box    NAME  TEXT    a box whose text the press changed\n"
         "  line   TEXT          a line of the pressed page's result list\n"
         "Backslash, TAB, line feed and carriage return are written \\\\, \\t, \\n, \\r;\n"
         "the other control characters (below U+0020, and DEL) as \\x and two hex\n"
         "digits, such as \\x1B for ESC; the C1 controls (U+0080 to U+009F, NEL among\n"
         "them) and the line and paragraph separators as \\u and four hex digits, such\n"
         "as \\u0085 and \\u2028. Every other character is written as it is.\n"
         "Usage errors exit with status 2; otherwise the status is 0.\n"
         "\n"
         "Example:\n"
         "  ostrolen-cli press SpeedButton1 Edit1=7 Edit2=7 Edit3=3 Edit4=F Edit5=F\n"
         "\n";
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << Usage() << DecodeUsage() << '\n'
        << EncodeUsage() << '\n'
        << CompareUsage() << '\n'
        << FindUsage() << '\n'
        << TableUsage();
    return 0;
  }
  if (!args.empty() && args[0] == "press") return RunPressCommand(args, out, err);
  if (!args.empty() && args[0] == "decode") return RunDecodeCommand(args, in, out, err);
  if (!args.empty() && args[0] == "encode") return RunEncodeCommand(args, out, err);
  if (!args.empty() && args[0] == "compare") return RunCompareCommand(args, in, out, err);
  if (!args.empty() && args[0] == "find") return RunFindCommand(args, out, err);
  if (!args.empty() && args[0] == "table") return RunTableCommand(args, in, out, err);
  err << "ostrolen-cli: expected 'press BUTTON ...', 'decode PAGE WORD...', 'encode PAGE ...', 'compare PAGE ...', "
         "'find TEXT' or 'table PAGE ...' (see ostrolen-cli --help)\n";
  return 2;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunCli(args, std::cin, out, err);
}

}  // namespace ostrolen

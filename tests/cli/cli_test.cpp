// ostrolen-cli as a script sees it: records, escaping, exit statuses.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace ostrolen {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Cli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(Cli, PrintsTheChangedBoxesInNumberOrder) {
  const Outcome run = Cli({"press", "SpeedButton1", "Edit1=7", "Edit2=7", "Edit3=3", "Edit4=F", "Edit5=F"});
  std::string expected = "press\tSpeedButton1\n";
  for (int n = 6; n <= 21; ++n) expected += "box\tEdit" + std::to_string(n) + "\t1\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
}

TEST(Cli, RecordsMessagesBeforeBoxesAndKeepsStateBetweenPresses) {
  const Outcome run = Cli({"press", "SpeedButton1", "Edit1=8", "Edit3=4", "press", "SpeedButton2", "press",
                           "SpeedButton4", "Edit27=0", "Edit28=G"});
  EXPECT_EQ(
      run.out,
      "press\tSpeedButton1\n"
      "report\tПервый знак должен быть не более 7!\n"
      "report\tТретий знак должен быть не более 3!\n"
      "box\tEdit2\t0\n"
      "box\tEdit4\t0\n"
      "box\tEdit5\t0\n" +
          [] {
            std::string bits;
            for (int n = 6; n <= 21; ++n) bits += "box\tEdit" + std::to_string(n) + "\t0\n";
            return bits;
          }() +
          // The second press starts from what the first one left: all bits 0.
          "press\tSpeedButton2\n"
          "box\tEdit1\t0\n"
          "box\tEdit3\t0\n"
          "press\tSpeedButton4\n"
          "error\t'0G' is not a valid integer value.\n"
          "box\tEdit29\t0\n"
          "box\tEdit30\t0\n"
          "box\tEdit31\t0\n"
          "box\tEdit32\t0\n"
          "box\tEdit33\t0\n");
}

TEST(Cli, BoxesSetByTheGroupItselfAreNotChanges) {
  const Outcome run = Cli({"press", "SpeedButton8", "Edit29=5", "Edit30=0", "Edit31=1", "Edit32=0", "Edit33=1"});
  EXPECT_EQ(run.out,
            "press\tSpeedButton8\n"
            "box\tEdit27\t0\n"
            "box\tEdit28\t5\n");
}

TEST(Cli, EscapesWhatATerminalWouldMangle) {
  EXPECT_EQ(EscapeField("a\\b\tc\nd\re  "), "a\\\\b\\tc\\nd\\re  ");
  const Outcome tab = Cli({"press", "SpeedButton8", "Edit29=\t"});
  EXPECT_NE(tab.out.find("error\t'$\\t' is not a valid integer value.\n"), std::string::npos) << tab.out;
  const Outcome backslash = Cli({"press", "SpeedButton1", "Edit5=\\"});
  EXPECT_NE(backslash.out.find("error\t'$\\\\' is not a valid integer value.\n"), std::string::npos) << backslash.out;
}

TEST(Cli, UsageErrorsRunNothingAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"press"},
      {"Edit1=7", "press", "SpeedButton1"},
      {"press", "SpeedButton99"},
      {"press", "speedbutton1"},
      {"press", "Edit1"},
      {"press", "SpeedButton1", "Edit341=1"},
      {"press", "SpeedButton1", "Edit1"},
      {"press", "SpeedButton1", "Edit1=77"},
      {"press", "SpeedButton1", "Edit1=\xD0"},
      {"press", "SpeedButton1", "=1"},
      {"press", "SpeedButton1", "press"},
      {"frobnicate"},
  };
  for (const auto& args : cases) {
    const Outcome run = Cli(args);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, "") << ::testing::PrintToString(args);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  }
}

TEST(Cli, LengthsCountCharactersAndTextsMayBeEmpty) {
  EXPECT_EQ(Cli({"press", "SpeedButton1", "Edit1=Ж"}).status, 0);
  const Outcome run = Cli({"press", "SpeedButton1", "Edit1=", "Edit1=7=", "Edit1="});
  EXPECT_EQ(run.status, 2) << "'7=' is two characters";
  EXPECT_EQ(Cli({"press", "SpeedButton1", "Edit1=", "Edit1=="}).status, 0) << "'=' is the text";
}

TEST(Cli, HelpDescribesTheRunner) {
  const Outcome run = Cli({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("ostrolen-cli press BUTTON"), std::string::npos);
}

// The program itself: exit statuses and output streams.
Outcome Process(const std::string& args) {
  const testing::ProcessRun run = testing::RunShell(std::string(OSTROLEN_CLI_PATH) + " " + args + " 2>/dev/null");
  return {run.status, run.out, {}};
}

TEST(CliProgram, ExitStatuses) {
  const Outcome ok = Process("press SpeedButton1 Edit1=7 Edit2=7 Edit3=3 Edit4=F Edit5=F");
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out.rfind("box\tEdit21\t1\n"), ok.out.size() - 13);
  EXPECT_EQ(Process("press SpeedButton8 Edit29=G").status, 0) << "an error box is no usage error";
  const Outcome bad = Process("press Edit341");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
}

}  // namespace
}  // namespace ostrolen

// The frame's texts, colours and version have one home, core/shell.h: a
// second spelling of one of them anywhere in the sources is a text that can
// drift from the first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/shell.h"

namespace ostrolen {
namespace {

namespace fs = std::filesystem;

fs::path Root() {
  const char* root = std::getenv("OSTROLEN_SOURCE_DIR");
  return root != nullptr ? root : ".";
}

// The file without its comments, so that a comment may name a text.
std::string Code(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream whole;
  whole << in.rdbuf();
  const std::string all = whole.str();
  std::string text;
  // Comments dropped; a "//" inside a quoted text (an address) is kept.
  bool quoted = false;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (!quoted && all.compare(i, 2, "/*") == 0) {
      i = std::min(all.find("*/", i + 2), all.size()) + 1;
      continue;
    }
    if (!quoted && all.compare(i, 2, "//") == 0 && (i == 0 || all[i - 1] != ':')) {
      i = std::min(all.find('\n', i), all.size()) - 1;
      continue;
    }
    if (all[i] == '"' && (i == 0 || all[i - 1] != '\\')) quoted = !quoted;
    if (all[i] == '\n') quoted = false;
    text += all[i];
  }
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);  // colours in either case
  return text;
}

std::vector<fs::path> Sources() {
  std::vector<fs::path> files;
  for (const char* folder : {"core", "pages", "app", "cli", "web", "bench", "tools"}) {
    for (const auto& entry : fs::recursive_directory_iterator(Root() / folder)) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".cpp" || ext == ".h" || ext == ".js" || ext == ".mjs" || ext == ".css" || ext == ".html") {
        files.push_back(entry.path());
      }
    }
  }
  return files;
}

TEST(ShellTexts, EachStandsInOneSourceFileOnly) {
  const std::vector<std::string> texts = {std::string(shell::kExitCommand),
                                          std::string(shell::kAboutCommand),
                                          std::string(shell::kAboutLine),
                                          std::string(shell::kReportCaption),
                                          std::string(shell::kCancel),
                                          std::string(shell::kCopyLines),
                                          std::string(shell::kEditNumber),
                                          std::string(shell::kUndoChange),
                                          std::string(shell::kChooseDatabase),
                                          std::string(shell::kChosenDatabase),
                                          std::string(shell::kSampleDatabase),
                                          std::string(shell::kNoFileChosen),
                                          std::string(shell::kSearchPrompt),
                                          std::string(shell::kSearchNone),
                                          "\"" + std::string(shell::kFormMenu) + "\"",
                                          "v." + std::string(shell::kVersion),
                                          shell::ColourText(shell::kExplainColour).substr(1),
                                          shell::ColourText(shell::kWindowFace).substr(1),
                                          shell::ColourText(shell::kBoxBackground).substr(1),
                                          "0xFF, 0xE3, 0x8C",
                                          "0xD4, 0xD0, 0xC8",
                                          "0xD8, 0xE4, 0xF8"};
  const std::vector<fs::path> sources = Sources();
  ASSERT_GT(sources.size(), 50U);
  for (std::string text : texts) {
    for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    std::vector<std::string> holders;
    for (const fs::path& file : sources) {
      if (Code(file).find(text) != std::string::npos) holders.push_back(fs::relative(file, Root()).string());
    }
    // The definitions themselves are in core/shell.h (a colour only as its three parts).
    for (const std::string& holder : holders) EXPECT_EQ(holder, "core/shell.h") << text;
  }
}

TEST(ShellTexts, TheVersionIsTheProjects) {
  std::ifstream in(Root() / "CMakeLists.txt");
  std::stringstream whole;
  whole << in.rdbuf();
  std::smatch match;
  const std::string text = whole.str();
  ASSERT_TRUE(std::regex_search(text, match, std::regex(R"(project\(ostrolen VERSION ([0-9.]+))")));
  EXPECT_EQ(std::string(shell::kVersion), match[1].str());
  EXPECT_EQ(std::string(shell::kAboutLine), "Ostrolen v." + match[1].str());
}

TEST(ShellTexts, TheTitleComesFromTheProgramsName) {
  EXPECT_EQ(shell::ApplicationTitle("/usr/bin/ostrolen"), "ostrolen");
  EXPECT_EQ(shell::ApplicationTitle("/opt/VELTRA.EXE"), "Veltra");
  EXPECT_EQ(shell::ApplicationTitle("Ostrolen.v1.exe"), "Ostrolen");
  EXPECT_EQ(shell::ApplicationTitle("/x/ОСТРОЛЕН"), "Остролен");
  EXPECT_EQ(shell::ApplicationTitle("ostrolen.html"), "ostrolen");
  EXPECT_EQ(shell::ApplicationTitle(""), "");
  EXPECT_EQ(shell::ColourText(shell::kExplainColour), "#FFE38C");
}

}  // namespace
}  // namespace ostrolen

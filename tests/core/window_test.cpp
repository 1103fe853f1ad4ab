#include "core/window.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "core/conversions.h"

namespace ostrolen {
namespace {

// A window of a few boxes that logs what reaches it.
class LogWindow : public Window {
 public:
  std::string Text(std::string_view box) const override { return boxes.at(std::string(box)); }
  void SetText(std::string_view box, std::string_view text) override {
    boxes[std::string(box)] = text;
    log.push_back("set " + std::string(box));
  }
  void ClearList(std::string_view) override { log.emplace_back("clear"); }
  void AppendLine(std::string_view, std::string_view line) override { log.push_back("line " + std::string(line)); }
  void InputErrorReport(std::string_view text) override { log.push_back("report " + std::string(text)); }
  void ShowError(std::string_view text) override { log.push_back("error " + std::string(text)); }

  std::map<std::string, std::string> boxes;
  std::vector<std::string> log;
};

TEST(FillEmptyBoxes, FillsOnlyExactlyEmptyBoxesInOrder) {
  LogWindow w;
  w.boxes = {{"A", ""}, {"B", "0"}, {"C", " "}, {"D", ""}};
  FillEmptyBoxes(w, {"D", "A", "B", "C"}, "00000");
  EXPECT_EQ(w.boxes, (std::map<std::string, std::string>{{"A", "00000"}, {"B", "0"}, {"C", " "}, {"D", "00000"}}));
  EXPECT_EQ(w.log, (std::vector<std::string>{"set D", "set A"}));
}

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorBoxText("'$G' is not a valid integer value"), "'$G' is not a valid integer value.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("What?"), "What?.");
  EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");  // '!' sorts before '.'
  EXPECT_EQ(ErrorBoxText("(a)"), "(a)");      // ')' too
  EXPECT_EQ(ErrorBoxText("Нет файла"), "Нет файла.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(RunGuarded, ShowsTheErrorAndKeepsWhatWasWritten) {
  LogWindow w;
  w.boxes = {{"A", ""}};
  RunGuarded(w, [](Window& window) {
    window.SetText("A", "1");
    HexValue("G");
    window.SetText("A", "2");
  });
  EXPECT_EQ(w.boxes.at("A"), "1");
  EXPECT_EQ(w.log, (std::vector<std::string>{"set A", "error '$G' is not a valid integer value."}));
  RunGuarded(w, [](Window&) { throw std::runtime_error("Invalid variant type conversion"); });
  EXPECT_EQ(w.log.back(), "error Invalid variant type conversion.");
  RunGuarded(w, nullptr);  // a button with no handler yet does nothing
  EXPECT_EQ(w.log.size(), 3u);
  // A NUL character in a box does not cut the message short.
  RunGuarded(w, [](Window&) { HexValue(std::string_view("\0", 1)); });
  EXPECT_EQ(w.log.back(), std::string("error '$\0' is not a valid integer value.", 40));
}

}  // namespace
}  // namespace ostrolen

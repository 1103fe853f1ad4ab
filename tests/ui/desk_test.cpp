// The window on the desk as the controller holds it for both editions: the
// zoom's steps within what the screen holds, the keys, the look chosen or
// the desktop's, on top and the compact view, each change told once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/quiet.h"
#include "ui/controller.h"
#include "ui/desk.h"
#include "ui/wire.h"

namespace ostrolen::ui {
namespace {

Key CtrlText(std::string text) {
  Key key;
  key.code = Key::Code::Character;
  key.text = std::move(text);
  key.ctrl = true;
  return key;
}

int DeskEffects(Controller& c) {
  int n = 0;
  for (const Effect& effect : c.TakeEffects()) n += effect.kind == Effect::Kind::Desk ? 1 : 0;
  return n;
}

TEST(Desk, ZoomGoesByItsStepsAndNeverPastTheScreen) {
  // Up and down through every step, from each step and from between them.
  for (std::size_t i = 0; i < kZoomSteps.size(); ++i) {
    const int step = kZoomSteps[i];
    EXPECT_EQ(NextZoom(step, 1), kZoomSteps[std::min(i + 1, kZoomSteps.size() - 1)]) << step;
    EXPECT_EQ(NextZoom(step, -1), kZoomSteps[i == 0 ? 0 : i - 1]) << step;
    EXPECT_EQ(NextZoom(step, 0), step);
    EXPECT_EQ(NextZoom(step + 1, 1), i + 1 < kZoomSteps.size() ? kZoomSteps[i + 1] : kZoomSteps.back()) << step;
    EXPECT_EQ(NextZoom(step + 1, -1), step) << step;
    EXPECT_EQ(NextZoom(step + 1, 0), step) << step;
  }
  EXPECT_EQ(NextZoom(40, 0), 100);
  EXPECT_EQ(NextZoom(900, 0), 200);
  // A screen that holds 160 %: 150 at most, and a kept 200 comes down to it.
  EXPECT_EQ(NextZoom(150, 1, 160), 150);
  EXPECT_EQ(NextZoom(200, 0, 160), 150);
  EXPECT_EQ(NextZoom(100, 1, 60), 100);
}

TEST(Desk, TheKeysZoomAndSwitchTheCompactView) {
  Controller c(Quiet());
  c.TakeEffects();
  ASSERT_TRUE(c.KeyIn(CtrlText("=")));
  EXPECT_EQ(c.DeskNow().zoom, 110);
  ASSERT_TRUE(c.KeyIn(CtrlText("+")));
  EXPECT_EQ(c.DeskNow().zoom, 125);
  EXPECT_EQ(DeskEffects(c), 2);
  ASSERT_TRUE(c.KeyIn(CtrlText("-")));
  EXPECT_EQ(c.DeskNow().zoom, 110);
  ASSERT_TRUE(c.KeyIn(CtrlText("0")));
  EXPECT_EQ(c.DeskNow().zoom, 100);
  // At the smallest step: the key is taken, nothing changes, nothing is told.
  c.TakeEffects();
  EXPECT_TRUE(c.KeyIn(CtrlText("-")));
  EXPECT_EQ(DeskEffects(c), 0);
  // The screen shrinks under the window: the zoom comes down with it.
  for (int i = 0; i < 6; ++i) c.Zoom(1);
  EXPECT_EQ(c.DeskNow().zoom, 200);
  c.LargestZoom(130);
  EXPECT_EQ(c.DeskNow().zoom, 125);
  EXPECT_FALSE(c.Zoom(1));

  EXPECT_TRUE(c.KeyIn(Ctrl('m')));
  EXPECT_TRUE(c.DeskNow().compact);
  EXPECT_TRUE(c.KeyIn(Ctrl('m')));
  EXPECT_FALSE(c.DeskNow().compact);
}

TEST(Desk, TheSearchKeyLeavesTheCompactViewForItsBox) {
  Controller c(Quiet());
  c.SetCompact(true);
  c.TakeEffects();
  EXPECT_TRUE(c.KeyIn(Ctrl('f')));
  EXPECT_FALSE(c.DeskNow().compact);
  EXPECT_EQ(c.FocusNow().control, kSearchBox);
  // The full view is drawn before the focus goes into the box.
  std::vector<Effect::Kind> kinds;
  for (const Effect& effect : c.TakeEffects()) kinds.push_back(effect.kind);
  const auto desk = std::find(kinds.begin(), kinds.end(), Effect::Kind::Desk);
  const auto focus = std::find(kinds.begin(), kinds.end(), Effect::Kind::Focus);
  ASSERT_NE(desk, kinds.end());
  ASSERT_NE(focus, kinds.end());
  EXPECT_LT(desk, focus);
  // In the full view the key only finds the box.
  c.KeyIn(Ctrl('f'));
  EXPECT_EQ(DeskEffects(c), 0);
}

TEST(Desk, ABrowserKeepsItsOwnZoomKeys) {
  Controller::Options options = Quiet();
  options.zoom_keys = false;
  Controller c(options);
  EXPECT_FALSE(c.KeyIn(CtrlText("=")));
  EXPECT_FALSE(c.KeyIn(CtrlText("-")));
  EXPECT_FALSE(c.KeyIn(CtrlText("0")));
  EXPECT_EQ(c.DeskNow().zoom, 100);
  EXPECT_TRUE(c.KeyIn(Ctrl('m')));
  EXPECT_TRUE(c.DeskNow().compact);
}

TEST(Desk, TheLookIsTheDesktopsUntilTheOperatorChoosesOne) {
  Controller c(Quiet());
  EXPECT_EQ(c.DeskNow().Shown(), Look::Light);  // a desktop that says nothing: light, as ever
  c.DesktopLook(Look::Dark);
  EXPECT_EQ(c.DeskNow().Shown(), Look::Dark);
  c.ChooseLook(Look::Light);
  EXPECT_FALSE(c.DeskNow().follow_desktop);
  EXPECT_EQ(c.DeskNow().Shown(), Look::Light);
  c.DesktopLook(Look::Light);
  c.DesktopLook(Look::Dark);
  EXPECT_EQ(c.DeskNow().Shown(), Look::Light);
  c.FollowDesktop(true);
  EXPECT_EQ(c.DeskNow().Shown(), Look::Dark);
  // No longer following: what shows stays.
  c.FollowDesktop(false);
  EXPECT_EQ(c.DeskNow().Shown(), Look::Dark);
  c.DesktopLook(Look::Light);
  EXPECT_EQ(c.DeskNow().Shown(), Look::Dark);
}

TEST(Desk, KeptSettingsComeBackThroughTheWire) {
  Controller c(Quiet());
  Wire wire(c);
  c.DesktopLook(Look::Light);
  const std::string answer =
      wire.Handle(R"({"do":"desk","zoom":160,"chosenLook":"dark","followDesktop":false,"onTop":true})", {});
  EXPECT_NE(answer.find(R"("kind":"desk")"), std::string::npos) << answer;
  EXPECT_NE(answer.find(R"("zoom":150)"), std::string::npos) << answer;
  EXPECT_NE(answer.find(R"("look":"dark")"), std::string::npos) << answer;
  EXPECT_NE(answer.find(R"("onTop":true)"), std::string::npos) << answer;
  EXPECT_NE(answer.find(R"("compact":false)"), std::string::npos) << answer;
  // A kept value not understood leaves the setting as it was.
  wire.Handle(R"({"do":"desk","chosenLook":"purple"})", {});
  EXPECT_EQ(c.DeskNow().chosen, Look::Dark);
  EXPECT_EQ(c.DeskNow().desktop, Look::Light);
}

}  // namespace
}  // namespace ostrolen::ui

// The subscriber data pages under "АХ": their boxes, lists and handlers.
#pragma once

#include <string_view>

#include "core/window.h"

namespace ostrolen {

// A page's code words: `words` rows of five boxes numbered on from `first`
// (Edit<first> is word 0 p1), and its result list.
struct AhPageControls {
  int first;
  int words;
  std::string_view list;
};

inline constexpr AhPageControls kFirstStageControls = {22, 1, "ListBox1"};
inline constexpr AhPageControls kSecondStageControls = {34, 4, "ListBox2"};
inline constexpr AhPageControls kInitialBlockControls = {54, 4, "ListBox3"};
inline constexpr AhPageControls kSkoControls = {274, 1, "ListBox7"};
inline constexpr AhPageControls kRkoControls = {279, 2, "ListBox8"};

void SpeedButton3Click(Window& window);   // first stage
void SpeedButton6Click(Window& window);   // second stage
void SpeedButton10Click(Window& window);  // third stage, initial four-word block
void SpeedButton14Click(Window& window);  // abbreviated class of service
void SpeedButton15Click(Window& window);  // extended class of service

}  // namespace ostrolen

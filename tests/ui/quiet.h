// What the controller's tests share: its options (the replay's clock, so
// that the history's times are known, and no database rows but those a test
// gives) and the keys they press.
#pragma once

#include <string>

#include "ui/controller.h"

namespace ostrolen::ui {

inline Controller::Options Quiet() {
  Controller::Options options;
  options.clock = ReplayClock();
  return options;
}

inline Key Named(Key::Code code, bool shift = false) {
  Key key;
  key.code = code;
  key.shift = shift;
  return key;
}

inline Key Ctrl(char letter) {
  Key key;
  key.code = Key::Code::Character;
  key.text = std::string(1, letter);
  key.ctrl = true;
  return key;
}

}  // namespace ostrolen::ui

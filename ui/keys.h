// How the controller reads a key: plain, or Ctrl with a letter.
#pragma once

#include "core/typing.h"

namespace ostrolen::ui {

inline bool Plain(const Key& key) { return !(key.shift || key.ctrl || key.alt || key.meta); }

// Ctrl and `letter` (a Latin small letter), whichever case the key gave.
inline bool CtrlLetter(const Key& key, char letter) {
  return key.code == Key::Code::Character && key.ctrl && !key.alt && !key.meta && !key.shift && key.text.size() == 1 &&
         (key.text[0] == letter || key.text[0] == letter - 'a' + 'A');
}

}  // namespace ostrolen::ui

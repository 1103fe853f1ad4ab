// The converter page: a value 0-15 between decimal, hexadecimal and four
// bits (upper block), and a code word to its sixteen bits and back (lower).
#pragma once

#include "core/window.h"

namespace ostrolen {

inline constexpr std::string_view kNotBinaryMessage = "Неправильный формат! Должны вводиться только 0 и 1 !";
inline constexpr std::string_view kDecimalTooLargeMessage =
    "Десятичное число не должнл быть более 15!";  // [sic] "должнл"

void SpeedButton1Click(Window& window);  // code word to bits
void SpeedButton2Click(Window& window);  // bits to code word
void SpeedButton4Click(Window& window);  // DEC to BIN and HEX
void SpeedButton5Click(Window& window);  // BIN to DEC and HEX
void SpeedButton8Click(Window& window);  // HEX to BIN and DEC
void SpeedButton9Click(Window& window);  // BIN to HEX and DEC

}  // namespace ostrolen

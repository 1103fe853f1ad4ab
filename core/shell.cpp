#include "core/shell.h"

#include <algorithm>
#include <cmath>

#include "core/utf8.h"

namespace ostrolen::shell {

std::string ColourText(Colour colour) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const std::uint8_t part : {colour.red, colour.green, colour.blue}) {
    text += kHex[part >> 4];
    text += kHex[part & 0xF];
  }
  return text;
}

namespace {

// The relative luminance of an sRGB colour.
double Luminance(Colour colour) {
  const auto linear = [](std::uint8_t part) {
    const double c = part / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}

}  // namespace

double ContrastRatio(Colour a, Colour b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::string ApplicationTitle(std::string_view program_path) {
  std::string_view name = program_path.substr(program_path.find_last_of('/') + 1);
  name = name.substr(0, name.find('.'));
  std::u32string letters = DecodeUtf8(name);
  for (std::size_t i = 1; i < letters.size(); ++i) letters[i] = FoldCase(letters[i]);
  return EncodeUtf8(letters);
}

}  // namespace ostrolen::shell

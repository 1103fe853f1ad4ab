#include "core/shell.h"

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

std::string ApplicationTitle(std::string_view program_path) {
  std::string_view name = program_path.substr(program_path.find_last_of('/') + 1);
  name = name.substr(0, name.find('.'));
  std::u32string letters = DecodeUtf8(name);
  for (std::size_t i = 1; i < letters.size(); ++i) letters[i] = FoldCase(letters[i]);
  return EncodeUtf8(letters);
}

}  // namespace ostrolen::shell

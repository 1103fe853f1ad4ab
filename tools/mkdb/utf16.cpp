#include "tools/mkdb/utf16.h"

namespace ostrolen::mkdb {

std::optional<std::u16string> ToUcs2(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
      length = 1;
      cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
      min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
      min = 0x800;
    } else {
      return std::nullopt;  // malformed, or a four-byte character beyond U+FFFF
    }
    if (i + length > utf8.size()) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto c = static_cast<unsigned char>(utf8[i + k]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    out.push_back(static_cast<char16_t>(cp));
    i += length;
  }
  return out;
}

}  // namespace ostrolen::mkdb

#include "tools/mkdb/utf16.h"

#include "core/utf8.h"

namespace ostrolen::mkdb {

std::optional<std::u16string> ToUcs2(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  std::u16string out;
  for (const char32_t c : DecodeUtf8(utf8)) {
    if (c > 0xFFFF) return std::nullopt;  // UCS-2 has no room for it
    out.push_back(static_cast<char16_t>(c));
  }
  return out;
}

}  // namespace ostrolen::mkdb

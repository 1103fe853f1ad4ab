// UTF-8 to UTF-16 for the texts and names that Jet 4 keeps as UCS-2.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ostrolen::mkdb {

// The UTF-16 of a UTF-8 text, or nullopt when the text is not well-formed
// UTF-8 or holds a character beyond U+FFFF (UCS-2 has no room for it).
std::optional<std::u16string> ToUcs2(std::string_view utf8);

}  // namespace ostrolen::mkdb

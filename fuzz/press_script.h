// The fuzz input of page_fuzz: a byte string read as a script of presses.
//
// A script is a run of records, each
//   page  button  count  (box  length  character...){count}
// where page, button and box are bytes taken modulo the number of pages, of
// that page's buttons and of that page's settable boxes, and length modulo
// the box's maximum length plus one. A character starts with a byte below
// 80 (itself), or a UTF-8 lead byte followed by as many bytes as it asks for,
// taken as they come (so malformed sequences happen); any other byte is a
// character of its own. NUL bytes are dropped (no argument or typed text
// holds one). Every byte string is a script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/layout.h"

namespace ostrolen::fuzz {

struct ScriptPress {
  const PageLayout* page = nullptr;
  const ButtonSpec* button = nullptr;
  std::vector<std::pair<const BoxSpec*, std::string>> settings;  // typed in this order
};

// The boxes of a page the operator can type into.
std::vector<const BoxSpec*> SettableBoxes(const PageLayout& page);

// The presses of a script, at most `most` of them.
std::vector<ScriptPress> DecodeScript(std::span<const std::uint8_t> bytes, std::size_t most);

// The script of one press: `button` with `settings` (box name, text).
// Throws std::invalid_argument for an unknown or read-only box or button.
std::string EncodePress(const std::string& button, const std::vector<std::pair<std::string, std::string>>& settings);

}  // namespace ostrolen::fuzz

// The accessible names of a page's controls, made from the page's
// declaration: what a screen reader says for each box, button and list, the
// same in the window and in the browser.
#pragma once

#include <map>
#include <string>

#include "core/layout.h"

namespace ostrolen {

// The accessible name of every box, list and button of the page, by control
// name: a word's boxes by word and position ("Слово 0, позиция 4 (до F)"),
// bit rows by row, word and bit, other boxes by the title of their row.
std::map<std::string, std::string> AccessibleNames(const PageLayout& page);

}  // namespace ostrolen

// The page tree of the window and the lookups over it.
#pragma once

#include <string_view>
#include <vector>

#include "core/layout.h"
#include "core/window.h"

namespace ostrolen {

// Each page folder declares its own page.
const PageLayout& ConverterPage();
const PageLayout& FirstStagePage();
const PageLayout& SecondStagePage();
const PageLayout& InitialBlockPage();
const PageLayout& SkoPage();
const PageLayout& RkoPage();
const PageLayout& UvpPage();
const PageLayout& BgPage();
const PageLayout& VvkPage();
const PageLayout& PuuPage();
const PageLayout& UskPage();
const PageLayout& SegmentsPage();

// The top-level tab set, PageControl1, with every page under it.
const TabNode& PageTree();

// Every leaf page, in tab order.
const std::vector<const PageLayout*>& AllPages();

struct BoxOnPage {
  const BoxSpec* box = nullptr;
  const PageLayout* page = nullptr;
};
struct ButtonOnPage {
  const ButtonSpec* button = nullptr;
  const PageLayout* page = nullptr;
};

// By exact, case-sensitive control name; {} when no control has the name.
BoxOnPage FindBox(std::string_view name);
ButtonOnPage FindButton(std::string_view name);
// The page whose result list has that name; nullptr when none has.
const PageLayout* FindPageOfList(std::string_view list);

// Presses a page button: runs its handler under the common error handler.
// False when no button has that name.
bool Press(Window& window, std::string_view button);

}  // namespace ostrolen

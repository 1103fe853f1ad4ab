// The tab sets as a screen reader meets them: each tab a page tab that says
// whether it is the chosen one, which Qt's own tab bar leaves unsaid.
#pragma once

namespace ostrolen {

// Makes every tab bar of the application answer through the interface
// below; once is enough, more calls do nothing.
void DescribeTabBars();

}  // namespace ostrolen

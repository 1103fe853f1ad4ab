// The search box of both front ends, apart from any widgets: what the list
// under the box shows for what is typed, and what choosing one of its lines
// does to the window. The window and the browser page only draw the list
// and carry out the action.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"
#include "core/layout.h"
#include "core/window.h"
#include "pages/interaction.h"
#include "pages/search/search.h"

namespace ostrolen {

// The tables' entries and those of the database's last listing together.
class SearchIndex {
 public:
  // Takes the rows of `listing` in place of the last ones.
  void SetRows(const RowListing& listing);
  // The matches of `typed`, best first (FindMatches).
  std::vector<SearchMatch> Find(std::string_view typed) const;
  const std::string& Problem() const { return problem_; }
  std::size_t RowEntryCount() const { return rows_.size(); }

 private:
  std::vector<SearchEntry> rows_;
  std::string problem_;
};

// What the list under the search box shows: a line per match, at most
// shell::kSearchListLines of them, and above them, when the database's rows
// could not be read whole, the one line that says why.
struct SearchList {
  std::string problem;               // empty: the rows were read
  std::vector<std::string> lines;    // "text — page", best first
  std::vector<SearchMatch> matches;  // the match of each line
  std::size_t total = 0;             // every match, shown or not
};
SearchList ListOf(const SearchIndex& index, std::string_view typed);

// One line of the list: the text, and the tab the match goes to (for a
// database row with its segment and step).
std::string MatchLine(const SearchEntry& entry);

// The page on a tab sheet; nullptr for none.
const PageLayout* PageOfSheet(std::string_view sheet);

// Choosing a match: its action, worked out with the words the value's page
// holds now (none: zeros), and its boxes written into `window`. For a value
// the change is kept so that Ctrl+Z on its page takes it back, as a change
// made from a line is. The caller shows the sheet, presses the button and
// then selects the line LineOfMatch gives.
struct ChosenMatch {
  MatchAction action;
  std::optional<LineChange> change;
};
ChosenMatch WriteMatch(Window& window, const SearchEntry& entry);

// The line to select after the action, among the list's lines (their texts
// and origins, a line without one as nullptr): the field's line or the
// fault's line; -1 for none.
int LineOfMatch(const MatchAction& action, std::span<const std::string> lines,
                std::span<const LineOrigin* const> origins);

}  // namespace ostrolen

#include "pages/search/choose.h"

#include <algorithm>

#include "core/shell.h"
#include "pages/pages.h"

namespace ostrolen {
namespace {

// The node of the page tree whose sheet is `sheet`; nullptr for none.
const TabNode* NodeOfSheet(const TabNode& node, std::string_view sheet) {
  if (node.sheet == sheet) return &node;
  for (const TabNode& child : node.children) {
    if (const TabNode* found = NodeOfSheet(child, sheet)) return found;
  }
  return nullptr;
}

}  // namespace

void SearchIndex::SetRows(const RowListing& listing) {
  rows_ = RowEntries(listing);
  problem_ = listing.problem;
}

std::vector<SearchMatch> SearchIndex::Find(std::string_view typed) const {
  return FindMatches(typed, TableEntries(), rows_);
}

SearchList ListOf(const SearchIndex& index, std::string_view typed) {
  SearchList list;
  list.problem = index.Problem();
  std::vector<SearchMatch> matches = index.Find(typed);
  list.total = matches.size();
  if (matches.size() > shell::kSearchListLines) matches.resize(shell::kSearchListLines);
  list.lines.reserve(matches.size());
  for (const SearchMatch& match : matches) list.lines.push_back(MatchLine(*match.entry));
  list.matches = std::move(matches);
  return list;
}

std::string MatchLine(const SearchEntry& entry) {
  std::string line = entry.text;
  line += shell::kSearchPlaceSeparator;
  if (const TabNode* node = NodeOfSheet(PageTree(), ActionOf(entry).sheet)) line += node->caption;
  if (entry.kind == MatchKind::Segment) line += " " + MatchWhere(entry);
  return line;
}

const PageLayout* PageOfSheet(std::string_view sheet) {
  const TabNode* node = NodeOfSheet(PageTree(), sheet);
  return node != nullptr ? node->page : nullptr;
}

ChosenMatch WriteMatch(Window& window, const SearchEntry& entry) {
  ChosenMatch chosen;
  std::vector<std::uint16_t> current;
  if (entry.kind == MatchKind::Value) current = WordsOnPage(window, *entry.compose).value_or(current);
  chosen.action = ActionOf(entry, current);
  if (entry.kind == MatchKind::Value) {
    LineChange change;
    for (const auto& [name, text] : chosen.action.boxes) change.before.emplace_back(name, window.Text(name));
    change.button = chosen.action.button;
    change.line_field = chosen.action.field;
    chosen.change = std::move(change);
  }
  for (const auto& [name, text] : chosen.action.boxes) window.SetText(name, text);
  return chosen;
}

int LineOfMatch(const MatchAction& action, std::span<const std::string> lines,
                std::span<const LineOrigin* const> origins) {
  if (action.field >= 0) return LineOfField(origins, action.field);
  if (action.line.empty()) return -1;
  const auto found = std::find(lines.begin(), lines.end(), action.line);
  return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

}  // namespace ostrolen

// The find command: from a meaning to where it is. Every field label and
// value of the "АХ" pages, every fault table entry, the "УСК" report texts
// and the rows of dbveltra.mdb in the current folder are searched for the
// text; each match is one record.
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/utf8.h"
#include "pages/search/search.h"
#include "reader/database.h"

namespace ostrolen {

std::string FindUsage() {
  return "usage: ostrolen-cli find TEXT\n"
         "\n"
         "Lists where TEXT stands: in the field labels and value texts of the АХ pages,\n"
         "the fault tables of УВП, БГ, ВВК and ПУУ, the texts of the УСК reports and\n"
         "the rows of dbveltra.mdb in the current folder. Letter case is ignored, ё is\n"
         "е, and Latin letters that look like Cyrillic ones match them (\"C\" and \"С\").\n"
         "Several words are one text, joined by a blank. One match a line, fields\n"
         "separated by TAB:\n"
         "  PAGE KIND WHERE TEXT\n"
         "PAGE is the page as decode names it; KIND is field, value, fault, usk or\n"
         "segment; WHERE is a field's bits (x) as encode --fields writes them, the bits\n"
         "and values that show a value or a fault as decode --explain writes them, a\n"
         "УСК text's button, or a row's segment and step. TEXT is escaped as press\n"
         "records are. The best matches come first: the whole text, then its start,\n"
         "then a word's start, then anywhere; then in the window's tab order, the\n"
         "database's rows last. A database that cannot be read is named in one line on\n"
         "standard error, and the other matches are listed. Exit status 0 with\n"
         "matches, 1 with none, 2 for a usage error.\n"
         "\n"
         "Example:\n"
         "  ostrolen-cli find 'бв 01-60'\n";
}

int RunFindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  // args[0] is "find".
  if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
    out << FindUsage();
    return 0;
  }
  std::string text;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (i > 1) text += ' ';
    text += args[i];
  }
  if (!IsValidUtf8(text)) {
    err << "ostrolen-cli: the text to find is not valid UTF-8\n";
    return 2;
  }
  if (FoldForSearch(text).empty()) {
    err << "ostrolen-cli: 'find' needs a text to find (see ostrolen-cli find --help)\n";
    return 2;
  }
  RowCache cache;
  const RowListing& listing = cache.Rows(std::string(kDatabaseFile));
  if (!listing.problem.empty()) err << "ostrolen-cli: " << listing.problem << '\n';
  const std::vector<SearchEntry> rows = RowEntries(listing);
  const std::vector<SearchMatch> matches = FindMatches(text, TableEntries(), rows);
  for (const SearchMatch& match : matches) {
    const SearchEntry& entry = *match.entry;
    out << entry.page << '\t' << MatchKindName(entry.kind) << '\t' << EscapeField(MatchWhere(entry)) << '\t'
        << EscapeField(entry.text) << '\n';
  }
  return matches.empty() ? 1 : 0;
}

}  // namespace ostrolen

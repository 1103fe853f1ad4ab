// Search from a meaning to the word that shows it: one index over every
// field label and value text of the "АХ" pages, every fault table entry,
// the "УСК" report texts and the rows of the reference database. The index
// is built from the declarations; no page is run to read its output back.
//
// Matching folds both sides: letter case is ignored, "ё" is "е", and the
// Latin letters that look like Cyrillic ones (a, b, c, e, h, k, m, o, p,
// t, x, y) are those Cyrillic letters, since the tables mix them. Blanks
// at either end of what is typed are dropped and a run of blanks is one.
// A match is the typed text anywhere in an entry's folded text. Matches
// come best first: the whole text, then the text's start, then the start of
// one of its words, then anywhere; within each, in index order, which is
// the window's tab order (first stage, second stage, third stage, СКО, РКО,
// УВП, БГ, ВВК, ПУУ, УСК) with each page's own declaration order, and then
// the database rows in file order (segmoborud, Segment, segmentkup).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pages/faults/faults.h"
#include "pages/search/rows.h"
#include "pages/subscriber/compose.h"
#include "pages/usk/usk.h"

namespace ostrolen {

enum class MatchKind : std::uint8_t {
  Field,    // a field's label: the field
  Value,    // a named value of a field
  Fault,    // a fault table entry
  Usk,      // a fixed text of a "УСК" report
  Segment,  // a text of a reference database row
};

// "field", "value", "fault", "usk", "segment".
std::string_view MatchKindName(MatchKind kind);

// One searchable text and where it goes.
struct SearchEntry {
  MatchKind kind = MatchKind::Field;
  std::string_view page;  // the page as the command line names it ("sko", "uvp", "usk2", "segment")
  std::string text;       // as shown
  std::u32string folded;  // FoldForSearch(text)

  const ComposePage* compose = nullptr;  // Field, Value
  const AhField* field = nullptr;        // Field, Value
  std::uint32_t value = 0;               // Value
  const FaultPage* faults = nullptr;     // Fault
  const FaultEntry* fault = nullptr;     // Fault
  const UskTest* test = nullptr;         // Usk
  std::string segment;                   // Segment
  std::string step;                      // Segment; empty for an equipment row
  std::string column;                    // Segment: the column the text is in
};

// The text as matching sees it.
std::u32string FoldForSearch(std::string_view text);

// The entries of every table, built once, in index order.
std::span<const SearchEntry> TableEntries();

// The entries of a database listing, in file order: one per non-empty text.
std::vector<SearchEntry> RowEntries(const RowListing& listing);

struct SearchMatch {
  const SearchEntry* entry = nullptr;
  int rank = 0;  // 0 the whole text, 1 its start, 2 a word's start, 3 anywhere
};

// The matches of `typed` in `tables` then `rows`, best first (see above);
// none for a text that is empty or all blanks.
std::vector<SearchMatch> FindMatches(std::string_view typed, std::span<const SearchEntry> tables,
                                     std::span<const SearchEntry> rows = {});

// Where the match is, as `ostrolen-cli find` writes it: a field's bits
// with "x" for each; a value's or a fault's bits with the values that show
// it; a "УСК" text's button; a row's segment and step.
std::string MatchWhere(const SearchEntry& entry);

// What choosing a match does on its page: the page, the boxes to write
// (name, text) in order, the button to press (empty: none), and the line
// to select: the field index a line's LineOrigin::field carries (-1: none)
// or, on a fault page, the line's text.
struct MatchAction {
  std::string sheet;  // the page's tab sheet
  std::vector<std::pair<std::string, std::string>> boxes;
  std::string button;
  int field = -1;
  std::string line;
};

// The words a value or a fault shows itself in: for a value, `current`
// (the page's words, missing ones 0) with the field set as composing sets
// it; for a fault, the page's healthy words with exactly that item faulty.
// Empty for the other kinds.
std::vector<std::uint16_t> MatchWords(const SearchEntry& entry, std::span<const std::uint16_t> current = {});

// The action of a match; `current` as for MatchWords.
MatchAction ActionOf(const SearchEntry& entry, std::span<const std::uint16_t> current = {});

}  // namespace ostrolen

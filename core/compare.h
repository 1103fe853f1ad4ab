// Two decodes of one page side by side: each line of the old and the new
// result marked as unchanged, changed (the same field with another value),
// new or gone. A subscriber line is the same line as another when it shows
// the same field, a fault line when it comes from the same table entry
// (word and bit), any other line when its text is the same. The marks form
// one sequence that holds both decodes in their own order, so each side can
// be read back from it and a gone line stands where it stood.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/explain.h"

namespace ostrolen {

enum class Change : char {
  Same = '=',     // in both, the same text
  Changed = '~',  // the same field, another text
  Added = '+',    // only in the new decode
  Gone = '-',     // only in the old decode
};

struct ComparedLine {
  Change change = Change::Same;
  std::string text;      // the new text; the old one for Change::Gone
  std::string old_text;  // Change::Changed only
  bool operator==(const ComparedLine&) const = default;
};

// The marks of `after` against `before`, in one sequence: the Same, Changed
// and Added texts in order are `after`'s lines, the Same, Changed (old) and
// Gone texts in order are `before`'s. Where lines of both sides fall between
// the same two kept lines, the gone ones come first.
std::vector<ComparedLine> CompareLines(std::span<const SourcedLine> before, std::span<const SourcedLine> after);

// Nothing differs: every line is Change::Same.
bool AllSame(std::span<const ComparedLine> lines);

// The old and the new decode as they are read back from the marks.
std::vector<std::string> OldTexts(std::span<const ComparedLine> lines);
std::vector<std::string> NewTexts(std::span<const ComparedLine> lines);

// A mark as a word for a screen reader or a report: "без изменений",
// "изменено", "новая", "исчезла".
std::string_view ChangeDescription(Change change);

}  // namespace ostrolen

// The page "Сегменты": what the reference database holds for a test
// segment and a step of it.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "core/layout.h"
#include "core/window.h"
#include "reader/database.h"
#include "reader/query.h"

namespace ostrolen {

inline constexpr std::string_view kSegmentSeparator = "------------------------------------------------";

// 3C to 3F, in either case, exactly: a control-memory segment.
bool IsControlSegment(std::string_view segment);

// The statements one lookup needs, in the order it reads them: the
// equipment and the step, or the equipment, the control step and its
// states 0 and 1.
std::vector<Statement> LookupStatements(std::string_view segment, std::string_view step);

// Appends the lookup's lines through `append` as they are produced; a
// failure throws DatabaseError after the lines before it.
void SegmentLookup(Connection& database, std::string_view segment, std::string_view step,
                   const std::function<void(std::string_view)>& append);

void SpeedButton17Click(Window& window);

// Whether a press of `button` reads the reference database.
bool ReadsDatabase(const ButtonSpec& button);

// The statements a press of `button` would have the database answer, with
// the window's boxes as they are, without pressing it: the lookup's, its
// empty boxes read as the press fills them; none for any other button.
std::vector<Statement> PressStatements(const Window& window, std::string_view button);

}  // namespace ostrolen

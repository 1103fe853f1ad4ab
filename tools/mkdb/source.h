// The plain-text description of a database (UTF-8, tab-separated):
//
//   # comment                    lines starting with '#' and blank lines are skipped
//   table<TAB>NAME               starts a table
//   column<TAB>NAME<TAB>TYPE     text, text(N) with N 1..255, long, bool, guid
//                                (a replication id), extdate (extended date/time),
//                                complex (the number a complex column keeps), or
//                                "calculated long", "calculated text(N)" (Jet 4)
//   deleted<TAB>TYPE             a column deleted after the rows were written:
//                                they hold it, null
//   index<TAB>COLUMN             the table has an index on the column
//   row<TAB>V1<TAB>V2...         one value per column, in column order
//   moved<TAB>V1<TAB>V2...       a row that an update moved to another page
//
// In a value, "\N" alone is null and an empty value is the empty text;
// "\t", "\n" and "\\" stand for a tab, a line feed and a backslash.
// Yes/No values are 0, 1, true or false; Long Integer values are decimal;
// a replication id is written as Access shows it, {XXXXXXXX-XXXX-XXXX-
// XXXX-XXXXXXXXXXXX}, an extended date/time as YYYY-MM-DD hh:mm:ss[.fffffff].
#pragma once

#include <string_view>

#include "tools/mkdb/database.h"

namespace ostrolen::mkdb {

// The longest table or column name, in characters.
inline constexpr int kMaxNameLength = 64;
// The most columns a table may have.
inline constexpr int kMaxColumns = 255;

// Reads a whole description; throws InputError at the first fault.
Database ParseDescription(std::string_view text);

}  // namespace ostrolen::mkdb

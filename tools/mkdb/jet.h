// Writes a database as a Jet 4 file (Microsoft Access 2000 and later, .mdb):
// the header page, the page usage maps, the system catalog MSysObjects and
// one definition page (or chain) plus data pages for each table, rows kept
// in the given order. Texts are stored as uncompressed UCS-2; there are no
// indexes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/mkdb/database.h"

namespace ostrolen::mkdb {

inline constexpr std::size_t kPageSize = 4096;

// The whole file. Throws InputError (with the row's line) for a row that
// does not fit in a data page.
std::string JetImage(const Database& db);

// The same as a Jet 3 file (Access 97, 2 KB pages) whose texts and names are
// in Windows code page `code_page` (1251: Cyrillic, with the Cyrillic sort
// order; 1252: Western). A Jet 3 row here stays under 256 bytes. Throws
// InputError also for a character the code page does not have.
std::string Jet3Image(const Database& db, std::uint16_t code_page);

}  // namespace ostrolen::mkdb

// ostrolen-mkdb: a Jet 4 database (.mdb) from a plain-text description, or
// a Jet 3 one (Access 97) with its texts in a Windows code page.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace ostrolen::mkdb {

// Reads the description at `input` and writes the database to `output`
// (through a temporary file beside it, so that a failure leaves no partial
// database). Faults go to `errors` as "INPUT:LINE: message"; returns the exit
// status: 0 done, 1 a fault in the description or in reading or writing.
// A Jet 3 file when `jet3_code_page` names its code page.
int MakeDatabase(const std::string& input, const std::string& output, std::ostream& errors,
                 std::uint16_t jet3_code_page = 0);

// The command line: ostrolen-mkdb [--jet3 CODEPAGE] INPUT OUTPUT.mdb; 2 for a wrong call.
int RunMkdb(int argc, const char* const argv[], std::ostream& errors);

}  // namespace ostrolen::mkdb

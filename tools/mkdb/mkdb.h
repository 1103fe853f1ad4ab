// ostrolen-mkdb: a Jet 4 database (.mdb) from a plain-text description.
#pragma once

#include <iosfwd>
#include <string>

namespace ostrolen::mkdb {

// Reads the description at `input` and writes the database to `output`
// (through a temporary file beside it, so that a failure leaves no partial
// database). Faults go to `errors` as "INPUT:LINE: message"; returns the exit
// status: 0 done, 1 a fault in the description or in reading or writing.
int MakeDatabase(const std::string& input, const std::string& output, std::ostream& errors);

// The command line: ostrolen-mkdb INPUT OUTPUT.mdb; 2 for a wrong call.
int RunMkdb(int argc, const char* const argv[], std::ostream& errors);

}  // namespace ostrolen::mkdb

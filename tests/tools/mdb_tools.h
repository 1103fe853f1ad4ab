// Running mdbtools' own programs (and libmdb) on the databases that
// ostrolen-mkdb writes, so that each file is checked by an independent reader.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrolen::mkdb::test {

struct Output {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program (found on PATH) with arguments, no shell quoting needed,
// in a UTF-8 locale (C.UTF-8) whatever the locale of the tests.
Output RunProgram(const std::vector<std::string>& argv);

// True when mdb-ver, mdb-tables, mdb-schema, mdb-export, mdb-count and
// mdb-json are all on PATH.
bool HaveMdbTools();
inline constexpr std::string_view kNoMdbTools =
    "mdbtools (mdb-ver, mdb-tables, mdb-schema, mdb-export, mdb-count, mdb-json) not on PATH; "
    "install Debian's mdbtools package";

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view text);

// Writes the description to NAME.tsv in the folder and makes NAME.mdb from it
// with the library; returns the database path, or "" (with the messages in
// `errors`) when the tool refused the description.
std::string MakeDb(const TempDir& dir, std::string_view description, std::string* errors = nullptr,
                   const std::string& name = "test");

// The rows of a table as mdb-export prints them: one vector of fields per
// row, with tabs, line feeds and backslashes escaped C-style and nulls (and,
// for mdb-export, empty texts alike) shown as \N.
std::vector<std::vector<std::string>> ExportRows(const std::string& db, const std::string& table);

// The table names that mdb-tables lists, in its order.
std::vector<std::string> TableNames(const std::string& db, bool with_system = false);

// mdb-count's number for the table.
long CountRows(const std::string& db, const std::string& table);

// Lines of mdb-schema for the table between its "(" and ");", trimmed.
std::vector<std::string> SchemaLines(const std::string& db, const std::string& table);

using LibmdbRow = std::vector<std::optional<std::string>>;
// Values as libmdb reads them, null as nullopt; false when libmdb is not
// available to the tests.
bool HaveLibmdb();
std::vector<LibmdbRow> LibmdbRows(const std::string& db, const std::string& table);

}  // namespace ostrolen::mkdb::test

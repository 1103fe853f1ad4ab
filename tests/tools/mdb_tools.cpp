#include "tests/tools/mdb_tools.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "tests/support/process.h"
#include "tools/mkdb/mkdb.h"

#ifdef OSTROLEN_HAVE_LIBMDB
#include <glib.h>  // before mdbtools.h, which would pull it in inside extern "C"
#include <mdbtools.h>
#endif

namespace ostrolen::mkdb::test {
namespace {

bool OnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

Output RunProgram(const std::vector<std::string>& argv) {
  const TempDir dir;
  const std::string out_path = (dir.path() / "out").string();
  const std::string err_path = (dir.path() / "err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // mdbtools' programs read their arguments in the locale's character set:
  // they run in a UTF-8 locale, whatever the tests were started in.
  std::vector<std::string> env = ostrolen::testing::EnvironmentInLocale();
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  Output result;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

bool HaveMdbTools() {
  for (const char* tool : {"mdb-ver", "mdb-tables", "mdb-schema", "mdb-export", "mdb-count", "mdb-json"}) {
    if (!OnPath(tool)) return false;
  }
  return true;
}

TempDir::TempDir() {
  std::random_device seed;
  const auto base = std::filesystem::temp_directory_path();
  do {
    path_ = base / ("ostrolen-mkdb-test-" + std::to_string(seed()));
  } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string MakeDb(const TempDir& dir, std::string_view description, std::string* errors, const std::string& name) {
  const auto input = dir.path() / (name + ".tsv");
  const auto output = dir.path() / (name + ".mdb");
  WriteFile(input, description);
  std::ostringstream messages;
  const int status = MakeDatabase(input.string(), output.string(), messages);
  if (errors) *errors = messages.str();
  return status == 0 ? output.string() : "";
}

std::vector<std::vector<std::string>> ExportRows(const std::string& db, const std::string& table) {
  const Output output = RunProgram({"mdb-export", "-H", "-Q", "-e", "-d", "\t", "-0", "\\N", db, table});
  if (output.status != 0) throw std::runtime_error("mdb-export failed: " + output.err);
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : SplitLines(output.out)) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

std::vector<std::string> TableNames(const std::string& db, bool with_system) {
  const Output output = with_system ? RunProgram({"mdb-tables", "-S", "-1", db}) : RunProgram({"mdb-tables", "-1", db});
  if (output.status != 0) throw std::runtime_error("mdb-tables failed: " + output.err);
  return SplitLines(output.out);
}

long CountRows(const std::string& db, const std::string& table) {
  const Output output = RunProgram({"mdb-count", db, table});
  if (output.status != 0) throw std::runtime_error("mdb-count failed: " + output.err);
  return std::stol(output.out);
}

std::vector<std::string> SchemaLines(const std::string& db, const std::string& table) {
  const Output output = RunProgram({"mdb-schema", "-T", table, "--no-drop-table", db});
  if (output.status != 0) throw std::runtime_error("mdb-schema failed: " + output.err);
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& raw : SplitLines(output.out)) {
    const std::string line = Trim(raw);
    if (line == "(") {
      inside = true;
    } else if (line == ");") {
      inside = false;
    } else if (inside) {
      lines.push_back(line);
    }
  }
  return lines;
}

#ifdef OSTROLEN_HAVE_LIBMDB

bool HaveLibmdb() { return true; }

std::vector<LibmdbRow> LibmdbRows(const std::string& db, const std::string& name) {
  std::vector<LibmdbRow> rows;
  MdbHandle* mdb = mdb_open(db.c_str(), MDB_NOFLAGS);
  if (!mdb) throw std::runtime_error("libmdb cannot open " + db);
  mdb_read_catalog(mdb, MDB_TABLE);
  std::string table_name = name;
  MdbTableDef* table = mdb_read_table_by_name(mdb, table_name.data(), MDB_TABLE);
  if (!table) {
    mdb_close(mdb);
    throw std::runtime_error("libmdb finds no table " + name);
  }
  mdb_read_columns(table);
  mdb_rewind_table(table);
  const unsigned columns = table->num_cols;
  std::vector<std::string> buffers(columns, std::string(MDB_BIND_SIZE, '\0'));
  std::vector<int> lengths(columns, 0);
  for (unsigned i = 0; i < columns; ++i)
    mdb_bind_column(table, static_cast<int>(i + 1), buffers[i].data(), &lengths[i]);
  std::vector<MdbField> fields(MDB_MAX_COLS);
  while (mdb_fetch_row(table)) {
    // The bound values do not say null; the row's own null mask does.
    int start = 0;
    std::size_t length = 0;
    mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &length);
    mdb_crack_row(table, start, length, fields.data());
    LibmdbRow row;
    for (unsigned i = 0; i < columns; ++i) {
      const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
      if (fields[i].is_null && column->col_type != MDB_BOOL) {  // a Yes/No column keeps its value there
        row.push_back(std::nullopt);
      } else {
        row.push_back(std::string(buffers[i].c_str()));
      }
    }
    rows.push_back(std::move(row));
  }
  mdb_free_tabledef(table);
  mdb_close(mdb);
  return rows;
}

#else

bool HaveLibmdb() { return false; }
std::vector<LibmdbRow> LibmdbRows(const std::string&, const std::string&) { return {}; }

#endif

}  // namespace ostrolen::mkdb::test

// ostrolen-mdb-rows: lists every row of some tables of an Access (Jet)
// file, a few columns of each, for the search. Run once per listing, so
// that a damaged file that upsets libmdb costs this process only.
//
//   ostrolen-mdb-rows FILE [TABLE SEGMENT,STEP,COLUMN...]...
//
// STEP may be empty (a table without steps). The answer, on standard
// output, is described with ParseRowAnswer (pages/search/rows.h). The file
// is only read.
#include <sys/resource.h>

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts cannot stand.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/utf8.h"
#include "reader/access_file.h"
#include "reader/query.h"

namespace ostrolen {
namespace {

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

void Record(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += Escaped(fields[i]);
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

void Fail(ReadFailure failure, const std::string& name) {
  Record({"fail", std::to_string(static_cast<int>(failure)), name});
}

std::vector<std::string> SplitColumns(const std::string& list) {
  std::vector<std::string> columns;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = list.find(',', from);
    columns.push_back(list.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) return columns;
    from = comma + 1;
  }
}

MdbCatalogEntry* FindTable(MdbHandle* mdb, const std::string& name) {
  for (guint i = 0; i < mdb->catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry != nullptr && entry->object_type == MDB_TABLE && SameName(entry->object_name, name)) return entry;
  }
  return nullptr;
}

// The rows of one table, its `columns` (the segment's, the step's or
// empty, then the texts) bound as libmdb writes them as text.
void ListTable(MdbHandle* mdb, const std::string& name, const std::vector<std::string>& columns) {
  Record({"table", name});
  MdbCatalogEntry* entry = FindTable(mdb, name);
  if (entry == nullptr) {
    Fail(ReadFailure::MissingTable, name);
    return;
  }
  MdbTableDef* table = mdb_read_table(entry);
  if (table == nullptr || mdb_read_columns(table) == nullptr || table->columns == nullptr ||
      table->columns->len != table->num_cols) {
    if (table != nullptr) mdb_free_tabledef(table);
    Fail(ReadFailure::DamagedTable, name);
    return;
  }
  std::vector<std::vector<char>> buffers(columns.size(), std::vector<char>(MDB_BIND_SIZE + 1, '\0'));
  std::vector<int> lengths(columns.size(), 0);
  std::vector<bool> bound(columns.size(), false);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].empty()) continue;
    for (guint k = 0; k < table->num_cols; ++k) {
      const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, k));
      if (SameName(col->name, columns[c])) {
        mdb_bind_column(table, static_cast<int>(k) + 1, buffers[c].data(), &lengths[c]);
        bound[c] = true;
        break;
      }
    }
    if (bound[c]) continue;
    Fail(ReadFailure::MissingColumn, columns[c]);
    // Without its segment there is nothing to go to; without a text, the others are still listed.
    if (c == 0) {
      mdb_free_tabledef(table);
      return;
    }
  }
  // A table without a usage map has no data pages (libmdb would follow a null map).
  if (table->usage_map != nullptr && table->map_sz >= 5) {
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
      std::vector<std::string> fields = {"row"};
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto length = static_cast<std::size_t>(std::clamp(lengths[c], 0, MDB_BIND_SIZE));
        fields.emplace_back(bound[c] ? std::string(buffers[c].data(), length) : std::string());
      }
      Record(fields);
    }
  }
  mdb_free_tabledef(table);
}

int Run(int argc, char** argv) {
  const std::string path = argv[1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Fail(ReadFailure::MissingFile, path);
    Record({"end"});
    return 0;
  }
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::optional<AccessHeader> header = ReadAccessHeader(bytes);
  const auto fail = [&](ReadFailure failure, const std::string& name) {
    Fail(failure, name);
    Record({"end"});
    return 0;
  };
  if (!header) return fail(ReadFailure::NotDatabase, path);
  if (header->engine == AccessEngine::Unknown)
    return fail(ReadFailure::UnknownVersion, std::to_string(header->version));
  if (EncryptedBeyondReading(*header)) return fail(ReadFailure::Encrypted, AccessVersionName(*header));
  if (header->engine == AccessEngine::Jet3) {
    // libmdb reads a Jet 3 file's texts in the code page MDB_JET3_CHARSET names: this file's own.
    const std::uint16_t code_page = Jet3CodePage(*header);
    const std::string charset = CodePageCharset(code_page);
    if (charset.empty()) return fail(ReadFailure::UnknownCodePage, std::to_string(code_page));
    ::setenv("MDB_JET3_CHARSET", charset.c_str(), 1);
  }
  MdbHandle* mdb = mdb_open_buffer(bytes.data(), bytes.size(), MDB_NOFLAGS);
  if (mdb == nullptr) return fail(ReadFailure::NotDatabase, path);
  if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr || mdb->catalog == nullptr) {
    mdb_close(mdb);
    return fail(ReadFailure::DamagedFile, path);
  }
  for (int i = 2; i + 1 < argc; i += 2) {
    ListTable(mdb, argv[i], SplitColumns(argv[i + 1]));
    std::fflush(stdout);
  }
  mdb_close(mdb);
  Record({"end"});
  return 0;
}

void LimitSelf() {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  const rlimit cpu{10, 10};
  ::setrlimit(RLIMIT_CPU, &cpu);
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  ostrolen::LimitSelf();
  // libmdb writes texts in the character set MDBICONV names; the search reads UTF-8.
  ::unsetenv("MDBICONV");
  if (argc < 2 || argc % 2 != 0) {
    std::fputs("usage: ostrolen-mdb-rows FILE [TABLE SEGMENT,STEP,COLUMN...]... (started by Ostrolen's search)\n",
               stderr);
    return 2;
  }
  return ostrolen::Run(argc, argv);
}

// ostrolen-mdb-reader: runs the segment lookup's statements on an Access
// (Jet) file and writes their first rows to standard output. The page
// starts it once per lookup, so that a damaged file that upsets libmdb
// (which trusts what it reads) costs this process and never the window.
//
//   ostrolen-mdb-reader REQUEST
//
// REQUEST is EncodeRequest's text; the output is one EncodeOutcome per
// statement, in statement order, each written as soon as it is known.
// The file is only read: it is mapped into memory once and never locked.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts cannot stand.
#include <glib.h>
#include <mdbtools.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pages/segments/access_file.h"
#include "pages/segments/like.h"
#include "pages/segments/query.h"
#include "pages/segments/value_text.h"

#if defined(__SANITIZE_ADDRESS__)
#define OSTROLEN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTROLEN_ASAN 1
#endif
#endif

namespace ostrolen {
namespace {

struct Damaged {};  // a row or value that points outside its page

void WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) std::_Exit(4);
    done += static_cast<std::size_t>(n);
  }
}

StatementOutcome Failed(ReadFailure failure, std::string name = {}) {
  StatementOutcome outcome;
  outcome.failure = failure;
  outcome.name = std::move(name);
  return outcome;
}

// The whole file, mapped once, so that every statement reads the same
// bytes and nothing is copied. Mapped read-only and private: the reader
// cannot write to it, and takes no lock.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes() {
    if (data_ != nullptr) ::munmap(data_, size_);
  }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  ReadFailure Load(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT || errno == ENOTDIR) return ReadFailure::MissingFile;
      if (errno == EACCES || errno == EPERM) return ReadFailure::NoAccess;
      if (errno == EISDIR) return ReadFailure::NotAFile;
      return ReadFailure::Unreadable;
    }
    struct stat st {};
    ReadFailure failure = ReadFailure::None;
    if (::fstat(fd, &st) != 0) {
      failure = ReadFailure::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
      failure = ReadFailure::NotAFile;
    } else if (st.st_size > 0) {
      void* data = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data == MAP_FAILED) {
        failure = ReadFailure::Unreadable;
      } else {
        data_ = data;
        size_ = static_cast<std::size_t>(st.st_size);
      }
    }
    ::close(fd);
    return failure;
  }

  std::string_view View() const { return {static_cast<const char*>(data_), size_}; }
  void* Data() const { return data_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

std::string GString(char* text) {
  std::string s = text != nullptr ? text : "";
  g_free(text);
  return s;
}

class Database {
 public:
  // `mdb` reads from a buffer that must outlive it.
  // `code_page`: the one a Jet 3 file's texts are in.
  Database(MdbHandle* mdb, std::uint16_t code_page) : mdb_(mdb), code_page_(code_page) {}
  ~Database() { mdb_close(mdb_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  MdbHandle* Handle() const { return mdb_; }
  bool Jet3() const { return mdb_->f->jet_version == MDB_VER_JET3; }

  // A text value as stored: in the file's code page (Jet 3) or in
  // Jet 4's Unicode (Jet 4 and ACE).
  std::string Text(std::string_view bytes) const {
    return Jet3() ? DecodeCodePageText(bytes, code_page_) : DecodeJetText(bytes);
  }

  // The first table of that name, letter case ignored. The entries stay
  // valid: the catalog is read once, and mdb_read_table_by_name (which
  // reads it again) is never used.
  MdbCatalogEntry* FindTable(const std::string& name) const {
    if (mdb_->catalog == nullptr) return nullptr;
    for (guint i = 0; i < mdb_->catalog->len; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
      if (entry != nullptr && entry->object_type == MDB_TABLE && SameName(entry->object_name, name)) return entry;
    }
    return nullptr;
  }

 private:
  MdbHandle* mdb_;
  std::uint16_t code_page_;
};

// The bytes of a memo: inline after its 12-byte header, or on one or a
// chain of long-value pages.
std::string MemoBytes(MdbHandle* mdb, int start, int size) {
  if (size < MDB_MEMO_OVERHEAD) return {};
  const auto head = static_cast<guint32>(mdb_get_int32(mdb->pg_buf, start));
  const std::size_t length = head & 0x00FFFFFF;
  if (head & 0x80000000U) {
    const auto* data = reinterpret_cast<const char*>(mdb->pg_buf) + start + MDB_MEMO_OVERHEAD;
    return std::string(data, std::min<std::size_t>(static_cast<std::size_t>(size - MDB_MEMO_OVERHEAD), length));
  }
  int pg_row = static_cast<int>(mdb_get_int32(mdb->pg_buf, start + 4));
  void* buf = nullptr;
  int offset = 0;
  std::size_t len = 0;
  if (head & 0x40000000U) {
    if (mdb_find_pg_row(mdb, pg_row, &buf, &offset, &len) != 0) throw Damaged{};
    return std::string(static_cast<const char*>(buf) + offset, std::min(len, length));
  }
  if ((head & 0xFF000000U) != 0) throw Damaged{};
  std::string bytes;
  while (pg_row != 0 && bytes.size() < length) {
    if (mdb_find_pg_row(mdb, pg_row, &buf, &offset, &len) != 0 || len < 4) throw Damaged{};
    const std::size_t take = std::min(len - 4, length - bytes.size());
    bytes.append(static_cast<const char*>(buf) + offset + 4, take);
    pg_row = static_cast<int>(mdb_get_int32(buf, offset));
  }
  return bytes;
}

// One column of the current row as the page reads it.
Value ReadValue(const Database& db, MdbColumn* col, const MdbField& field) {
  MdbHandle* mdb = db.Handle();
  Value value;
  if (col->col_type == MDB_BOOL) {  // the null bit holds a Yes/No value
    value.kind = Value::Kind::Boolean;
    value.text = field.is_null ? "False" : "True";
    value.is_false = field.is_null != 0;
    return value;
  }
  if (field.is_null) return value;
  const int page = static_cast<int>(mdb->fmt->pg_size);
  if (field.start < 0 || field.siz < 0 || field.start > page || field.siz > page - field.start) throw Damaged{};
  const int start = field.start, size = field.siz;
  const auto fixed = [&](int bytes) {
    if (size < bytes) throw Damaged{};
  };
  const unsigned char* p = mdb->pg_buf + start;
  value.kind = Value::Kind::Number;
  switch (col->col_type) {
    case MDB_BYTE:
      fixed(1);
      value.text = std::to_string(p[0]);
      value.is_false = p[0] == 0;
      break;
    case MDB_INT: {
      fixed(2);
      const auto v = static_cast<std::int16_t>(p[0] | (p[1] << 8));
      value.text = std::to_string(v);
      value.is_false = v == 0;
      break;
    }
    case MDB_LONGINT: {
      fixed(4);
      const auto v = static_cast<std::int32_t>(static_cast<std::uint32_t>(mdb_get_int32(mdb->pg_buf, start)));
      value.text = std::to_string(v);
      value.is_false = v == 0;
      break;
    }
    case MDB_FLOAT: {
      fixed(4);
      const float v = mdb_get_single(mdb->pg_buf, start);
      value.text = FormatNumber(v, 7);
      value.is_false = v == 0;
      break;
    }
    case MDB_DOUBLE: {
      fixed(8);
      const double v = mdb_get_double(mdb->pg_buf, start);
      value.text = FormatNumber(v, 15);
      value.is_false = v == 0;
      break;
    }
    case MDB_MONEY: {
      fixed(8);
      long long raw = 0;
      for (int k = 7; k >= 0; --k) raw = static_cast<long long>((static_cast<unsigned long long>(raw) << 8) | p[k]);
      value.text = FormatMoney(raw);
      value.is_false = raw == 0;
      break;
    }
    case MDB_NUMERIC:
      fixed(17);
      value.text = GString(mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec));
      value.is_false = value.text.find_first_not_of("-0.") == std::string::npos;
      break;
    case MDB_DATETIME: {
      fixed(8);
      const double v = mdb_get_double(mdb->pg_buf, start);
      const std::optional<std::string> text = FormatDate(v);
      if (!text) {
        value.kind = Value::Kind::Binary;
        break;
      }
      value.text = *text;
      value.is_false = v == 0;
      break;
    }
    case MDB_TEXT:
      value.kind = Value::Kind::Text;
      value.text = db.Text({reinterpret_cast<const char*>(p), static_cast<std::size_t>(size)});
      break;
    case MDB_MEMO:
      value.kind = Value::Kind::Text;
      value.text = db.Text(MemoBytes(mdb, start, size));
      break;
    case MDB_REPID:
      fixed(16);
      value.kind = Value::Kind::Text;
      value.text = GString(mdb_uuid_to_string(mdb->pg_buf, start));
      break;
    default: value.kind = Value::Kind::Binary; break;
  }
  return value;
}

struct Pending {
  std::size_t index = 0;                                   // into the request's statements
  std::vector<std::pair<std::size_t, LikePattern>> tests;  // column index, pattern
};

struct TableDef {
  MdbTableDef* table = nullptr;
  ~TableDef() {
    if (table != nullptr) mdb_free_tabledef(table);
  }
};

// Runs every statement on one table in a single pass over its rows, in the
// order the file stores them; each statement keeps its first matching row.
void RunOnTable(const Database& db, MdbCatalogEntry* entry, const std::vector<Statement>& statements,
                const std::vector<std::size_t>& which, std::vector<std::optional<StatementOutcome>>& outcomes) {
  const std::string& table_name = statements[which.front()].table;
  const auto fail_all = [&](ReadFailure failure) {
    for (const std::size_t i : which) outcomes[i] = Failed(failure, table_name);
  };
  TableDef def;
  def.table = mdb_read_table(entry);
  if (def.table == nullptr || mdb_read_columns(def.table) == nullptr || def.table->columns == nullptr ||
      def.table->columns->len != def.table->num_cols) {
    fail_all(ReadFailure::DamagedTable);
    return;
  }
  MdbTableDef* table = def.table;
  QueryResult shape;
  for (guint c = 0; c < table->num_cols; ++c) {
    shape.columns.emplace_back(static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c))->name);
  }
  std::vector<Pending> pending;
  for (const std::size_t i : which) {
    ConditionPlan plan = PlanConditions(shape.columns, statements[i]);
    if (plan.failure != ReadFailure::None) {
      outcomes[i] = Failed(plan.failure, plan.name);
      continue;
    }
    pending.push_back({i, std::move(plan.tests)});
  }
  // A table without a usage map has no data pages (libmdb would follow a null map).
  const bool has_pages = table->usage_map != nullptr && table->map_sz >= 5;
  if (!pending.empty() && has_pages) {
    std::vector<MdbField> fields(table->num_cols);
    mdb_rewind_table(table);
    try {
      std::size_t open = pending.size();
      while (open > 0 && mdb_fetch_row(table)) {
        // mdb_fetch_row has read the row but shows no null flags: crack it again.
        int row_start = 0;
        std::size_t row_size = 0;
        if (mdb_find_row(db.Handle(), static_cast<int>(table->cur_row) - 1, &row_start, &row_size) != 0) continue;
        row_start &= 0x1FFF;
        if (mdb_crack_row(table, row_start, row_size, fields.data()) < 0) continue;
        std::vector<std::optional<Value>> values(table->num_cols);
        const auto value_of = [&](std::size_t c) -> const Value& {
          if (!values[c]) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            values[c] = ReadValue(db, col, fields[c]);
          }
          return *values[c];
        };
        for (Pending& p : pending) {
          if (outcomes[p.index]) continue;
          bool match = true;
          for (const auto& [column, pattern] : p.tests) {
            const std::optional<std::string> text = LikeText(value_of(column));
            if (!text || !pattern.Matches(*text)) {
              match = false;
              break;
            }
          }
          if (!match) continue;
          StatementOutcome outcome;
          outcome.result = shape;
          outcome.result.has_row = true;
          for (std::size_t c = 0; c < shape.columns.size(); ++c) outcome.result.row.push_back(value_of(c));
          outcomes[p.index] = std::move(outcome);
          --open;
        }
      }
    } catch (const Damaged&) {
      for (const Pending& p : pending) {
        if (!outcomes[p.index]) outcomes[p.index] = Failed(ReadFailure::DamagedTable, table_name);
      }
    }
  }
  for (const Pending& p : pending) {
    if (!outcomes[p.index]) {
      StatementOutcome empty;
      empty.result = shape;
      outcomes[p.index] = std::move(empty);
    }
  }
}

int Run(const std::string& path, const std::vector<Statement>& statements) {
  std::vector<std::optional<StatementOutcome>> outcomes(statements.size());
  std::size_t written = 0;
  const auto flush = [&] {
    while (written < outcomes.size() && outcomes[written]) WriteAll(EncodeOutcome(*outcomes[written++]));
  };
  // Every statement fails alike; `name` is what the failure is about.
  const auto fail_all = [&](ReadFailure failure, const std::string& name) {
    for (auto& outcome : outcomes) outcome = Failed(failure, name);
    flush();
    return 0;
  };

  FileBytes bytes;
  if (const ReadFailure failure = bytes.Load(path); failure != ReadFailure::None) return fail_all(failure, path);
  const std::optional<AccessHeader> header = ReadAccessHeader(bytes.View());
  if (!header) return fail_all(ReadFailure::NotDatabase, path);
  if (header->engine == AccessEngine::Unknown)
    return fail_all(ReadFailure::UnknownVersion, std::to_string(header->version));
  if (EncryptedBeyondReading(*header)) return fail_all(ReadFailure::Encrypted, AccessVersionName(*header));
  // libmdb reads a Jet 3 file's table and column names in the code page
  // MDB_JET3_CHARSET names: this file's own, whatever the environment said.
  std::uint16_t code_page = 0;
  if (header->engine == AccessEngine::Jet3) {
    code_page = Jet3CodePage(*header);
    const std::string charset = CodePageCharset(code_page);
    if (charset.empty()) return fail_all(ReadFailure::UnknownCodePage, std::to_string(code_page));
    ::setenv("MDB_JET3_CHARSET", charset.c_str(), 1);
  }
  // Opened read-only ("r"): libmdb's stream never writes to the mapping.
  MdbHandle* mdb = mdb_open_buffer(bytes.Data(), bytes.View().size(), MDB_NOFLAGS);
  if (mdb == nullptr) return fail_all(ReadFailure::NotDatabase, path);
  Database db(mdb, code_page);
  if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr || mdb->catalog == nullptr)
    return fail_all(ReadFailure::DamagedFile, path);

  // Statements on the same table share one pass, taken where the first of them stands.
  std::vector<bool> done(statements.size(), false);
  for (std::size_t i = 0; i < statements.size(); ++i) {
    if (done[i]) continue;
    std::vector<std::size_t> which;
    for (std::size_t j = i; j < statements.size(); ++j) {
      if (!done[j] && SameName(statements[j].table, statements[i].table)) {
        which.push_back(j);
        done[j] = true;
      }
    }
    if (MdbCatalogEntry* entry = db.FindTable(statements[i].table); entry != nullptr) {
      RunOnTable(db, entry, statements, which, outcomes);
    } else {
      for (const std::size_t j : which) outcomes[j] = Failed(ReadFailure::MissingTable, statements[j].table);
    }
    flush();
  }
  return 0;
}

void LimitSelf() {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  const rlimit cpu{10, 10};
  ::setrlimit(RLIMIT_CPU, &cpu);
#ifndef OSTROLEN_ASAN  // the address sanitizer reserves far more address space than this
  const rlimit memory{rlim_t{2} << 30, rlim_t{2} << 30};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  ostrolen::LimitSelf();
  // libmdb writes names in the character set MDBICONV names; the page reads UTF-8.
  ::unsetenv("MDBICONV");
  std::string path;
  std::vector<ostrolen::Statement> statements;
  if (argc != 2 || !ostrolen::DecodeRequest(argv[1], path, statements)) {
    std::fputs("usage: ostrolen-mdb-reader REQUEST (started by Ostrolen's segment page)\n", stderr);
    return 2;
  }
  return ostrolen::Run(path, statements);
}

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

#include "reader/access_file.h"
#include "reader/like.h"
#include "reader/query.h"
#include "reader/runner.h"
#include "reader/value_text.h"

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

struct TableDef {
  MdbTableDef* table = nullptr;
  TableDef() = default;
  ~TableDef() {
    if (table != nullptr) mdb_free_tabledef(table);
  }
  TableDef(const TableDef&) = delete;
  TableDef& operator=(const TableDef&) = delete;
};

// The file's tables as libmdb reads them, one table at a time.
class LibmdbRows final : public RowSource {
 public:
  explicit LibmdbRows(const FileBytes& bytes) : bytes_(bytes) {}

  std::uint64_t Size() override { return bytes_.View().size(); }
  std::string Bytes(std::uint64_t offset, std::size_t length) override {
    const std::string_view all = bytes_.View();
    if (offset >= all.size()) return {};
    return std::string(all.substr(static_cast<std::size_t>(offset), length));
  }

  bool Open(const AccessHeader& /*header*/, std::uint16_t code_page) override {
    // libmdb reads a Jet 3 file's table and column names in the code page
    // MDB_JET3_CHARSET names: this file's own, whatever the environment said.
    if (code_page != 0) ::setenv("MDB_JET3_CHARSET", CodePageCharset(code_page).c_str(), 1);
    // Opened read-only ("r"): libmdb's stream never writes to the mapping.
    MdbHandle* mdb = mdb_open_buffer(bytes_.Data(), bytes_.View().size(), MDB_NOFLAGS);
    if (mdb == nullptr) return false;
    db_ = std::make_unique<Database>(mdb, code_page);
    return true;
  }

  // The entries stay valid: the catalog is read once, and
  // mdb_read_table_by_name (which reads it again) is never used.
  std::optional<std::vector<TableEntry>> Tables() override {
    MdbHandle* mdb = db_->Handle();
    if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr || mdb->catalog == nullptr) return std::nullopt;
    std::vector<TableEntry> tables;
    for (guint i = 0; i < mdb->catalog->len; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
      if (entry == nullptr || entry->object_type != MDB_TABLE) continue;
      entries_.push_back(entry);
      tables.push_back({entry->object_name, static_cast<std::uint32_t>(entry->table_pg)});
    }
    return tables;
  }

  std::optional<std::vector<std::string>> Columns(std::size_t table) override {
    def_ = std::make_unique<TableDef>();
    def_->table = mdb_read_table(entries_.at(table));
    MdbTableDef* t = def_->table;
    if (t == nullptr || mdb_read_columns(t) == nullptr || t->columns == nullptr || t->columns->len != t->num_cols)
      return std::nullopt;
    std::vector<std::string> names;
    for (guint c = 0; c < t->num_cols; ++c) names.emplace_back(Column(c)->name);
    fields_.assign(t->num_cols, MdbField{});
    values_.assign(t->num_cols, std::nullopt);
    // A table without a usage map has no data pages (libmdb would follow a null map).
    has_pages_ = t->usage_map != nullptr && t->map_sz >= 5;
    if (has_pages_) mdb_rewind_table(t);
    return names;
  }

  RowStep NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) override {
    MdbTableDef* t = def_->table;
    for (;;) {
      if (!has_pages_ || !mdb_fetch_row(t)) return RowStep::End;
      // mdb_fetch_row has read the row but shows no null flags: crack it again.
      int row_start = 0;
      std::size_t row_size = 0;
      if (mdb_find_row(db_->Handle(), static_cast<int>(t->cur_row) - 1, &row_start, &row_size) != 0) continue;
      row_start &= 0x1FFF;
      if (mdb_crack_row(t, row_start, row_size, fields_.data()) < 0) continue;
      break;
    }
    values_.assign(fields_.size(), std::nullopt);
    try {
      for (const std::size_t c : compared) values.push_back(ValueOf(c));
    } catch (const Damaged&) {
      return RowStep::Damaged;
    }
    return RowStep::Row;
  }

  bool WholeRow(std::vector<Value>& row) override {
    try {
      for (std::size_t c = 0; c < fields_.size(); ++c) row.push_back(ValueOf(c));
    } catch (const Damaged&) {
      return false;
    }
    return true;
  }

 private:
  MdbColumn* Column(std::size_t c) const {
    return static_cast<MdbColumn*>(g_ptr_array_index(def_->table->columns, static_cast<guint>(c)));
  }
  // Each value of the current row is read once, when first asked for.
  const Value& ValueOf(std::size_t c) {
    if (!values_[c]) values_[c] = ReadValue(*db_, Column(c), fields_[c]);
    return *values_[c];
  }

  const FileBytes& bytes_;
  std::unique_ptr<Database> db_;
  std::vector<MdbCatalogEntry*> entries_;
  std::unique_ptr<TableDef> def_;  // freed before the handle
  std::vector<MdbField> fields_;
  std::vector<std::optional<Value>> values_;
  bool has_pages_ = false;
};

// No core files, and a bound on time and memory, so that a file that sends
// libmdb astray ends this process soon. The mapping of the file counts
// against the bound on address space: the bound leaves the same room
// beside a file of any size Access writes (up to 2 GB).
void LimitSelf() {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  const rlimit cpu{10, 10};
  ::setrlimit(RLIMIT_CPU, &cpu);
}

void LimitMemory(std::size_t file_size) {
#ifndef OSTROLEN_ASAN  // the address sanitizer reserves far more address space than this
  const rlim_t most = (rlim_t{2} << 30) + static_cast<rlim_t>(file_size);
  const rlimit memory{most, most};
  ::setrlimit(RLIMIT_AS, &memory);
#else
  (void)file_size;
#endif
}

int Run(const std::string& path, const std::vector<Statement>& statements) {
  FileBytes bytes;
  if (const ReadFailure failure = bytes.Load(path); failure != ReadFailure::None) {
    for (std::size_t i = 0; i < statements.size(); ++i) WriteAll(EncodeOutcome(Failed(failure, path)));
    return 0;
  }
  LimitMemory(bytes.View().size());
  LibmdbRows rows(bytes);
  RunStatements(rows, path, statements, [](const StatementOutcome& outcome) { WriteAll(EncodeOutcome(outcome)); });
  return 0;
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

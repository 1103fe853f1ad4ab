// ostrolen-mdb-reader: answers the segment lookup's statements and the
// search's row listings on an Access (Jet) file with libmdb. It is started
// once and kept: requests come as frames on standard input and answers go
// as frames to standard output (reader/query.h), so that a damaged file
// that upsets libmdb (which trusts what it reads) costs this process and
// never the window.
//
//   ostrolen-mdb-reader   (started by Ostrolen; speaks frames on stdin/stdout)
//
// The file is read whole into memory at the first request and read again
// only when it changed (its identity, size or times); it is never written
// to or locked. While a reading goes forward, a progress frame goes out at
// least every tenth of a second, so the caller can tell a slow reading from
// a stuck one.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts cannot stand.
#include <glib.h>
#include <mdbtools.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/utf8.h"
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

// How far the reading under way is: every step forward (a row, a page, a
// megabyte of the file) counts, and the share of the table at hand is told
// when it is known. The ticker tells the caller.
std::atomic<std::uint64_t> g_steps{0};
std::atomic<int> g_share{frame::kUnknownShare};
inline void Step() { g_steps.fetch_add(1, std::memory_order_relaxed); }

// Frames to standard output; the ticker's and the answer's do not mix.
std::mutex g_out;
void WriteAll(const std::string& bytes) {
  const std::lock_guard lock(g_out);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) std::_Exit(4);
    done += static_cast<std::size_t>(n);
  }
}
void Send(char kind, std::string_view payload) { WriteAll(EncodeFrame(kind, payload)); }

// Sends a progress frame every 50 ms while the request at hand goes forward.
class Ticker {
 public:
  Ticker()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          std::uint64_t told = g_steps.load();
          while (!stop_) {
            wake_.wait_for(lock, std::chrono::milliseconds(50));
            const std::uint64_t now = g_steps.load();
            if (busy_ && now != told) {
              const auto share = static_cast<char>(static_cast<std::uint8_t>(g_share.load()));
              Send(frame::kProgress, std::string_view(&share, 1));
            }
            told = now;
          }
        }) {}
  ~Ticker() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;
  // A request begins or ends; the end frame goes out after the last progress frame.
  void Busy(bool busy) {
    const std::lock_guard lock(mutex_);
    busy_ = busy;
    g_share = frame::kUnknownShare;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool busy_ = false;
  std::thread thread_;
};

// The bound on address space, set anew for each file read: the same room
// beside a file of any size Access writes (up to 2 GB). Only the soft
// bound, so that a larger file read later can raise it again.
void LimitMemory(std::size_t file_size) {
#ifndef OSTROLEN_ASAN  // the address sanitizer reserves far more address space than this
  rlimit memory{};
  if (::getrlimit(RLIMIT_AS, &memory) != 0) return;
  const rlim_t most = (rlim_t{2} << 30) + 2 * static_cast<rlim_t>(file_size);
  memory.rlim_cur = memory.rlim_max == RLIM_INFINITY ? most : std::min(most, memory.rlim_max);
  ::setrlimit(RLIMIT_AS, &memory);
#else
  (void)file_size;
#endif
}

// What tells one version of a file from another.
struct Stamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified = 0, changed = 0;  // nanoseconds
  bool operator==(const Stamp&) const = default;
};
Stamp StampOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
          st.st_ctim.tv_sec * 1'000'000'000LL + st.st_ctim.tv_nsec};
}

ReadFailure OpenFailure(int error) {
  if (error == ENOENT || error == ENOTDIR) return ReadFailure::MissingFile;
  if (error == EACCES || error == EPERM) return ReadFailure::NoAccess;
  if (error == EISDIR) return ReadFailure::NotAFile;
  return ReadFailure::Unreadable;
}

// The whole file, read into memory. A file that changes while it is read is
// read again, so the bytes are always one whole version of it; one that
// keeps changing is taken as damaged.
class FileBytes {
 public:
  ReadFailure Load(const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd < 0) return OpenFailure(errno);
      const ReadFailure failure = LoadFrom(fd);
      ::close(fd);
      if (failure != ReadFailure::DamagedFile) return failure;
    }
    return ReadFailure::DamagedFile;
  }

  std::string_view View() const { return bytes_; }
  void* Data() { return bytes_.data(); }
  const Stamp& Version() const { return stamp_; }

 private:
  // DamagedFile: the file changed while it was read.
  ReadFailure LoadFrom(int fd) {
    struct stat before {};
    if (::fstat(fd, &before) != 0) return ReadFailure::Unreadable;
    if (!S_ISREG(before.st_mode)) return ReadFailure::NotAFile;
    bytes_.clear();
    bytes_.shrink_to_fit();
    LimitMemory(static_cast<std::size_t>(before.st_size));
    bytes_.resize(static_cast<std::size_t>(before.st_size));
    std::size_t done = 0;
    while (done < bytes_.size()) {
      const std::size_t want = std::min<std::size_t>(bytes_.size() - done, std::size_t{1} << 20);
      const ssize_t n = ::read(fd, bytes_.data() + done, want);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return ReadFailure::Unreadable;
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
      Step();
    }
    struct stat after {};
    if (::fstat(fd, &after) != 0) return ReadFailure::Unreadable;
    if (done != bytes_.size() || !(StampOf(before) == StampOf(after))) return ReadFailure::DamagedFile;
    stamp_ = StampOf(after);
    return ReadFailure::None;
  }

  std::string bytes_;
  Stamp stamp_;
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
    case MDB_LONGINT:
    case MDB_COMPLEX: {  // a complex column: the number that names its rows in a hidden table
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
      value.text = FormatGuid({reinterpret_cast<const char*>(p), 16});
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
  // Kept while the file stays the same: the library opens it and reads its
  // catalog once.
  explicit LibmdbRows(FileBytes& bytes) : bytes_(bytes) {}

  std::uint64_t Size() override { return bytes_.View().size(); }
  std::string Bytes(std::uint64_t offset, std::size_t length) override {
    const std::string_view all = bytes_.View();
    if (offset >= all.size()) return {};
    Step();
    return std::string(all.substr(static_cast<std::size_t>(offset), length));
  }

  bool Open(const AccessHeader& /*header*/, std::uint16_t code_page) override {
    if (db_) return true;
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
    if (!catalog_read_) {
      catalog_read_ = true;
      tables_ = ReadTables();
    }
    return tables_;
  }

  std::optional<std::vector<TableEntry>> ReadTables() {
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
    table_ = table;
    given_ = 0;
    rows_read_ = 0;
    rows_ = t->num_rows;
    return names;
  }

  RowStep NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) override {
    MdbTableDef* t = def_->table;
    for (;;) {
      if (!has_pages_ || !mdb_fetch_row(t)) return RowStep::End;
      Step();
      if (rows_ > 0) g_share = static_cast<int>(std::min<std::uint64_t>(99, 100 * ++rows_read_ / rows_));
      if (!Crack(static_cast<int>(t->cur_row) - 1)) continue;
      // Where the row is, so that RowAt finds it again.
      std::vector<Place>& places = places_[table_];
      if (given_ == places.size()) places.push_back({static_cast<std::uint32_t>(t->cur_phys_pg), t->cur_row - 1});
      ++given_;
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

  bool Seekable() const override { return true; }

  bool RowAt(std::size_t index, std::vector<Value>& row) override {
    const std::vector<Place>& places = places_[table_];
    if (index >= places.size()) return false;
    MdbHandle* mdb = db_->Handle();
    if (mdb_read_pg(mdb, places[index].page) != static_cast<ssize_t>(mdb->fmt->pg_size)) return false;
    if (!Crack(static_cast<int>(places[index].row))) return false;
    values_.assign(fields_.size(), std::nullopt);
    return WholeRow(row);
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
  struct Place {
    std::uint32_t page = 0;
    unsigned int row = 0;
  };

  // Cracks row `row` of the page in the buffer into the fields; false
  // when it is no row.
  bool Crack(int row) {
    // mdb_fetch_row has read the row but shows no null flags: crack it again.
    int row_start = 0;
    std::size_t row_size = 0;
    if (mdb_find_row(db_->Handle(), row, &row_start, &row_size) != 0) return false;
    row_start &= 0x1FFF;
    return mdb_crack_row(def_->table, row_start, row_size, fields_.data()) >= 0;
  }

  MdbColumn* Column(std::size_t c) const {
    return static_cast<MdbColumn*>(g_ptr_array_index(def_->table->columns, static_cast<guint>(c)));
  }
  // Each value of the current row is read once, when first asked for.
  const Value& ValueOf(std::size_t c) {
    if (!values_[c]) values_[c] = ReadValue(*db_, Column(c), fields_[c]);
    return *values_[c];
  }

  FileBytes& bytes_;
  std::unique_ptr<Database> db_;
  bool catalog_read_ = false;
  std::optional<std::vector<TableEntry>> tables_;
  std::uint64_t rows_read_ = 0, rows_ = 0;
  std::size_t table_ = 0;                             // the one Columns() began
  std::size_t given_ = 0;                             // its rows NextRow gave since
  std::map<std::size_t, std::vector<Place>> places_;  // of each table's rows, as NextRow met them
  std::vector<MdbCatalogEntry*> entries_;
  std::unique_ptr<TableDef> def_;  // freed before the handle
  std::vector<MdbField> fields_;
  std::vector<std::optional<Value>> values_;
  bool has_pages_ = false;
};

// What the reader keeps of the file it read last.
struct Kept {
  std::string path;
  FileBytes bytes;
  std::unique_ptr<LibmdbRows> rows;
  std::unique_ptr<KeptFile> file;                                                // what the lookups learnt of it
  std::unique_ptr<MdbHandle, void (*)(MdbHandle*)> listing{nullptr, mdb_close};  // the search's handle
};

// No core files; with the bound on memory (LimitMemory), a file that sends
// libmdb astray ends this process soon (a hang is the caller's to end).
void LimitSelf() {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
}

// The file at `path` as it is now: the kept reading while the file is the
// same, else read afresh. None, or why it cannot be read.
ReadFailure Current(Kept& kept, const std::string& path) {
  struct stat st {};
  if (kept.rows && path == kept.path && ::stat(path.c_str(), &st) == 0 && StampOf(st) == kept.bytes.Version())
    return ReadFailure::None;
  kept.listing.reset();
  kept.file.reset();
  kept.rows.reset();
  kept.path = path;
  const ReadFailure failure = kept.bytes.Load(path);
  if (failure != ReadFailure::None) return failure;
  kept.rows = std::make_unique<LibmdbRows>(kept.bytes);
  kept.file = std::make_unique<KeptFile>();
  return ReadFailure::None;
}

void AnswerStatements(Kept& kept, std::string_view request) {
  std::string path;
  std::vector<Statement> statements;
  if (!DecodeRequest(request, path, statements)) return;
  if (const ReadFailure failure = Current(kept, path); failure != ReadFailure::None) {
    for (std::size_t i = 0; i < statements.size(); ++i) Send(frame::kOutcome, EncodeOutcome(Failed(failure, path)));
    return;
  }
  RunStatements(
      *kept.rows, path, statements,
      [](const StatementOutcome& outcome) { Send(frame::kOutcome, EncodeOutcome(outcome)); }, kept.file.get());
}

// ---- The search's rows: one record a line (pages/search/rows.h).

class Listing {
 public:
  ~Listing() { Flush(); }
  Listing() = default;
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;
  void Record(const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) text_ += '\t';
      for (const char c : fields[i]) {
        switch (c) {
          case '\\': text_ += "\\\\"; break;
          case '\t': text_ += "\\t"; break;
          case '\n': text_ += "\\n"; break;
          case '\r': text_ += "\\r"; break;
          default: text_ += c;
        }
      }
    }
    text_ += '\n';
    if (text_.size() >= (std::size_t{1} << 16)) Flush();
  }
  void Fail(ReadFailure failure, const std::string& name) {
    Record({"fail", std::to_string(static_cast<int>(failure)), name});
  }
  void Flush() {
    if (!text_.empty()) Send(frame::kText, text_);
    text_.clear();
  }

 private:
  std::string text_;
};

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
void ListTable(Listing& out, MdbHandle* mdb, const std::string& name, const std::vector<std::string>& columns) {
  out.Record({"table", name});
  MdbCatalogEntry* entry = FindTable(mdb, name);
  if (entry == nullptr) return out.Fail(ReadFailure::MissingTable, name);
  TableDef def;
  def.table = mdb_read_table(entry);
  MdbTableDef* table = def.table;
  if (table == nullptr || mdb_read_columns(table) == nullptr || table->columns == nullptr ||
      table->columns->len != table->num_cols)
    return out.Fail(ReadFailure::DamagedTable, name);
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
    out.Fail(ReadFailure::MissingColumn, columns[c]);
    // Without its segment there is nothing to go to; without a text, the others are still listed.
    if (c == 0) return;
  }
  // A table without a usage map has no data pages (libmdb would follow a null map).
  if (table->usage_map == nullptr || table->map_sz < 5) return;
  mdb_rewind_table(table);
  const std::uint64_t total = table->num_rows;
  std::uint64_t read = 0;
  while (mdb_fetch_row(table)) {
    Step();
    if (total > 0) g_share = static_cast<int>(std::min<std::uint64_t>(99, 100 * ++read / total));
    std::vector<std::string> fields = {"row"};
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const auto length = static_cast<std::size_t>(std::clamp(lengths[c], 0, MDB_BIND_SIZE));
      fields.emplace_back(bound[c] ? std::string(buffers[c].data(), length) : std::string());
    }
    out.Record(fields);
  }
}

void AnswerRows(Kept& kept, std::string_view request) {
  std::vector<std::string> fields;
  for (std::size_t from = 0; from < request.size();) {
    const std::size_t zero = request.find('\0', from);
    if (zero == std::string_view::npos) return;
    fields.emplace_back(request.substr(from, zero - from));
    from = zero + 1;
  }
  if (fields.empty() || fields.size() % 2 != 1) return;
  const std::string& path = fields[0];
  Listing out;
  const auto fail = [&](ReadFailure failure, const std::string& name) {
    out.Fail(failure, name);
    out.Record({"end"});
  };
  if (const ReadFailure failure = Current(kept, path); failure != ReadFailure::None) {
    // A file that changes at every reading is no whole file either.
    return fail(failure == ReadFailure::DamagedFile ? ReadFailure::DamagedFile : ReadFailure::MissingFile, path);
  }
  if (!kept.listing) {
    const std::string_view bytes = kept.bytes.View();
    const std::optional<AccessHeader> header = ReadAccessHeader(bytes);
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
    MdbHandle* mdb = mdb_open_buffer(kept.bytes.Data(), bytes.size(), MDB_NOFLAGS);
    if (mdb == nullptr) return fail(ReadFailure::NotDatabase, path);
    kept.listing.reset(mdb);
    if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr || mdb->catalog == nullptr) {
      kept.listing.reset();
      return fail(ReadFailure::DamagedFile, path);
    }
  }
  for (std::size_t i = 1; i + 1 < fields.size(); i += 2)
    ListTable(out, kept.listing.get(), fields[i], SplitColumns(fields[i + 1]));
  out.Record({"end"});
}

// Reads exactly `size` bytes from standard input; false at its end.
bool ReadExactly(char* into, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(STDIN_FILENO, into + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int Serve() {
  Kept kept;
  Ticker ticker;
  for (;;) {
    char header[frame::kHeader];
    if (!ReadExactly(header, sizeof header)) return 0;  // the caller is gone
    std::size_t length = 0;
    for (int k = 0; k < 4; ++k)
      length |= static_cast<std::size_t>(static_cast<unsigned char>(header[1 + k])) << (8 * k);
    if (length > frame::kMost) return 3;
    std::string payload(length, '\0');
    if (!ReadExactly(payload.data(), length)) return 0;
    ticker.Busy(true);
    if (header[0] == frame::kStatements) AnswerStatements(kept, payload);
    else if (header[0] == frame::kRows) AnswerRows(kept, payload);
    ticker.Busy(false);
    Send(frame::kEnd, {});
  }
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** /*argv*/) {
  ostrolen::LimitSelf();
  // libmdb writes names in the character set MDBICONV names; the page reads UTF-8.
  ::unsetenv("MDBICONV");
  if (argc != 1 || ::isatty(STDIN_FILENO)) {
    std::fputs("ostrolen-mdb-reader is started by Ostrolen, which talks to it on its standard input and output\n",
               stderr);
    return 2;
  }
  return ostrolen::Serve();
}

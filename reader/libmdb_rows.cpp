#include "reader/libmdb_rows.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "reader/access_file.h"
#include "reader/like.h"
#include "reader/value_text.h"

namespace ostrolen {

FileBytes::~FileBytes() {
  if (data_ != nullptr) ::munmap(data_, size_);
}

ReadFailure FileBytes::Load(const std::string& path) {
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

class LibmdbFile {
 public:
  // `mdb` reads from a buffer that must outlive it.
  // `code_page`: the one a Jet 3 file's texts are in.
  LibmdbFile(MdbHandle* mdb, std::uint16_t code_page) : mdb_(mdb), code_page_(code_page) {}
  ~LibmdbFile() { mdb_close(mdb_); }
  LibmdbFile(const LibmdbFile&) = delete;
  LibmdbFile& operator=(const LibmdbFile&) = delete;

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

struct LibmdbTable {
  MdbTableDef* table = nullptr;
  LibmdbTable() = default;
  ~LibmdbTable() {
    if (table != nullptr) mdb_free_tabledef(table);
  }
  LibmdbTable(const LibmdbTable&) = delete;
  LibmdbTable& operator=(const LibmdbTable&) = delete;
};

namespace {

struct Damaged {};  // a row or value that points outside its page

std::string GString(char* text) {
  std::string s = text != nullptr ? text : "";
  g_free(text);
  return s;
}

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
Value ReadValue(const LibmdbFile& db, MdbColumn* col, const MdbField& field) {
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

}  // namespace

LibmdbRows::LibmdbRows(const FileBytes& bytes) : bytes_(bytes) {}
LibmdbRows::~LibmdbRows() = default;

std::uint64_t LibmdbRows::Size() { return bytes_.View().size(); }

std::string LibmdbRows::Bytes(std::uint64_t offset, std::size_t length) {
  const std::string_view all = bytes_.View();
  if (offset >= all.size()) return {};
  return std::string(all.substr(static_cast<std::size_t>(offset), length));
}

bool LibmdbRows::Open(const AccessHeader& /*header*/, std::uint16_t code_page) {
  // libmdb reads a Jet 3 file's table and column names in the code page
  // MDB_JET3_CHARSET names: this file's own, whatever the environment said.
  if (code_page != 0) ::setenv("MDB_JET3_CHARSET", CodePageCharset(code_page).c_str(), 1);
  // Opened read-only ("r"): libmdb's stream never writes to the mapping.
  MdbHandle* mdb = mdb_open_buffer(bytes_.Data(), bytes_.View().size(), MDB_NOFLAGS);
  if (mdb == nullptr) return false;
  db_ = std::make_unique<LibmdbFile>(mdb, code_page);
  return true;
}

// The entries stay valid: the catalog is read once, and
// mdb_read_table_by_name (which reads it again) is never used.
std::optional<std::vector<TableEntry>> LibmdbRows::Tables() {
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

std::optional<std::vector<std::string>> LibmdbRows::Columns(std::size_t table) {
  def_ = std::make_unique<LibmdbTable>();
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

RowStep LibmdbRows::NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) {
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

bool LibmdbRows::WholeRow(std::vector<Value>& row) {
  try {
    for (std::size_t c = 0; c < fields_.size(); ++c) row.push_back(ValueOf(c));
  } catch (const Damaged&) {
    return false;
  }
  return true;
}

MdbColumn* LibmdbRows::Column(std::size_t c) const {
  return static_cast<MdbColumn*>(g_ptr_array_index(def_->table->columns, static_cast<guint>(c)));
}
// Each value of the current row is read once, when first asked for.
const Value& LibmdbRows::ValueOf(std::size_t c) {
  if (!values_[c]) values_[c] = ReadValue(*db_, Column(c), fields_[c]);
  return *values_[c];
}

}  // namespace ostrolen

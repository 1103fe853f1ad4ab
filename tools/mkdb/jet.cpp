#include "tools/mkdb/jet.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/mkdb/utf16.h"

namespace ostrolen::mkdb {
namespace {

// What differs between the two formats written here.
struct Format {
  bool jet3 = false;
  std::size_t page_size = kPageSize;
  // Data page: type, a constant 1, free space, owning definition page, (Jet 4:
  // four unused bytes) and the row count; the row offsets follow, the rows
  // themselves are stacked from the end of the page downwards.
  std::size_t data_header = 14;
  std::uint16_t code_page = 1252;     // of Jet 3 texts and names
  std::uint16_t sort_order = 0x0409;  // "General"

  // A Jet 3 row keeps its offsets in single bytes; without the jump table
  // that longer rows need, a row stays under 256 bytes.
  std::size_t MaxRowSize() const { return jet3 ? 255 : page_size - data_header - 2; }
};

// A row pointer (page << 8 | row) keeps the row number in one byte.
constexpr std::size_t kMaxRowsPerPage = 255;
// A definition page starts with type, 1, free space and the next page of
// its chain; the definition itself runs on from byte 8.
constexpr std::size_t kDefinitionHeader = 8;

// Usage maps are 69-byte rows. Kind 0 keeps a start page and 64 bytes of
// bits in the row; kind 1 names up to 17 map pages, each of which has a bit
// for (page size - 4) * 8 pages in turn.
constexpr std::size_t kMapRecordSize = 69;
constexpr std::uint32_t kInlineMapPages = 64 * 8;
std::uint32_t MapPageBits(const Format& format) { return static_cast<std::uint32_t>((format.page_size - 4) * 8); }
constexpr std::size_t kMapPagePointers = 17;

constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 31;
static_assert(kMaxFileSize / kPageSize <= kMapPagePointers * (kPageSize - 4) * 8);

constexpr std::uint32_t kMapsPage = 1;
constexpr std::uint32_t kCatalogPage = 2;

// Fixed, so that one description always gives the same bytes: 2024-01-01 as
// days since 1899-12-30.
constexpr double kCreationDate = 45292.0;

enum JetType : std::uint8_t {
  kBool = 0x01,
  kInteger = 0x03,
  kLong = 0x04,
  kDateTime = 0x08,
  kBinary = 0x09,
  kText = 0x0A,
  kOle = 0x0B,
  kMemo = 0x0C,
  kGuid = 0x0F,
  kComplex = 0x12,
  kExtendedDate = 0x14,
};

// A calculated column's second flags, and the room Access gives one of a
// fixed-length type.
constexpr unsigned kCalculatedFlags = 0xC0;
constexpr std::uint16_t kCalculatedLength = 39;
// The row offsets' flags: a row an update moved elsewhere (its place keeps
// a pointer to it), and the moved row itself, which a scan of the table
// reads where it now lies.
constexpr unsigned kPointerRow = 0x4000;
constexpr unsigned kMovedRow = 0x8000;

void Put8(std::string& out, unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); }
void Put16(std::string& out, unsigned value) {
  Put8(out, value);
  Put8(out, value >> 8);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void Set16(std::string& out, std::size_t at, unsigned value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
void Set32(std::string& out, std::size_t at, std::uint32_t value) {
  Set16(out, at, value & 0xFFFF);
  Set16(out, at + 2, value >> 16);
}

std::string Ucs2(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t c : text) Put16(out, c);
  return out;
}

// Names reach here checked: well-formed and within U+FFFF.
std::u16string Wide(std::string_view utf8) { return ToUcs2(utf8).value_or(std::u16string()); }

struct JetColumn;
unsigned LiveCount(const std::vector<JetColumn>& columns);

struct JetColumn {
  std::u16string name;
  JetType type;
  std::uint16_t length;  // bytes; 0 for memo and OLE
  bool calculated = false;
  bool deleted = false;  // only its number and its place in the rows are left
};

bool IsFixed(JetType type) {
  return type == kBool || type == kInteger || type == kLong || type == kDateTime || type == kGuid || type == kComplex ||
         type == kExtendedDate;
}
unsigned LiveCount(const std::vector<JetColumn>& columns) {
  return static_cast<unsigned>(
      std::count_if(columns.begin(), columns.end(), [](const JetColumn& column) { return !column.deleted; }));
}

// A calculated column keeps its value with a variable length, whatever its type.
bool IsFixed(const JetColumn& column) { return IsFixed(column.type) && !column.calculated; }

// One value as a row keeps it. `present` is the null-mask bit: "not null",
// or for a Yes/No column the value itself.
struct Cell {
  bool present = false;
  std::string bytes;
};

Cell LongCell(std::int32_t value) {
  Cell cell{true, {}};
  Put32(cell.bytes, static_cast<std::uint32_t>(value));
  return cell;
}
Cell IntegerCell(std::int16_t value) {
  Cell cell{true, {}};
  Put16(cell.bytes, static_cast<std::uint16_t>(value));
  return cell;
}
Cell DateCell(double days) {
  Cell cell{true, {}};
  const auto bits = std::bit_cast<std::uint64_t>(days);
  Put32(cell.bytes, static_cast<std::uint32_t>(bits));
  Put32(cell.bytes, static_cast<std::uint32_t>(bits >> 32));
  return cell;
}
// A character the code page has no byte for.
struct NotInCodePage {};

// Jet 3 keeps texts in the file's code page, one byte a character.
std::string InCodePage(std::u16string_view text, std::uint16_t code_page) {
  const std::string charset = "CP" + std::to_string(code_page);
  iconv_t cd = iconv_open(charset.c_str(), "UTF-16LE");
  if (reinterpret_cast<std::intptr_t>(cd) == -1) throw NotInCodePage{};  // no such code page here
  std::string in = Ucs2(text);
  std::string out(in.size() * 2, '\0');
  char* from = in.data();
  std::size_t from_left = in.size();
  char* to = out.data();
  std::size_t to_left = out.size();
  const std::size_t done = iconv(cd, &from, &from_left, &to, &to_left);
  iconv_close(cd);
  if (done != 0 || from_left != 0) throw NotInCodePage{};  // also a character replaced by iconv
  out.resize(out.size() - to_left);
  return out;
}

std::string TextBytes(std::u16string_view text, const Format& format) {
  return format.jet3 ? InCodePage(text, format.code_page) : Ucs2(text);
}

Cell TextCell(std::u16string_view text, const Format& format) { return Cell{true, TextBytes(text, format)}; }

// Where each column sits in a row: fixed columns in a block after the column
// count (Yes/No columns take no room there), then the variable ones.
class RowLayout {
 public:
  explicit RowLayout(const std::vector<JetColumn>& columns) {
    for (const JetColumn& column : columns) {
      if (IsFixed(column)) {
        fixed_offset_.push_back(fixed_size_);
        var_index_.push_back(var_count_);  // the count so far, as Access writes it
        if (column.type != kBool) fixed_size_ += column.length;
      } else {
        fixed_offset_.push_back(0);
        var_index_.push_back(var_count_++);
      }
      fixed_.push_back(IsFixed(column) && column.type != kBool);
      variable_.push_back(!IsFixed(column));
    }
  }

  std::uint16_t fixed_offset(std::size_t i) const { return fixed_offset_[i]; }
  std::uint16_t var_index(std::size_t i) const { return var_index_[i]; }
  std::uint16_t var_count() const { return var_count_; }

  // Column count, fixed block, variable data, then (if the table has
  // variable columns) the end of the data, their offsets last to first and
  // their count, and finally the null mask.
  // Jet 3 writes the count, the offsets and the end in single bytes.
  std::string Encode(const std::vector<Cell>& cells, bool jet3 = false) const {
    const auto put = [jet3](std::string& out, std::size_t value) {
      if (jet3) {
        Put8(out, static_cast<unsigned>(value));
      } else {
        Put16(out, static_cast<unsigned>(value));
      }
    };
    std::string row;
    put(row, cells.size());
    std::string fixed(fixed_size_, '\0');
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (fixed_[i] && cells[i].present) fixed.replace(fixed_offset_[i], cells[i].bytes.size(), cells[i].bytes);
    }
    row += fixed;
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (!variable_[i]) continue;
      starts.push_back(row.size());
      if (cells[i].present) row += cells[i].bytes;
    }
    if (var_count_ > 0) {
      put(row, row.size());
      for (std::size_t k = starts.size(); k-- > 0;) put(row, starts[k]);
      put(row, var_count_);
    }
    std::string mask((cells.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (cells[i].present) mask[i / 8] = static_cast<char>(mask[i / 8] | (1 << (i % 8)));
    }
    return row + mask;
  }

 private:
  std::vector<std::uint16_t> fixed_offset_;
  std::vector<std::uint16_t> var_index_;
  std::vector<bool> fixed_;
  std::vector<bool> variable_;
  std::uint16_t fixed_size_ = 0;  // from the byte after the column count
  std::uint16_t var_count_ = 0;
};

// The catalog's own columns, in column-number order.
struct CatalogColumnSpec {
  std::u16string_view name;
  JetType type;
  std::uint16_t length;
};
constexpr std::array<CatalogColumnSpec, 17> kCatalogColumns{{
    {u"Id", kLong, 4},
    {u"ParentId", kLong, 4},
    {u"Name", kText, 510},
    {u"Type", kInteger, 2},
    {u"DateCreate", kDateTime, 8},
    {u"DateUpdate", kDateTime, 8},
    {u"Owner", kBinary, 255},
    {u"Flags", kLong, 4},
    {u"Database", kMemo, 0},
    {u"Connect", kMemo, 0},
    {u"ForeignName", kText, 510},
    {u"RmtInfoShort", kBinary, 255},
    {u"RmtInfoLong", kOle, 0},
    {u"Lv", kOle, 0},
    {u"LvProp", kOle, 0},
    {u"LvModule", kOle, 0},
    {u"LvExtra", kOle, 0},
}};
enum CatalogColumn { kId, kParentId, kName, kType, kDateCreate, kDateUpdate, kOwner, kFlags };

constexpr std::int16_t kTableObject = 1;
constexpr std::int16_t kContainerObject = 3;
constexpr std::uint32_t kSystemObject = 0x80000000;
constexpr std::int32_t kContainersParent = 0x0F000000;
constexpr std::int32_t kTablesContainer = 0x0F000001;

struct CatalogEntry {
  std::u16string name;
  std::int32_t id;  // a table's id is the page of its definition
  std::int32_t parent;
  std::int16_t type;
  std::uint32_t flags;
};

// The containers come first, as in a database that Access creates.
const std::array<CatalogEntry, 3> kContainers{{
    {u"Tables", kTablesContainer, kContainersParent, kContainerObject, kSystemObject},
    {u"Databases", 0x0F000002, kContainersParent, kContainerObject, kSystemObject},
    {u"Relationships", 0x0F000003, kContainersParent, kContainerObject, kSystemObject},
}};

std::vector<Cell> CatalogCells(const CatalogEntry& entry, const Format& format) {
  std::vector<Cell> cells(kCatalogColumns.size());
  cells[kId] = LongCell(entry.id);
  cells[kParentId] = LongCell(entry.parent);
  cells[kName] = TextCell(entry.name, format);
  cells[kType] = IntegerCell(entry.type);
  cells[kDateCreate] = DateCell(kCreationDate);
  cells[kDateUpdate] = DateCell(kCreationDate);
  cells[kFlags] = LongCell(static_cast<std::int32_t>(entry.flags));
  return cells;
}

std::vector<JetColumn> CatalogColumns(const Format& format) {
  std::vector<JetColumn> columns;
  columns.reserve(std::size(kCatalogColumns));
  for (const CatalogColumnSpec& spec : kCatalogColumns) {
    // Jet 3 texts take a byte a character.
    const bool text = spec.type == kText;
    columns.push_back(JetColumn{std::u16string(spec.name), spec.type,
                                static_cast<std::uint16_t>(text && format.jet3 ? spec.length / 2 : spec.length)});
  }
  return columns;
}

// A feature of Access 2000 and later in a Jet 3 description.
struct NotInJet3 {
  int line;
  std::string what;
};

std::vector<JetColumn> UserColumns(const Table& table, const Format& format) {
  std::vector<JetColumn> columns;
  for (const Column& column : table.columns) {
    JetColumn jet{Wide(column.name), kText, 0, column.calculated, column.deleted};
    switch (column.kind) {
      case ColumnKind::Text: jet.length = static_cast<std::uint16_t>((format.jet3 ? 1 : 2) * column.size); break;
      case ColumnKind::Long: jet = JetColumn{jet.name, kLong, 4, column.calculated, column.deleted}; break;
      case ColumnKind::Bool: jet = JetColumn{jet.name, kBool, 1, false, column.deleted}; break;
      case ColumnKind::Guid: jet = JetColumn{jet.name, kGuid, 16, false, column.deleted}; break;
      case ColumnKind::ExtendedDate: jet = JetColumn{jet.name, kExtendedDate, 42, false, column.deleted}; break;
      case ColumnKind::Complex: jet = JetColumn{jet.name, kComplex, 4, false, column.deleted}; break;
    }
    if (format.jet3 &&
        (column.calculated || column.kind == ColumnKind::ExtendedDate || column.kind == ColumnKind::Complex)) {
      throw NotInJet3{table.line, "column " + column.name + " is of a kind Jet 3 does not have"};
    }
    if (column.calculated && jet.type != kText) jet.length = kCalculatedLength;
    columns.push_back(std::move(jet));
  }
  return columns;
}

// A calculated column's value: 16 bytes, its length, the value, 3 bytes.
std::string Wrapped(const std::string& value) {
  std::string out(16, '\0');
  Put32(out, static_cast<std::uint32_t>(value.size()));
  return out + value + std::string(3, '\0');
}

// A text of one byte a character (a replication id, an extended date/time).
std::string Bytes(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out.push_back(static_cast<char>(c));
  return out;
}

Cell UserCell(const Value& value, const JetColumn& column, const Format& format) {
  Cell cell;
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    cell = column.type == kGuid || column.type == kExtendedDate ? Cell{true, Bytes(*text)} : TextCell(*text, format);
  } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
    cell = LongCell(*number);
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    return Cell{*flag, {}};
  }
  if (column.calculated && cell.present) cell.bytes = Wrapped(cell.bytes);
  return cell;
}

// A row and the flags of its offset.
struct PageRow {
  PageRow(std::string row, unsigned row_flags = 0) : bytes(std::move(row)), flags(row_flags) {}  // NOLINT
  std::string bytes;
  unsigned flags;
};
using PageRows = std::vector<PageRow>;

// Rows fill pages in order, each page taking as many as fit.
class PagePacker {
 public:
  explicit PagePacker(const Format& format) : format_(format) {}
  // Where the row went: its page among the packed ones, and its number there.
  std::pair<std::size_t, std::size_t> Add(std::string row, unsigned flags = 0) {
    if (pages_.empty() || used_ + 2 + row.size() > format_.page_size || pages_.back().size() >= kMaxRowsPerPage) {
      pages_.emplace_back();
      used_ = format_.data_header;
    }
    used_ += 2 + row.size();
    pages_.back().emplace_back(std::move(row), flags);
    return {pages_.size() - 1, pages_.back().size() - 1};
  }
  std::vector<PageRows> Take() { return std::move(pages_); }

 private:
  Format format_;
  std::vector<PageRows> pages_;
  std::size_t used_ = 0;
};

std::string DataPage(const PageRows& rows, std::uint32_t owner, const Format& format) {
  std::string page(format.page_size, '\0');
  page[0] = 0x01;
  page[1] = 0x01;
  Set32(page, 4, owner);
  Set16(page, format.data_header - 2, static_cast<unsigned>(rows.size()));
  std::size_t end = format.page_size;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    end -= rows[i].bytes.size();
    page.replace(end, rows[i].bytes.size(), rows[i].bytes);
    Set16(page, format.data_header + 2 * i, static_cast<unsigned>(end) | rows[i].flags);
  }
  Set16(page, 2, static_cast<unsigned>(end - format.data_header - 2 * rows.size()));
  return page;
}

struct PageRange {
  std::uint32_t first = 0;
  std::uint32_t count = 0;
};

bool FitsInline(PageRange range) { return range.count <= kInlineMapPages; }

// The map pages that a kind-1 map of the range needs, by slot.
std::vector<std::uint32_t> MapSlots(PageRange range, const Format& format) {
  std::vector<std::uint32_t> slots;
  if (range.count == 0) return slots;
  const std::uint32_t bits = MapPageBits(format);
  for (std::uint32_t slot = range.first / bits; slot <= (range.first + range.count - 1) / bits; ++slot) {
    slots.push_back(slot);
  }
  return slots;
}

struct UsageMap {
  PageRange range;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> map_pages;  // slot, page
};

std::string MapRecord(const UsageMap& map) {
  std::string record(kMapRecordSize, '\0');
  if (map.map_pages.empty()) {
    Set32(record, 1, map.range.first);
    for (std::uint32_t k = 0; k < map.range.count; ++k) {
      record[5 + k / 8] = static_cast<char>(record[5 + k / 8] | (1 << (k % 8)));
    }
    return record;
  }
  record[0] = 0x01;
  for (const auto& [slot, page] : map.map_pages) Set32(record, 1 + 4 * slot, page);
  return record;
}

std::string MapPage(PageRange range, std::uint32_t slot, const Format& format) {
  std::string page(format.page_size, '\0');
  page[0] = 0x05;
  page[1] = 0x01;
  const std::uint32_t bits = MapPageBits(format);
  const std::uint32_t base = slot * bits;
  for (std::uint32_t p = std::max(range.first, base); p < range.first + range.count && p < base + bits; ++p) {
    const std::size_t bit = p - base;
    page[4 + bit / 8] = static_cast<char>(page[4 + bit / 8] | (1 << (bit % 8)));
  }
  return page;
}

// Jet 3's definition: shorter counts, 18-byte column entries with the code
// page of each text column, names in the code page after a one-byte length.
std::string Jet3Definition(const std::vector<JetColumn>& columns, std::uint32_t rows, bool system,
                           std::uint32_t used_map, std::uint32_t free_map, const Format& format) {
  const RowLayout layout(columns);
  std::string out;
  Put32(out, 0);  // length, set below
  Put32(out, rows);
  Put32(out, 0);  // next autonumber
  Put8(out, system ? 0x53 : 0x4E);
  Put16(out, static_cast<unsigned>(columns.size()));  // most columns a row has, deleted ones too
  Put16(out, layout.var_count());
  Put16(out, LiveCount(columns));
  Put32(out, 0);  // indexes
  Put32(out, 0);
  Put32(out, used_map);
  Put32(out, free_map);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const JetColumn& column = columns[i];
    if (column.deleted) continue;
    const bool text = column.type == kText || column.type == kMemo;
    Put8(out, column.type);
    Put16(out, static_cast<unsigned>(i));
    Put16(out, layout.var_index(i));
    Put16(out, static_cast<unsigned>(i));
    Put16(out, text ? format.sort_order : 0);
    Put16(out, text ? format.code_page : 0);
    Put16(out, 0);
    Put8(out, IsFixed(column) ? 0x03 : 0x02);  // fixed length; may be null
    Put16(out, layout.fixed_offset(i));
    Put16(out, column.length);
  }
  for (const JetColumn& column : columns) {
    if (column.deleted) continue;
    const std::string name = InCodePage(column.name, format.code_page);
    Put8(out, static_cast<unsigned>(name.size()));
    out += name;
  }
  Put16(out, 0xFFFF);  // end of the per-column map list
  out.append(8, '\0');
  Set32(out, 0, static_cast<std::uint32_t>(out.size()));
  return out;
}

// An index on one column: its number in the table, and the page its
// entries start on.
struct IndexPlan {
  int column = -1;
  std::uint32_t page = 0;
};

// The definition of a table, from byte 8 of its first page on.
std::string Definition(const std::vector<JetColumn>& columns, std::uint32_t rows, bool system, std::uint32_t used_map,
                       std::uint32_t free_map, const Format& format, IndexPlan index = {}) {
  if (format.jet3) return Jet3Definition(columns, rows, system, used_map, free_map, format);
  const unsigned indexes = index.column >= 0 ? 1 : 0;
  const RowLayout layout(columns);
  std::string out;
  Put32(out, 0);  // length, set below
  Put32(out, 0);
  Put32(out, rows);
  Put32(out, 0);  // next autonumber
  Put8(out, 1);
  out.append(3, '\0');
  Put32(out, 0);
  out.append(8, '\0');
  Put8(out, system ? 0x53 : 0x4E);
  Put16(out, static_cast<unsigned>(columns.size()));  // most columns a row has, deleted ones too
  Put16(out, layout.var_count());
  Put16(out, LiveCount(columns));
  Put32(out, indexes);  // logical indexes
  Put32(out, indexes);  // real ones
  Put32(out, used_map);
  Put32(out, free_map);
  if (indexes != 0) {  // the real index: its row count
    Put32(out, 0);
    Put32(out, rows);
    Put32(out, 0);
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const JetColumn& column = columns[i];
    if (column.deleted) continue;
    const bool text = column.type == kText || column.type == kMemo;
    Put8(out, column.type);
    Put32(out, 0);
    Put16(out, static_cast<unsigned>(i));
    Put16(out, layout.var_index(i));
    Put16(out, static_cast<unsigned>(i));
    Put16(out, text ? 0x0409 : 0);  // sort order "General"
    Put16(out, 0);
    Put8(out, IsFixed(column) ? 0x03 : 0x02);             // fixed length; may be null
    Put8(out, column.calculated ? kCalculatedFlags : 0);  // not compressed
    Put32(out, 0);
    Put16(out, layout.fixed_offset(i));
    Put16(out, column.length);
  }
  for (const JetColumn& column : columns) {
    if (column.deleted) continue;
    Put16(out, static_cast<unsigned>(2 * column.name.size()));
    out += Ucs2(column.name);
  }
  if (indexes != 0) {
    // The real index: its column (ascending), the other nine slots empty,
    // no usage map of its own, its first page, no flags.
    Put32(out, 0);
    Put16(out, static_cast<unsigned>(index.column));
    Put8(out, 0x01);
    for (int k = 1; k < 10; ++k) {
      Put16(out, 0xFFFF);
      Put8(out, 0);
    }
    Put32(out, 0);
    Put32(out, index.page);
    Put8(out, 0);
    out.append(9, '\0');
    // The logical index on it: number 0, real index 0, no foreign key.
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put8(out, 0);
    Put32(out, 0xFFFFFFFF);
    Put32(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put32(out, 0);
    const std::u16string name = u"Index1";
    Put16(out, static_cast<unsigned>(2 * name.size()));
    out += Ucs2(name);
  }
  Put16(out, 0xFFFF);  // end of the per-column map list
  out.append(8, '\0');
  Set32(out, 0, static_cast<std::uint32_t>(out.size()));
  return out;
}

// An index's leaf page with no entries; the readers of tables do not read it.
std::string IndexLeafPage(std::uint32_t owner, const Format& format) {
  std::string page(format.page_size, '\0');
  page[0] = 0x04;
  page[1] = 0x01;
  Set16(page, 2, static_cast<unsigned>(format.page_size - 0x1E0));
  Set32(page, 4, owner);
  return page;
}

std::uint32_t DefinitionPageCount(const std::string& definition, const Format& format) {
  const std::size_t room = format.page_size - kDefinitionHeader;
  return static_cast<std::uint32_t>((definition.size() + room - 1) / room);
}

// A long definition continues on the following pages, each chained to the next.
std::vector<std::string> DefinitionPages(const std::string& definition, std::uint32_t first, const Format& format) {
  const std::size_t room = format.page_size - kDefinitionHeader;
  const std::uint32_t count = DefinitionPageCount(definition, format);
  std::vector<std::string> pages;
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::string part = definition.substr(k * room, room);
    std::string page(format.page_size, '\0');
    page[0] = 0x02;
    page[1] = 0x01;
    if (format.jet3) {
      page[2] = 'V';
      page[3] = 'C';
    } else {
      Set16(page, 2, static_cast<unsigned>(room - part.size()));
    }
    Set32(page, 4, k + 1 < count ? first + k + 1 : 0);
    page.replace(kDefinitionHeader, part.size(), part);
    pages.push_back(std::move(page));
  }
  return pages;
}

// RC4, with which Jet hides part of the header page.
void Rc4(std::string_view key, std::string& data) {
  std::array<std::uint8_t, 256> s{};
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    j = static_cast<std::uint8_t>(j + s[i] + static_cast<std::uint8_t>(key[i % key.size()]));
    std::swap(s[i], s[j]);
  }
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  for (char& c : data) {
    a = static_cast<std::uint8_t>(a + 1);
    b = static_cast<std::uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    c = static_cast<char>(static_cast<std::uint8_t>(c) ^ s[static_cast<std::uint8_t>(s[a] + s[b])]);
  }
}

// Header page: signature and version in the clear; from 0x18 on, 128 bytes
// under RC4 that hold the code page, the encryption key (0: none), the
// password, the sort order and the creation date.
std::string HeaderPage(const Format& format) {
  constexpr std::size_t kHidden = 0x18;
  std::string page(format.page_size, '\0');
  page[1] = 0x01;
  constexpr std::string_view signature("Standard Jet DB\0", 16);  // with its terminating zero
  page.replace(4, signature.size(), signature);
  if (format.jet3) {
    // Version 0; 126 hidden bytes: the sort order, the code page, no key, no password.
    std::string hidden(126, '\0');
    Set16(hidden, 0x3A - kHidden, format.sort_order);
    Set16(hidden, 0x3C - kHidden, format.code_page);
    Rc4(std::string_view("\xC7\xDA\x39\x6B", 4), hidden);
    page.replace(kHidden, hidden.size(), hidden);
    return page;
  }
  Set32(page, 0x14, 1);  // Jet 4

  std::string hidden(128, '\0');
  Set16(hidden, 0x3C - kHidden, 0x04E4);  // code page 1252
  Set32(hidden, 0x3E - kHidden, 0);
  // The password is kept XORed with the whole days of the creation date; an
  // empty password is thus the mask itself.
  const auto mask = static_cast<std::uint32_t>(kCreationDate);
  for (std::size_t i = 0; i < 40; ++i) hidden[0x42 - kHidden + i] = static_cast<char>((mask >> (8 * (i % 4))) & 0xFF);
  Set32(hidden, 0x6E - kHidden, 0x0409);
  const auto date = std::bit_cast<std::uint64_t>(kCreationDate);
  Set32(hidden, 0x72 - kHidden, static_cast<std::uint32_t>(date));
  Set32(hidden, 0x76 - kHidden, static_cast<std::uint32_t>(date >> 32));
  Rc4(std::string_view("\xC7\xDA\x39\x6B", 4), hidden);
  page.replace(kHidden, hidden.size(), hidden);
  return page;
}

struct TablePlan {
  std::u16string name;
  std::vector<JetColumn> columns;
  std::vector<PageRows> pages;
  std::uint32_t rows = 0;
  bool system = false;
  std::uint32_t definition_page = 0;
  PageRange data;
  IndexPlan index;
};

std::uint32_t RowPointer(std::size_t record, std::uint32_t first_extra, std::size_t per_page) {
  const std::size_t holder = record / per_page;
  const std::uint32_t page = holder == 0 ? kMapsPage : first_extra + static_cast<std::uint32_t>(holder - 1);
  return page << 8 | static_cast<std::uint32_t>(record % per_page);
}

std::string Image(const Database& db, const Format& format) {
  // Plans: the catalog first, then the tables in the order given.
  std::vector<TablePlan> plans(1);
  plans[0].name = u"MSysObjects";
  plans[0].columns = CatalogColumns(format);
  plans[0].system = true;
  plans[0].definition_page = kCatalogPage;

  std::uint32_t next = kCatalogPage + 1;
  for (const Table& table : db.tables) {
    TablePlan plan;
    plan.name = Wide(table.name);
    plan.columns = UserColumns(table, format);
    if (format.jet3 && table.index >= 0) throw NotInJet3{table.line, "table " + table.name + " has an index"};
    const RowLayout layout(plan.columns);
    PagePacker packer(format);
    // A moved row's place keeps a pointer to it; the rows an update moved
    // lie after the others, on the table's last pages.
    std::vector<std::pair<std::size_t, std::size_t>> pointers;
    std::vector<std::string> moved;
    for (const Row& row : table.rows) {
      std::vector<Cell> cells;
      cells.reserve(row.values.size());
      try {
        for (std::size_t c = 0; c < row.values.size(); ++c) {
          cells.push_back(UserCell(row.values[c], plan.columns[c], format));
        }
      } catch (const NotInCodePage&) {
        throw InputError(
            row.line, "a text has a character that code page " + std::to_string(format.code_page) + " does not have");
      }
      std::string bytes = layout.Encode(cells, format.jet3);
      if (bytes.size() > format.MaxRowSize()) {
        throw InputError(row.line, "row takes " + std::to_string(bytes.size()) + " bytes; a " +
                                       (format.jet3 ? "Jet 3" : "Jet 4") + " row holds at most " +
                                       std::to_string(format.MaxRowSize()));
      }
      if (row.moved) {
        if (format.jet3) throw NotInJet3{row.line, "a moved row"};
        pointers.push_back(packer.Add(std::string(4, '\0'), kPointerRow));
        moved.push_back(std::move(bytes));
      } else {
        packer.Add(std::move(bytes));
      }
    }
    std::vector<std::pair<std::size_t, std::size_t>> targets;
    for (std::string& bytes : moved) targets.push_back(packer.Add(std::move(bytes), kMovedRow));
    plan.pages = packer.Take();
    plan.rows = static_cast<std::uint32_t>(table.rows.size());
    plan.definition_page = next;
    plan.index.column = table.index;
    next += DefinitionPageCount(Definition(plan.columns, plan.rows, false, 0, 0, format, plan.index), format);
    plan.data = PageRange{next, static_cast<std::uint32_t>(plan.pages.size())};
    next += plan.data.count;
    if (plan.index.column >= 0) plan.index.page = next++;
    // The pointer: the moved row's number and its page (3 bytes).
    for (std::size_t k = 0; k < pointers.size(); ++k) {
      std::string& pointer = plan.pages[pointers[k].first][pointers[k].second].bytes;
      Set32(pointer, 0, (plan.data.first + static_cast<std::uint32_t>(targets[k].first)) << 8);
      pointer[0] = static_cast<char>(targets[k].second);
    }
    plans.push_back(std::move(plan));
  }

  std::vector<CatalogEntry> entries(kContainers.begin(), kContainers.end());
  for (const TablePlan& plan : plans) {
    entries.push_back(CatalogEntry{plan.name, static_cast<std::int32_t>(plan.definition_page), kTablesContainer,
                                   kTableObject, plan.system ? kSystemObject : 0});
  }
  const RowLayout catalog_layout(plans[0].columns);
  PagePacker catalog(format);
  for (const CatalogEntry& entry : entries) {
    catalog.Add(catalog_layout.Encode(CatalogCells(entry, format), format.jet3));
  }
  plans[0].pages = catalog.Take();
  plans[0].rows = static_cast<std::uint32_t>(entries.size());
  plans[0].data = PageRange{next, static_cast<std::uint32_t>(plans[0].pages.size())};
  next += plans[0].data.count;

  // Usage maps: the database-wide one, then each table's map of its pages and
  // its map of pages with room left (its last page, where new rows go).
  // The database-wide map is left empty: no page is offered as free.
  std::vector<UsageMap> maps(1);
  for (const TablePlan& plan : plans) {
    maps.push_back(UsageMap{plan.data, {}});
    maps.push_back(UsageMap{plan.data.count ? PageRange{plan.data.first + plan.data.count - 1, 1} : PageRange{}, {}});
  }
  const std::size_t per_holder =
      std::min(kMaxRowsPerPage, (format.page_size - format.data_header) / (kMapRecordSize + 2));
  const std::size_t extra_holders = (maps.size() - 1) / per_holder;
  const std::uint32_t first_extra = next;
  next += static_cast<std::uint32_t>(extra_holders);
  for (UsageMap& map : maps) {
    if (FitsInline(map.range)) continue;
    for (const std::uint32_t slot : MapSlots(map.range, format)) map.map_pages.emplace_back(slot, next++);
  }

  // Jet files stop at 2 GB; the usage maps could not name pages past it.
  if (static_cast<std::uint64_t>(next) * format.page_size > kMaxFileSize) {
    throw InputError(db.tables.empty() ? 0 : db.tables.back().line, "the database would be larger than 2 GB");
  }
  // Jet 3's smaller map pages name fewer pages than 2 GB holds.
  if (next > kMapPagePointers * MapPageBits(format)) {
    throw InputError(
        db.tables.empty() ? 0 : db.tables.back().line,
        "the database would have more pages than a " + std::to_string(format.page_size) + "-byte page format can map");
  }
  std::string image(static_cast<std::size_t>(next) * format.page_size, '\0');
  const auto place = [&image, &format](std::uint32_t number, const std::string& page) {
    image.replace(static_cast<std::size_t>(number) * format.page_size, format.page_size, page);
  };
  place(0, HeaderPage(format));

  std::vector<PageRows> holders(1 + extra_holders);
  for (std::size_t r = 0; r < maps.size(); ++r) {
    holders[r / per_holder].push_back(MapRecord(maps[r]));
    for (const auto& [slot, page] : maps[r].map_pages) place(page, MapPage(maps[r].range, slot, format));
  }
  place(kMapsPage, DataPage(holders[0], kMapsPage, format));
  for (std::size_t h = 1; h < holders.size(); ++h) {
    place(first_extra + static_cast<std::uint32_t>(h - 1), DataPage(holders[h], 0, format));
  }

  for (std::size_t t = 0; t < plans.size(); ++t) {
    const TablePlan& plan = plans[t];
    const std::string definition =
        Definition(plan.columns, plan.rows, plan.system, RowPointer(1 + 2 * t, first_extra, per_holder),
                   RowPointer(2 + 2 * t, first_extra, per_holder), format, plan.index);
    if (plan.index.column >= 0) place(plan.index.page, IndexLeafPage(plan.definition_page, format));
    std::uint32_t page = plan.definition_page;
    for (const std::string& part : DefinitionPages(definition, plan.definition_page, format)) place(page++, part);
    for (std::uint32_t k = 0; k < plan.data.count; ++k) {
      place(plan.data.first + k, DataPage(plan.pages[k], plan.definition_page, format));
    }
  }
  return image;
}

}  // namespace

std::string JetImage(const Database& db) { return Image(db, Format{}); }

std::string Jet3Image(const Database& db, std::uint16_t code_page) {
  Format format;
  format.jet3 = true;
  format.page_size = 2048;
  format.data_header = 10;
  format.code_page = code_page;
  format.sort_order = code_page == 1251 ? 0x0419 : 0x0409;  // "Cyrillic" or "General"
  try {
    return Image(db, format);
  } catch (const NotInJet3& not_in_jet3) {
    throw InputError(not_in_jet3.line, not_in_jet3.what + ": Jet 3 (Access 97) has no such thing");
  } catch (const NotInCodePage&) {
    throw InputError(
        db.tables.empty() ? 0 : db.tables.front().line,
        "a table or column name has a character that code page " + std::to_string(code_page) + " does not have");
  }
}

}  // namespace ostrolen::mkdb

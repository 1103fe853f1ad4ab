#include "reader/framing.h"

#include <algorithm>
#include <string_view>

namespace ostrolen {
namespace {

constexpr std::uint8_t kDataPage = 0x01;
constexpr std::uint8_t kDefinitionPage = 0x02;
constexpr std::uint8_t kUsageMapPage = 0x05;

// Column types.
constexpr std::uint8_t kBoolean = 0x01;
constexpr std::uint8_t kText = 0x0A;
constexpr std::uint8_t kOle = 0x0B;
constexpr std::uint8_t kMemo = 0x0C;

// Where a table definition keeps the rows that hold its usage map and its
// map of free space, how many columns the table has (and just before it how
// many of them have a variable length, and before that how many columns a
// row can hold), how many real indexes it has and where their entries
// start; a data page keeps its row count, and the row offsets follow it.
struct LayoutOf {
  std::size_t usage_map;
  std::size_t free_map;
  std::size_t row_count;
  std::size_t column_count;
  std::size_t real_indexes;
  std::size_t index_entries;
  std::size_t index_entry;
  // A column's entry: its size and where it keeps its type's companions
  // (Jet 4 keeps more flags in the byte after the first ones).
  std::size_t column_entry;
  std::size_t number;
  std::size_t variable;
  std::size_t flags;
  std::size_t fixed_offset;
  std::size_t length;
};
constexpr LayoutOf kJet3{35, 39, 8, 25, 31, 43, 8, 18, 1, 3, 13, 14, 16};
constexpr LayoutOf kJet4{55, 59, 12, 45, 51, 63, 12, 25, 5, 7, 15, 21, 23};

// The column types both readers know: Yes/No to memo (1-12), replication
// id (15), decimal (16), a complex column (18: attachments, multiple
// values, a memo's history; the table keeps a number that names its rows
// in a hidden table), large number (19) and extended date/time (20). 13,
// 14 and 17 the engine keeps for itself.
bool KnownType(std::uint8_t type) {
  return (type >= 1 && type <= 12) || type == 15 || type == 16 || (type >= 18 && type <= 20);
}

std::uint32_t Little(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int k = size - 1; k >= 0; --k) v = v << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(k)]);
  return v;
}

// A Jet 4 column's second flags: a calculated column (Access 2010), which
// keeps the value its expression gave when the row was written.
constexpr std::uint8_t kCalculated = 0xC0;
constexpr std::size_t kCalculatedHead = 20;

// A row offset's flag of a deleted row. The other flag (0x8000, a row
// moved to another page) both readers pass over: they read the row where
// its offset points.
constexpr std::uint32_t kDeletedRow = 0x4000;
// The largest row number a long-value pointer can name.
constexpr std::size_t kMostRowsOfPage = 1000;

}  // namespace

FileFraming::FileFraming(RowSource& source, const AccessHeader& header)
    : source_(source),
      header_(header),
      jet3_(header.engine == AccessEngine::Jet3),
      size_(PageSize(header)),
      count_(source.Size() / size_) {}

bool FileFraming::Whole() const { return source_.Size() % size_ == 0 && count_ > kCatalog; }

std::optional<std::string> FileFraming::Page(std::uint64_t number, std::uint8_t type) {
  if (number == 0 || number >= count_) return std::nullopt;
  std::string page = PlainPage(header_, static_cast<std::uint32_t>(number), source_.Bytes(number * size_, size_));
  if (page.size() != size_ || static_cast<std::uint8_t>(page[0]) != type) return std::nullopt;
  return page;
}

// The table's definition: its first page whole, and every page it
// continues on without its 8-byte head, as both readers join them.
std::optional<std::string> FileFraming::Definition(std::uint32_t first) {
  std::optional<std::string> page = Page(first, kDefinitionPage);
  if (!page) return std::nullopt;
  std::string whole = *page;
  for (std::uint64_t seen = 0; Little(*page, 4, 4) != 0; ++seen) {
    if (seen >= count_) return std::nullopt;  // a chain that runs in a circle
    page = Page(Little(*page, 4, 4), kDefinitionPage);
    if (!page) return std::nullopt;
    whole.append(*page, 8);
  }
  return whole;
}

// The row a page-and-row pointer names (the row in its low byte). libmdb
// masks the flags of the offsets it starts and ends at; the browser's
// reader takes a long value's start as it stands, and a usage map's start
// and end both.
std::optional<std::string> FileFraming::Row(std::uint32_t pointer, PointerRead pointer_read) {
  std::optional<std::string> page = Page(pointer >> 8, kDataPage);
  if (!page) return std::nullopt;
  const LayoutOf& layout = jet3_ ? kJet3 : kJet4;
  const std::size_t row = pointer & 0xFF;
  const std::size_t count_at = layout.row_count;
  if (row >= Little(*page, count_at, 2) || count_at + 2 + 2 * row + 2 > size_) return std::nullopt;
  const std::uint32_t entry = Little(*page, count_at + 2 + 2 * row, 2);
  const std::uint32_t before = row == 0 ? static_cast<std::uint32_t>(size_) : Little(*page, count_at + 2 * row, 2);
  if (pointer_read != PointerRead::Masked && (entry & 0xE000) != 0) return std::nullopt;
  if (pointer_read == PointerRead::Unmasked && (before & 0xE000) != 0) return std::nullopt;
  const std::size_t start = entry & 0x1FFF;
  const std::size_t end = before & 0x1FFF;
  if (start >= end || end > size_ || start < count_at + 2 + 2 * static_cast<std::size_t>(Little(*page, count_at, 2)))
    return std::nullopt;
  return page->substr(start, end - start);
}

bool FileFraming::TableWithin(std::uint32_t first) {
  const std::optional<std::string> definition = Definition(first);
  if (!definition) return false;
  const LayoutOf& layout = jet3_ ? kJet3 : kJet4;
  const std::optional<std::string> map = Row(Little(*definition, layout.usage_map, 4), PointerRead::Unmasked);
  if (!map || map->empty()) return false;
  if ((*map)[0] == 0) {  // a start page and a bitmap
    if (map->size() < 5) return false;
    return BitmapWithin(*map, 5, Little(*map, 1, 4));
  }
  if ((*map)[0] != 1) return false;
  // Pages of bitmaps, each for (page size - 4) * 8 pages.
  const std::uint64_t per_page = (size_ - 4) * 8;
  for (std::size_t at = 1, index = 0; at + 4 <= map->size(); at += 4, ++index) {
    const std::uint32_t page = Little(*map, at, 4);
    if (page == 0) continue;
    const std::optional<std::string> bitmap = Page(page, kUsageMapPage);
    if (!bitmap || !BitmapWithin(*bitmap, 4, index * per_page)) return false;
  }
  return true;
}

std::optional<std::vector<bool>> FileFraming::CalculatedColumns(std::uint32_t first) {
  const std::optional<std::string> definition = Definition(first);
  if (!definition) return std::nullopt;
  const std::optional<Shape> shape = ShapeOf(*definition);
  if (!shape) return std::nullopt;
  std::vector<bool> calculated;
  for (const Column& column : shape->columns) calculated.push_back(column.calculated);
  return calculated;
}

bool FileFraming::HasColumns(std::uint32_t first, const std::vector<std::string_view>& names) {
  const std::optional<std::string> definition = Definition(first);
  if (!definition) return false;
  const std::optional<Shape> shape = ShapeOf(*definition);
  if (!shape) return false;
  return std::all_of(names.begin(), names.end(), [&](std::string_view name) {
    return std::any_of(shape->columns.begin(), shape->columns.end(),
                       [&](const Column& column) { return column.name == name; });
  });
}

bool FileFraming::RowsFramed(std::uint32_t first) {
  const std::optional<std::string> definition = Definition(first);
  if (!definition) return false;
  const std::optional<Shape> shape = ShapeOf(*definition);
  if (!shape) return false;
  // libmdb reads the map of free space too, and gives up the table without it.
  const LayoutOf& layout = jet3_ ? kJet3 : kJet4;
  if (!Row(Little(*definition, layout.free_map, 4), PointerRead::Masked)) return false;
  const std::optional<std::vector<std::uint64_t>> pages = MappedPages(*definition);
  if (!pages) return false;
  for (const std::uint64_t number : *pages) {
    const std::optional<std::string> page = Page(number, kDataPage);
    // Every page the map names is a data page of this table: libmdb passes
    // over one that is not, the browser's reader stops at it.
    if (!page || Little(*page, 4, 4) != first) return false;
    if (!PageRowsFramed(*page, *shape)) return false;
  }
  return true;
}

std::optional<std::vector<std::uint64_t>> FileFraming::MappedPages(const std::string& definition) {
  const LayoutOf& layout = jet3_ ? kJet3 : kJet4;
  const std::optional<std::string> map = Row(Little(definition, layout.usage_map, 4), PointerRead::Unmasked);
  if (!map || map->empty()) return std::nullopt;
  std::vector<std::uint64_t> pages;
  const auto add = [&](const std::string& bitmap, std::size_t from, std::uint64_t first_page) {
    for (std::size_t i = from; i < bitmap.size(); ++i) {
      const auto bits = static_cast<std::uint8_t>(bitmap[i]);
      for (int b = 0; b < 8; ++b) {
        if ((bits >> b & 1) != 0) pages.push_back(first_page + (i - from) * 8 + static_cast<std::uint64_t>(b));
      }
    }
  };
  if ((*map)[0] == 0) {
    if (map->size() < 5) return std::nullopt;
    add(*map, 5, Little(*map, 1, 4));
    return pages;
  }
  if ((*map)[0] != 1) return std::nullopt;
  const std::uint64_t per_page = (size_ - 4) * 8;
  for (std::size_t at = 1, index = 0; at + 4 <= map->size(); at += 4, ++index) {
    const std::uint32_t page = Little(*map, at, 4);
    if (page == 0) continue;
    const std::optional<std::string> bitmap = Page(page, kUsageMapPage);
    if (!bitmap) return std::nullopt;
    add(*bitmap, 4, index * per_page);
  }
  return pages;
}

// The column definitions, as the engine writes them: a known type, each
// column's own number and (for a variable-length one) its own slot among
// the table's variable-length columns, a fixed one inside the row, and
// names that end inside the definition.
std::optional<FileFraming::Shape> FileFraming::ShapeOf(const std::string& definition) const {
  const LayoutOf& layout = jet3_ ? kJet3 : kJet4;
  const std::uint32_t columns = Little(definition, layout.column_count, 2);
  Shape shape;
  shape.variable = Little(definition, layout.column_count - 2, 2);
  // A deleted column keeps its number and its slot among the
  // variable-length values: the rows written before still hold it, and
  // both counts go on counting it.
  shape.most = Little(definition, layout.column_count - 4, 2);
  if (columns == 0 || columns > shape.most || shape.variable > shape.most) return std::nullopt;
  const std::size_t real_indexes = Little(definition, layout.real_indexes, 4);
  std::size_t at = layout.index_entries + real_indexes * layout.index_entry;
  if (real_indexes > 1000 || at + columns * layout.column_entry > definition.size()) return std::nullopt;
  std::vector<bool> numbers(256, false);
  std::vector<bool> slots(shape.variable, false);
  for (std::uint32_t c = 0; c < columns; ++c, at += layout.column_entry) {
    Column column;
    column.type = static_cast<std::uint8_t>(definition[at]);
    // The browser's reader knows no complex column in a Jet 3 file.
    if (!KnownType(column.type) || (jet3_ && column.type == 18)) return std::nullopt;
    column.number = static_cast<std::uint8_t>(definition[at + layout.number]);
    if (column.number >= shape.most || numbers[column.number]) return std::nullopt;
    numbers[column.number] = true;
    column.fixed = (static_cast<std::uint8_t>(definition[at + layout.flags]) & 0x01) != 0;
    column.calculated = !jet3_ && (static_cast<std::uint8_t>(definition[at + layout.flags + 1]) & kCalculated) != 0;
    if (column.calculated && column.fixed) return std::nullopt;
    if (column.fixed) {
      column.fixed_offset = Little(definition, at + layout.fixed_offset, 2);
      column.length = column.type == kBoolean ? 0 : Little(definition, at + layout.length, 2);
      if (column.fixed_offset + column.length > size_) return std::nullopt;
    } else {
      column.variable = Little(definition, at + layout.variable, 2);
      if (column.variable >= shape.variable || slots[column.variable]) return std::nullopt;
      slots[column.variable] = true;
    }
    shape.columns.push_back(column);
  }
  const std::size_t name_size = jet3_ ? 1 : 2;
  for (std::uint32_t c = 0; c < columns; ++c) {
    if (at + name_size > definition.size()) return std::nullopt;
    const std::size_t length = jet3_ ? static_cast<std::uint8_t>(definition[at]) : Little(definition, at, 2);
    if (length == 0 || at + name_size + length > definition.size() || (!jet3_ && length % 2 != 0)) return std::nullopt;
    // The name as far as it is plain ASCII; any other letter stands as DEL.
    std::string name;
    for (std::size_t k = at + name_size; k < at + name_size + length; k += name_size) {
      const std::uint32_t letter = jet3_ ? static_cast<std::uint8_t>(definition[k]) : Little(definition, k, 2);
      name.push_back(letter < 0x7F ? static_cast<char>(letter) : '\x7F');
    }
    shape.columns[c].name = std::move(name);
    at += name_size + length;
  }
  std::sort(shape.columns.begin(), shape.columns.end(),
            [](const Column& a, const Column& b) { return a.number < b.number; });
  return shape;
}

bool FileFraming::PageRowsFramed(const std::string& page, const Shape& shape) {
  const LayoutOf& layout = jet3_ ? kJet3 : kJet4;
  const std::uint32_t rows = Little(page, layout.row_count, 2);
  const std::size_t first_row = layout.row_count + 2 + 2 * static_cast<std::size_t>(rows);
  if (first_row > size_) return false;
  std::size_t end = size_;
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::uint32_t entry = Little(page, layout.row_count + 2 + 2 * static_cast<std::size_t>(r), 2);
    const std::size_t start = entry & 0x1FFF;
    const std::size_t row_end = end;
    end = start;
    if ((entry & kDeletedRow) != 0) continue;
    // A row ends where the one before it starts, deleted or not.
    if (start < first_row || start >= row_end || row_end > size_) return false;
    if (!RowFramed(std::string_view(page).substr(start, row_end - start), shape)) return false;
  }
  return true;
}

// One row: the count of the columns it holds, the fixed-length values, the
// variable-length ones, their offsets (the last first; Jet 3 keeps one byte
// of each and a table of the rows' 256-byte steps), how many there are, and
// the null mask, one bit a column number.
bool FileFraming::RowFramed(std::string_view row, const Shape& shape) {
  const std::size_t count_size = jet3_ ? 1 : 2;
  if (row.size() < count_size) return false;
  const std::uint32_t held = Little(row, 0, static_cast<int>(count_size));
  // A row holds the columns the table had when it was written, deleted
  // ones too.
  if (held == 0 || held > shape.most) return false;
  const std::size_t mask = (held + 7) / 8;
  if (row.size() < count_size + mask) return false;
  const std::size_t mask_at = row.size() - mask;

  std::vector<std::size_t> offsets;  // of the variable-length values, and of their end
  std::size_t values_end = mask_at;  // where the values end and the trailer begins
  std::size_t row_variable = 0;
  if (shape.variable > 0) {
    if (jet3_) {
      if (mask_at < count_size + 1) return false;
      row_variable = static_cast<std::uint8_t>(row[mask_at - 1]);
      const std::size_t last = row.size() - 1;
      std::size_t jumps = (row.size() - 1) / 256;
      if (last < mask + jumps + 1) return false;
      const std::size_t pointer = last - mask - jumps - 1;
      if (pointer < row_variable + count_size) return false;
      if ((pointer - row_variable) / 256 < jumps) --jumps;
      std::size_t used = 0;
      for (std::size_t i = 0; i <= row_variable; ++i) {
        while (used < jumps && i == static_cast<std::uint8_t>(row[last - mask - used - 1])) ++used;
        offsets.push_back(static_cast<std::uint8_t>(row[pointer - i]) + used * 256);
      }
      values_end = pointer - row_variable;
    } else {
      if (mask_at < count_size + 2) return false;
      row_variable = Little(row, mask_at - 2, 2);
      if (mask_at < count_size + 2 + 2 * (row_variable + 1)) return false;
      for (std::size_t i = 0; i <= row_variable; ++i) offsets.push_back(Little(row, mask_at - 4 - 2 * i, 2));
      values_end = mask_at - 2 - 2 * (row_variable + 1);
    }
    if (row_variable > shape.variable || row_variable > held) return false;
    for (std::size_t i = 0; i <= row_variable; ++i) {
      if (offsets[i] < count_size || offsets[i] > values_end || (i > 0 && offsets[i] < offsets[i - 1])) return false;
    }
  }
  // Fixed values lie before the variable-length ones (or the trailer).
  const std::size_t fixed_end = row_variable > 0 ? offsets[0] : values_end;
  std::size_t fixed_held = held - row_variable;
  const auto present = [&](const Column& column) {
    return (static_cast<std::uint8_t>(row[mask_at + column.number / 8]) >> (column.number % 8) & 1) != 0;
  };
  for (const Column& column : shape.columns) {
    std::string_view value;
    if (column.fixed) {
      if (fixed_held == 0) continue;
      --fixed_held;
      const std::size_t start = count_size + column.fixed_offset;
      if (start + column.length > fixed_end) return false;
      value = row.substr(start, column.length);
    } else {
      if (column.variable >= row_variable) continue;
      value = row.substr(offsets[column.variable], offsets[column.variable + 1] - offsets[column.variable]);
    }
    // A column added after the row was written has no value in it, and
    // both readers take it for null; a value it would have all the same
    // comes with a bit of the null mask that lies past the row, which one
    // reader reads and the other does not.
    if (column.number / 8 >= mask) return false;
    if (present(column) && !ValueFramed(value, column)) return false;
  }
  return true;
}

// A text of Jet 4 in UTF-16 has an even length unless it is compressed
// (it starts with FF FE); a long value's head says where its bytes are.
// A calculated column's value is wrapped: 16 bytes, the length of the
// value, the value, and 3 bytes more; a long one is kept as a long value
// (whatever the column's type), the wrapped value inside it.
bool FileFraming::ValueFramed(std::string_view value, const Column& column) {
  if (column.calculated && column.type != kMemo && column.type != kOle) {
    const bool wrapped =
        value.size() >= kCalculatedHead && Little(value, kCalculatedHead - 4, 4) <= value.size() - kCalculatedHead;
    return wrapped || LongValueFramed(value);
  }
  if (column.type == kText && !jet3_) {
    const bool compressed =
        value.size() > 2 && static_cast<std::uint8_t>(value[0]) == 0xFF && static_cast<std::uint8_t>(value[1]) == 0xFE;
    return compressed || value.size() % 2 == 0;
  }
  if (column.type == kMemo || column.type == kOle) return value.empty() || LongValueFramed(value);
  return true;
}

// A long value's head: its length (3 bytes), where it is kept (0x80 in the
// row itself, 0x40 in one row elsewhere, 0 in a chain of rows, each
// starting with the pointer to the next), and the pointer to its first row.
bool FileFraming::LongValueFramed(std::string_view value) {
  if (value.size() < 12) return false;
  const std::size_t length = Little(value, 0, 3);
  const auto kind = static_cast<std::uint8_t>(value[3]);
  if (kind == 0x80) return 12 + length == value.size();
  std::uint32_t pointer = Little(value, 4, 4);
  if ((pointer & 0xFF) > kMostRowsOfPage) return false;
  if (kind == 0x40) {
    const std::optional<std::string> row = Row(pointer, PointerRead::StartUnmasked);
    return row && row->size() >= length;
  }
  if (kind != 0) return false;
  std::size_t read = 0;
  for (std::uint64_t hops = 0; pointer != 0; ++hops) {
    if (hops >= count_) return false;  // a chain that runs in a circle
    const std::optional<std::string> row = Row(pointer, PointerRead::StartUnmasked);
    if (!row || row->size() <= 4) return false;
    read += row->size() - 4;
    if (read > length) return false;
    pointer = Little(*row, 0, 4);
  }
  return read == length;
}

bool FileFraming::BitmapWithin(const std::string& bitmap, std::size_t from, std::uint64_t first_page) const {
  for (std::size_t i = from; i < bitmap.size(); ++i) {
    const auto bits = static_cast<std::uint8_t>(bitmap[i]);
    for (int b = 0; b < 8; ++b) {
      if ((bits >> b & 1) != 0 && first_page + (i - from) * 8 + static_cast<std::uint64_t>(b) >= count_) return false;
    }
  }
  return true;
}

}  // namespace ostrolen

#include "pages/segments/runner.h"

#include <utility>

#include "pages/segments/like.h"

namespace ostrolen {
namespace {

// Where a table definition page keeps the row that holds its usage map,
// and where a data page keeps its row count (the row offsets follow it).
// A definition page also keeps how many columns the table has, and how
// many of them have a variable length (just before it).
struct PageLayoutOf {
  std::size_t usage_map;
  std::size_t row_count;
  std::size_t column_count;
};
PageLayoutOf LayoutOf(const AccessHeader& header) {
  return header.engine == AccessEngine::Jet3 ? PageLayoutOf{35, 8, 25} : PageLayoutOf{55, 12, 45};
}

constexpr std::uint8_t kDataPage = 0x01;
constexpr std::uint8_t kDefinitionPage = 0x02;
constexpr std::uint8_t kUsageMapPage = 0x05;
constexpr std::uint32_t kCatalogPage = 2;  // MSysObjects' definition

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int k = size - 1; k >= 0; --k) v = v << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(k)]);
  return v;
}

// The file's pages as the engine reads them, and whether a table's pages
// lie inside the file. A file cut short keeps a catalog that names the
// pages it lost; the library would read them as no rows (a table that
// seems missing or empty), so they are looked at before it reads.
class Pages {
 public:
  Pages(RowSource& source, const AccessHeader& header)
      : source_(source), header_(header), size_(PageSize(header)), count_(source.Size() / size_) {}

  // Whether the file holds whole pages only: a file cut inside a page is damaged.
  bool Whole() const { return source_.Size() % size_ == 0 && count_ > kCatalogPage; }

  // The definition pages of the table that starts at `first`, its usage
  // map and every page the map names are inside the file.
  bool TableWithin(std::uint32_t first) {
    std::optional<std::string> definition = Page(first, kDefinitionPage);
    if (!definition) return false;
    const std::string usage_map_at = *definition;
    for (std::uint64_t seen = 0; Little(*definition, 4, 4) != 0; ++seen) {
      if (seen >= count_) return false;  // a chain that runs in a circle
      definition = Page(Little(*definition, 4, 4), kDefinitionPage);
      if (!definition) return false;
    }
    const std::optional<std::string> map = Row(Little(usage_map_at, layout().usage_map, 4));
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

  // Whether every row kept on the table's data pages is framed as the
  // engine writes it: the row lies inside its page after the row offsets,
  // holds no more columns than the table has, and (Jet 4) its offsets of
  // the variable-length values rise within the row. The two Access readers
  // part ways on a row that is not (one skips it, the other stops), so such
  // a table is damaged for both before either reads it.
  bool RowsFramed(std::uint32_t first) {
    const std::optional<std::string> definition = Page(first, kDefinitionPage);
    if (!definition) return false;
    const std::uint32_t columns = Little(*definition, layout().column_count, 2);
    const std::uint32_t variable = Little(*definition, layout().column_count - 2, 2);
    if (columns == 0 || variable > columns || !ColumnsSound(*definition, columns, variable)) return false;
    const std::optional<std::vector<std::uint64_t>> pages = MappedPages(*definition);
    if (!pages) return false;
    for (const std::uint64_t number : *pages) {
      const std::optional<std::string> page = Page(number, kDataPage);
      // A page the map still names but another table now uses is passed over, as both readers do.
      if (!page || Little(*page, 4, 4) != first) continue;
      if (!PageRowsFramed(*page, columns, variable)) return false;
    }
    return true;
  }

  static constexpr std::uint32_t Catalog() { return kCatalogPage; }

 private:
  PageLayoutOf layout() const { return LayoutOf(header_); }

  // Page `number` when it is inside the file and of `type`.
  std::optional<std::string> Page(std::uint64_t number, std::uint8_t type) {
    if (number == 0 || number >= count_) return std::nullopt;
    std::string page = PlainPage(header_, static_cast<std::uint32_t>(number), source_.Bytes(number * size_, size_));
    if (page.size() != size_ || static_cast<std::uint8_t>(page[0]) != type) return std::nullopt;
    return page;
  }

  // The row a page-and-row pointer names (the row in its low byte).
  std::optional<std::string> Row(std::uint32_t pointer) {
    std::optional<std::string> page = Page(pointer >> 8, 0x01);
    if (!page) return std::nullopt;
    const std::size_t row = pointer & 0xFF;
    const std::size_t count_at = layout().row_count;
    if (row >= Little(*page, count_at, 2) || count_at + 2 + 2 * row + 2 > size_) return std::nullopt;
    const std::size_t start = Little(*page, count_at + 2 + 2 * row, 2) & 0x1FFF;
    const std::size_t end = row == 0 ? size_ : Little(*page, count_at + 2 * row, 2) & 0x1FFF;
    if (start >= end || end > size_) return std::nullopt;
    return page->substr(start, end - start);
  }

  // The pages the usage map of a table definition names; nothing when the
  // map cannot be read.
  std::optional<std::vector<std::uint64_t>> MappedPages(const std::string& definition) {
    const std::optional<std::string> map = Row(Little(definition, layout().usage_map, 4));
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

  // Whether the column definitions of a definition that fits in its first
  // page are what the engine writes: a known type, the right count of
  // variable-length columns each with its own slot, a fixed column inside
  // the row, and names that end inside the page.
  bool ColumnsSound(const std::string& definition, std::uint32_t columns, std::uint32_t variable) const {
    if (Little(definition, 4, 4) != 0) return true;  // continued on other pages: not looked into
    const bool jet3 = header_.engine == AccessEngine::Jet3;
    const std::size_t real_indexes = Little(definition, jet3 ? 31 : 51, 4);
    const std::size_t entry = jet3 ? 18 : 25;
    std::size_t at = (jet3 ? 43 : 63) + real_indexes * (jet3 ? 8 : 12);
    if (real_indexes > 1000 || at + columns * entry > size_) return false;
    std::uint32_t seen_variable = 0;
    for (std::uint32_t c = 0; c < columns; ++c, at += entry) {
      const auto type = static_cast<std::uint8_t>(definition[at]);
      if (type == 0 || type == 13 || type == 14 || type > 19) return false;
      const bool fixed = (static_cast<std::uint8_t>(definition[at + (jet3 ? 13 : 15)]) & 0x01) != 0;
      if (fixed) {
        const std::size_t offset = Little(definition, at + (jet3 ? 14 : 21), 2);
        const std::size_t length = Little(definition, at + (jet3 ? 16 : 23), 2);
        if (offset + length > size_) return false;
      } else {
        if (Little(definition, at + (jet3 ? 3 : 7), 2) >= variable) return false;
        ++seen_variable;
      }
    }
    if (seen_variable != variable) return false;
    for (std::uint32_t c = 0; c < columns; ++c) {
      if (at + (jet3 ? 1 : 2) > size_) return false;
      const std::size_t length = jet3 ? static_cast<std::uint8_t>(definition[at]) : Little(definition, at, 2);
      at += (jet3 ? 1 : 2) + length;
      if (length == 0 || at > size_) return false;
    }
    return true;
  }

  // The rows of one data page of a table of `columns` columns, `variable`
  // of them of variable length.
  bool PageRowsFramed(const std::string& page, std::uint32_t columns, std::uint32_t variable) const {
    const std::size_t count_at = layout().row_count;
    const std::uint32_t rows = Little(page, count_at, 2);
    const std::size_t first_row = count_at + 2 + 2 * static_cast<std::size_t>(rows);
    if (first_row > size_) return false;
    const bool jet3 = header_.engine == AccessEngine::Jet3;
    std::size_t end = size_;
    for (std::uint32_t r = 0; r < rows; ++r) {
      const std::uint32_t entry = Little(page, count_at + 2 + 2 * static_cast<std::size_t>(r), 2);
      const std::size_t start = entry & 0x1FFF;
      const std::size_t row_end = end;
      end = start;
      if ((entry & 0xC000) != 0) continue;  // deleted, or a pointer to where the row went
      if (start < first_row || start >= row_end) return false;
      const std::string_view row(page.data() + start, row_end - start);
      const std::size_t count_size = jet3 ? 1 : 2;
      if (row.size() < count_size) return false;
      const std::uint32_t held = jet3 ? static_cast<std::uint8_t>(row[0]) : Little(std::string(row), 0, 2);
      if (held == 0 || held > columns) return false;
      if (jet3 || variable == 0) continue;
      // Jet 4, from the row's end: the null mask, the count of variable
      // values, their offsets (the last first) and the offset of their end.
      const std::size_t mask = (held + 7) / 8;
      if (row.size() < 2 + mask + 2) return false;
      const std::string whole(row);
      const std::size_t count_at_end = row.size() - mask - 2;
      const std::uint32_t values = Little(whole, count_at_end, 2);
      if (values > held || count_at_end < 2 + 2 * (static_cast<std::size_t>(values) + 1)) return false;
      std::size_t previous = 0;
      for (std::uint32_t v = 0; v <= values; ++v) {
        const std::size_t offset = Little(whole, count_at_end - 2 - 2 * static_cast<std::size_t>(v), 2);
        if (offset < previous || offset > count_at_end - 2 * (static_cast<std::size_t>(values) + 1)) return false;
        previous = offset;
      }
    }
    return true;
  }

  bool BitmapWithin(const std::string& bitmap, std::size_t from, std::uint64_t first_page) const {
    for (std::size_t i = from; i < bitmap.size(); ++i) {
      const auto bits = static_cast<std::uint8_t>(bitmap[i]);
      for (int b = 0; b < 8; ++b) {
        if ((bits >> b & 1) != 0 && first_page + (i - from) * 8 + static_cast<std::uint64_t>(b) >= count_) return false;
      }
    }
    return true;
  }

  RowSource& source_;
  const AccessHeader& header_;
  std::uint64_t size_;
  std::uint64_t count_;
};

struct Pending {
  std::size_t index = 0;                                   // into the statements
  std::vector<std::pair<std::size_t, LikePattern>> tests;  // slot among the compared columns, pattern
};

bool Matches(const Pending& pending, const std::vector<Value>& values) {
  for (const auto& [slot, pattern] : pending.tests) {
    const std::optional<std::string> text = LikeText(values[slot]);
    if (!text || !pattern.Matches(*text)) return false;
  }
  return true;
}

// Every statement of `which` on one table in a single pass over its rows in
// file order; each keeps its first matching row. Only the compared columns
// are read for every row, and a matching row whole.
void RunOnTable(RowSource& source, std::size_t table, const std::vector<Statement>& statements,
                const std::vector<std::size_t>& which, std::vector<std::optional<StatementOutcome>>& outcomes) {
  const std::string& table_name = statements[which.front()].table;
  // A damaged table: the statements not answered yet fail with it.
  const auto damaged = [&] {
    for (const std::size_t i : which) {
      if (!outcomes[i]) outcomes[i] = Failed(ReadFailure::DamagedTable, table_name);
    }
  };
  std::optional<std::vector<std::string>> columns = source.Columns(table);
  if (!columns) return damaged();
  QueryResult shape;
  shape.columns = std::move(*columns);

  std::vector<Pending> pending;
  std::vector<std::size_t> compared;  // the columns read for every row
  for (const std::size_t i : which) {
    ConditionPlan plan = PlanConditions(shape.columns, statements[i]);
    if (plan.failure != ReadFailure::None) {
      outcomes[i] = Failed(plan.failure, plan.name);
      continue;
    }
    Pending p{i, {}};
    for (auto& [column, pattern] : plan.tests) {
      std::size_t slot = 0;
      while (slot < compared.size() && compared[slot] != column) ++slot;
      if (slot == compared.size()) compared.push_back(column);
      p.tests.emplace_back(slot, std::move(pattern));
    }
    pending.push_back(std::move(p));
  }
  std::size_t open = pending.size();
  std::vector<Value> values;
  while (open > 0 && !shape.columns.empty()) {
    values.clear();
    const RowStep step = source.NextRow(compared, values);
    if (step == RowStep::End) break;
    if (step == RowStep::Damaged || values.size() != compared.size()) return damaged();
    std::optional<QueryResult> whole;  // read once, for every statement the row answers
    for (const Pending& p : pending) {
      if (outcomes[p.index] || !Matches(p, values)) continue;
      if (!whole) {
        whole = shape;
        whole->has_row = true;
        if (!source.WholeRow(whole->row) || whole->row.size() != shape.columns.size()) return damaged();
      }
      StatementOutcome outcome;
      outcome.result = *whole;
      outcomes[p.index] = std::move(outcome);
      --open;
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

}  // namespace

std::vector<StatementOutcome> RunStatements(RowSource& source, const std::string& file,
                                            const std::vector<Statement>& statements,
                                            const std::function<void(const StatementOutcome&)>& answered) {
  std::vector<std::optional<StatementOutcome>> outcomes(statements.size());
  std::size_t told = 0;
  const auto tell = [&] {
    while (told < outcomes.size() && outcomes[told]) {
      if (answered) answered(*outcomes[told]);
      ++told;
    }
  };
  const auto all = [&] {
    tell();
    std::vector<StatementOutcome> out;
    out.reserve(outcomes.size());
    for (auto& outcome : outcomes) out.push_back(std::move(*outcome));
    return out;
  };
  // Every statement fails alike; `name` is what the failure is about.
  const auto fail_all = [&](ReadFailure failure, const std::string& name) {
    for (auto& outcome : outcomes) outcome = Failed(failure, name);
    return all();
  };

  // Page 0 decides which engine wrote the file, whether its pages can be
  // read, and a Jet 3 file's code page.
  const std::optional<AccessHeader> header = ReadAccessHeader(source.Bytes(0, 4096));
  if (!header) return fail_all(ReadFailure::NotDatabase, file);
  if (header->engine == AccessEngine::Unknown)
    return fail_all(ReadFailure::UnknownVersion, std::to_string(header->version));
  if (EncryptedBeyondReading(*header)) return fail_all(ReadFailure::Encrypted, AccessVersionName(*header));
  std::uint16_t code_page = 0;
  if (header->engine == AccessEngine::Jet3) {
    code_page = Jet3CodePage(*header);
    if (CodePageCharset(code_page).empty()) return fail_all(ReadFailure::UnknownCodePage, std::to_string(code_page));
  }
  // Past a sound page 0, a file cut short, one whose catalog is cut, or one
  // the library cannot open is damaged.
  Pages pages(source, *header);
  if (!pages.Whole() || !pages.TableWithin(Pages::Catalog()) || !pages.RowsFramed(Pages::Catalog()))
    return fail_all(ReadFailure::DamagedFile, file);
  if (!source.Open(*header, code_page)) return fail_all(ReadFailure::DamagedFile, file);
  const std::optional<std::vector<TableEntry>> tables = source.Tables();
  if (!tables) return fail_all(ReadFailure::DamagedFile, file);

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
    std::size_t found = 0;
    while (found < tables->size() && !SameName((*tables)[found].name, statements[i].table)) ++found;
    if (found == tables->size()) {
      for (const std::size_t j : which) outcomes[j] = Failed(ReadFailure::MissingTable, statements[j].table);
    } else if ((*tables)[found].page != 0 && !pages.TableWithin((*tables)[found].page)) {
      // The file is cut inside this table's pages: the rest is not to be trusted.
      for (std::size_t j = 0; j < statements.size(); ++j) {
        if (!outcomes[j]) outcomes[j] = Failed(ReadFailure::DamagedFile, file);
      }
      return all();
    } else if ((*tables)[found].page != 0 && !pages.RowsFramed((*tables)[found].page)) {
      for (const std::size_t j : which) outcomes[j] = Failed(ReadFailure::DamagedTable, statements[j].table);
    } else {
      RunOnTable(source, found, statements, which, outcomes);
    }
    tell();
  }
  return all();
}

}  // namespace ostrolen

#include "reader/runner.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <utility>

#include "reader/framing.h"
#include "reader/like.h"

namespace ostrolen {
namespace {

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

// The statements of `which` against a table's columns: those whose
// conditions cannot be planned get their failure in `outcomes`; the others
// are pending, each test naming its column's slot in `compared`, the
// columns read for every row.
std::vector<Pending> PlanPending(const std::vector<std::string>& columns, const std::vector<Statement>& statements,
                                 const std::vector<std::size_t>& which, std::vector<std::size_t>& compared,
                                 std::vector<std::optional<StatementOutcome>>& outcomes) {
  std::vector<Pending> pending;
  for (const std::size_t i : which) {
    ConditionPlan plan = PlanConditions(columns, statements[i]);
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
  return pending;
}

// A whole row without the texts of its calculated columns.
void WholeWithoutCalculated(std::vector<Value>& row, const std::vector<bool>& calculated) {
  std::vector<std::size_t> all(row.size());
  for (std::size_t c = 0; c < all.size(); ++c) all[c] = c;
  WithoutCalculated(row, all, calculated);
}

// Every statement of `which` on one table in a single pass over its rows in
// file order; each keeps its first matching row. Only the compared columns
// are read for every row, and a matching row whole. `calculated` says
// which columns are calculated, in column order.
void RunOnTable(RowSource& source, std::size_t table, const std::vector<Statement>& statements,
                const std::vector<std::size_t>& which, const std::vector<bool>& calculated,
                std::vector<std::optional<StatementOutcome>>& outcomes) {
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

  std::vector<std::size_t> compared;  // the columns read for every row
  std::vector<Pending> pending = PlanPending(shape.columns, statements, which, compared, outcomes);
  std::size_t open = pending.size();
  std::vector<Value> values;
  while (open > 0 && !shape.columns.empty()) {
    values.clear();
    const RowStep step = source.NextRow(compared, values);
    if (step == RowStep::End) break;
    if (step == RowStep::Damaged || values.size() != compared.size()) return damaged();
    WithoutCalculated(values, compared, calculated);
    std::optional<QueryResult> whole;  // read once, for every statement the row answers
    for (const Pending& p : pending) {
      if (outcomes[p.index] || !Matches(p, values)) continue;
      if (!whole) {
        whole = shape;
        whole->has_row = true;
        if (!source.WholeRow(whole->row) || whole->row.size() != shape.columns.size()) return damaged();
        WholeWithoutCalculated(whole->row, calculated);
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

// One compared column of a kept table: the LIKE text of each row read, up to
// where its reading ended (the table's end, or a row whose value could not
// be read), and its index once a pattern without wildcards asked for it.
struct KeptColumn {
  std::vector<std::optional<std::string>> texts;
  bool damaged = false;  // the reading ended at a row it could not read
  bool indexed = false;
  std::unordered_map<std::u32string, std::vector<std::uint32_t>> index;  // folded text: its rows, in order
};

struct KeptTable {
  bool read = false;
  std::optional<std::vector<std::string>> columns;
  std::map<std::size_t, KeptColumn> compared;
  std::map<std::size_t, std::optional<std::vector<Value>>> whole;  // nothing: it cannot be read whole
};

struct KeptFile::Parts {
  bool checked = false;  // the whole file's verdict is known
  ReadFailure failure = ReadFailure::None;
  std::string name;
  std::optional<std::vector<TableEntry>> tables;
  AccessHeader header;
  std::unique_ptr<FileFraming> pages;             // reads through `header`
  std::map<std::uint32_t, ReadFailure> verdicts;  // by a table's first page: None, DamagedFile or DamagedTable
  std::map<std::size_t, KeptTable> kept;
};

KeptFile::KeptFile() : parts_(std::make_unique<Parts>()) {}
KeptFile::~KeptFile() = default;

namespace {

// Reads the compared columns `missing` of every row into `table`, until the
// table ends or a value cannot be read. Read together first; when that
// stops at a row, again one by one, so that each knows how far it goes.
void ReadColumns(RowSource& source, std::size_t table, KeptTable& kept, const std::vector<std::size_t>& missing,
                 const std::vector<bool>& calculated) {
  const auto pass = [&](const std::vector<std::size_t>& columns) {
    source.Columns(table);
    std::vector<KeptColumn*> into;
    for (const std::size_t c : columns) {
      into.push_back(&kept.compared[c]);
      into.back()->texts.clear();
    }
    std::vector<Value> values;
    for (;;) {
      values.clear();
      const RowStep step = source.NextRow(columns, values);
      if (step == RowStep::End) return true;
      if (step == RowStep::Damaged || values.size() != columns.size()) {
        for (KeptColumn* column : into) column->damaged = true;
        return false;
      }
      WithoutCalculated(values, columns, calculated);
      for (std::size_t k = 0; k < into.size(); ++k) into[k]->texts.push_back(LikeText(values[k]));
    }
  };
  if (pass(missing) || missing.size() == 1) return;
  for (const std::size_t c : missing) {
    kept.compared[c].damaged = false;
    pass({c});
  }
}

const KeptColumn& Indexed(KeptColumn& column) {
  if (!column.indexed) {
    column.indexed = true;
    column.index.reserve(column.texts.size());
    for (std::size_t r = 0; r < column.texts.size(); ++r) {
      if (column.texts[r]) column.index[LikePattern::Folded(*column.texts[r])].push_back(static_cast<std::uint32_t>(r));
    }
  }
  return column;
}

// As RunOnTable, from what `kept` holds of the table: the same outcomes,
// damaged tables included, at the cost of the rows the statements select.
void RunOnKeptTable(RowSource& source, std::size_t table, KeptTable& kept, const std::vector<Statement>& statements,
                    const std::vector<std::size_t>& which, const std::vector<bool>& calculated,
                    std::vector<std::optional<StatementOutcome>>& outcomes) {
  const std::string& table_name = statements[which.front()].table;
  const auto damaged = [&] {
    for (const std::size_t i : which) {
      if (!outcomes[i]) outcomes[i] = Failed(ReadFailure::DamagedTable, table_name);
    }
  };
  // A statement without conditions takes the first row; kept texts know rows through their columns only.
  for (const std::size_t i : which) {
    if (statements[i].conditions.empty()) return RunOnTable(source, table, statements, which, calculated, outcomes);
  }
  if (!kept.read) {
    kept.read = true;
    kept.columns = source.Columns(table);
  }
  if (!kept.columns) return damaged();
  QueryResult shape;
  shape.columns = *kept.columns;

  std::vector<std::size_t> compared;
  std::vector<Pending> pending = PlanPending(shape.columns, statements, which, compared, outcomes);
  const auto empty = [&](const Pending& p) {
    StatementOutcome none;
    none.result = shape;
    outcomes[p.index] = std::move(none);
  };
  if (shape.columns.empty()) {
    for (const Pending& p : pending) empty(p);
    return;
  }
  std::vector<std::size_t> missing;
  for (const std::size_t c : compared) {
    if (kept.compared.find(c) == kept.compared.end()) missing.push_back(c);
  }
  if (!missing.empty()) ReadColumns(source, table, kept, missing, calculated);

  // The rows every statement can see: up to the first row one of its
  // columns could not be read, or the table's end.
  std::vector<KeptColumn*> columns;
  std::size_t limit = static_cast<std::size_t>(-1);
  bool cut = false;  // the limit is a row that could not be read
  for (const std::size_t c : compared) {
    KeptColumn& column = kept.compared.at(c);
    columns.push_back(&column);
    if (column.texts.size() < limit) {
      limit = column.texts.size();
      cut = column.damaged;
    } else if (column.texts.size() == limit) {
      cut = cut || column.damaged;
    }
  }
  const auto matches = [&](const Pending& p, std::size_t row) {
    for (const auto& [slot, pattern] : p.tests) {
      const std::optional<std::string>& text = columns[slot]->texts[row];
      if (!text || !pattern.Matches(*text)) return false;
    }
    return true;
  };
  // Each statement's first matching row, through an index where it can.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> first(pending.size(), kNone);
  for (std::size_t k = 0; k < pending.size(); ++k) {
    const Pending& p = pending[k];
    const std::pair<std::size_t, LikePattern>* literal = nullptr;
    std::optional<std::u32string> key;
    for (const auto& test : p.tests) {
      if ((key = test.second.Literal())) {
        literal = &test;
        break;
      }
    }
    if (literal != nullptr) {
      const KeptColumn& column = Indexed(*columns[literal->first]);
      const auto found = column.index.find(*key);
      if (found != column.index.end()) {
        for (const std::uint32_t row : found->second) {
          if (row >= limit) break;
          if (matches(p, row)) {
            first[k] = row;
            break;
          }
        }
      }
    } else {
      for (std::size_t row = 0; row < limit; ++row) {
        if (matches(p, row)) {
          first[k] = row;
          break;
        }
      }
    }
  }
  // The rows given whole, in file order, as a single pass would: a row that
  // cannot be read whole ends the table for the statements not answered.
  std::vector<std::size_t> rows;
  for (const std::size_t row : first) {
    if (row != kNone) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  bool begun = false;
  for (const std::size_t row : rows) {
    auto cached = kept.whole.find(row);
    if (cached == kept.whole.end()) {
      if (!begun) {
        begun = true;
        source.Columns(table);
      }
      std::vector<Value> values;
      std::optional<std::vector<Value>> whole;
      if (source.RowAt(row, values) && values.size() == shape.columns.size()) {
        WholeWithoutCalculated(values, calculated);
        whole = std::move(values);
      }
      cached = kept.whole.emplace(row, std::move(whole)).first;
    }
    if (!cached->second) return damaged();
    for (std::size_t k = 0; k < pending.size(); ++k) {
      if (first[k] != row) continue;
      StatementOutcome outcome;
      outcome.result = shape;
      outcome.result.has_row = true;
      outcome.result.row = *cached->second;
      outcomes[pending[k].index] = std::move(outcome);
    }
  }
  if (cut) {
    for (const Pending& p : pending) {
      if (!outcomes[p.index]) return damaged();
    }
  }
  for (const Pending& p : pending) {
    if (!outcomes[p.index]) empty(p);
  }
}

// The verdict on the whole file, and its tables when it is sound.
void CheckFile(RowSource& source, const std::string& file, KeptFile::Parts& parts) {
  const auto fail = [&](ReadFailure failure, std::string name) {
    parts.failure = failure;
    parts.name = std::move(name);
  };
  const std::optional<AccessHeader> header = ReadAccessHeader(source.Bytes(0, 4096));
  if (!header) return fail(ReadFailure::NotDatabase, file);
  if (header->engine == AccessEngine::Unknown)
    return fail(ReadFailure::UnknownVersion, std::to_string(header->version));
  if (EncryptedBeyondReading(*header)) return fail(ReadFailure::Encrypted, AccessVersionName(*header));
  std::uint16_t code_page = 0;
  if (header->engine == AccessEngine::Jet3) {
    code_page = Jet3CodePage(*header);
    if (CodePageCharset(code_page).empty()) return fail(ReadFailure::UnknownCodePage, std::to_string(code_page));
  }
  // Past a sound page 0, a file cut short, one whose catalog is cut, or one
  // the library cannot open is damaged.
  parts.header = *header;
  parts.pages = std::make_unique<FileFraming>(source, parts.header);
  FileFraming& pages = *parts.pages;
  // Both readers find the tables through the catalog's columns Id, Name,
  // Type and Flags (libmdb wants LvProp as well), and the browser's finds
  // the catalog itself through the row that names it.
  if (!pages.Whole() || !pages.TableWithin(FileFraming::kCatalog) || !pages.RowsFramed(FileFraming::kCatalog) ||
      !pages.HasColumns(FileFraming::kCatalog, {"Id", "Name", "Type", "Flags", "LvProp"}))
    return fail(ReadFailure::DamagedFile, file);
  if (!source.Open(*header, code_page)) return fail(ReadFailure::DamagedFile, file);
  parts.tables = source.Tables();
  const auto catalog = [](const TableEntry& entry) {
    return entry.name == "MSysObjects" && (entry.page == 0 || entry.page == FileFraming::kCatalog);
  };
  if (!parts.tables || std::none_of(parts.tables->begin(), parts.tables->end(), catalog))
    return fail(ReadFailure::DamagedFile, file);
}

}  // namespace

void WithoutCalculated(std::vector<Value>& values, const std::vector<std::size_t>& columns,
                       const std::vector<bool>& calculated) {
  for (std::size_t i = 0; i < values.size() && i < columns.size(); ++i) {
    if (columns[i] < calculated.size() && calculated[columns[i]] && values[i].kind != Value::Kind::Null)
      values[i] = Value{Value::Kind::Binary, {}, false};
  }
}

std::vector<StatementOutcome> RunStatements(RowSource& source, const std::string& file,
                                            const std::vector<Statement>& statements,
                                            const std::function<void(const StatementOutcome&)>& answered,
                                            KeptFile* kept) {
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
  // read, and a Jet 3 file's code page; then the catalog. Known once for a
  // kept file.
  KeptFile::Parts scratch;
  KeptFile::Parts& file_parts = kept != nullptr && source.Seekable() ? kept->Kept() : scratch;
  const bool keeping = &file_parts != &scratch;
  if (!file_parts.checked) {
    file_parts.checked = true;
    CheckFile(source, file, file_parts);
  }
  if (file_parts.failure != ReadFailure::None) return fail_all(file_parts.failure, file_parts.name);
  const std::optional<std::vector<TableEntry>>& tables = file_parts.tables;
  FileFraming& pages = *file_parts.pages;

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
      tell();
      continue;
    }
    const std::uint32_t first = (*tables)[found].page;
    ReadFailure verdict = ReadFailure::None;
    if (first != 0) {
      const auto known = file_parts.verdicts.find(first);
      if (known != file_parts.verdicts.end()) {
        verdict = known->second;
      } else {
        // A file cut inside this table's pages is not to be trusted further.
        verdict = !pages.TableWithin(first)  ? ReadFailure::DamagedFile
                  : !pages.RowsFramed(first) ? ReadFailure::DamagedTable
                                             : ReadFailure::None;
        file_parts.verdicts[first] = verdict;
      }
    }
    if (verdict == ReadFailure::DamagedFile) {
      for (std::size_t j = 0; j < statements.size(); ++j) {
        if (!outcomes[j]) outcomes[j] = Failed(ReadFailure::DamagedFile, file);
      }
      return all();
    }
    if (verdict == ReadFailure::DamagedTable) {
      for (const std::size_t j : which) outcomes[j] = Failed(ReadFailure::DamagedTable, statements[j].table);
    } else {
      std::vector<bool> calculated;
      if ((*tables)[found].page != 0) calculated = pages.CalculatedColumns((*tables)[found].page).value_or(calculated);
      if (keeping) RunOnKeptTable(source, found, file_parts.kept[found], statements, which, calculated, outcomes);
      else RunOnTable(source, found, statements, which, calculated, outcomes);
    }
    tell();
  }
  return all();
}

}  // namespace ostrolen

#include "reader/runner.h"

#include <algorithm>
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
    WithoutCalculated(values, compared, calculated);
    std::optional<QueryResult> whole;  // read once, for every statement the row answers
    for (const Pending& p : pending) {
      if (outcomes[p.index] || !Matches(p, values)) continue;
      if (!whole) {
        whole = shape;
        whole->has_row = true;
        if (!source.WholeRow(whole->row) || whole->row.size() != shape.columns.size()) return damaged();
        std::vector<std::size_t> all(shape.columns.size());
        for (std::size_t c = 0; c < all.size(); ++c) all[c] = c;
        WithoutCalculated(whole->row, all, calculated);
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

void WithoutCalculated(std::vector<Value>& values, const std::vector<std::size_t>& columns,
                       const std::vector<bool>& calculated) {
  for (std::size_t i = 0; i < values.size() && i < columns.size(); ++i) {
    if (columns[i] < calculated.size() && calculated[columns[i]] && values[i].kind != Value::Kind::Null)
      values[i] = Value{Value::Kind::Binary, {}, false};
  }
}

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
  FileFraming pages(source, *header);
  // Both readers find the tables through the catalog's columns Id, Name,
  // Type and Flags (libmdb wants LvProp as well), and the browser's finds
  // the catalog itself through the row that names it.
  if (!pages.Whole() || !pages.TableWithin(FileFraming::kCatalog) || !pages.RowsFramed(FileFraming::kCatalog) ||
      !pages.HasColumns(FileFraming::kCatalog, {"Id", "Name", "Type", "Flags", "LvProp"}))
    return fail_all(ReadFailure::DamagedFile, file);
  if (!source.Open(*header, code_page)) return fail_all(ReadFailure::DamagedFile, file);
  const std::optional<std::vector<TableEntry>> tables = source.Tables();
  const auto catalog = [](const TableEntry& entry) {
    return entry.name == "MSysObjects" && (entry.page == 0 || entry.page == FileFraming::kCatalog);
  };
  if (!tables || std::none_of(tables->begin(), tables->end(), catalog)) return fail_all(ReadFailure::DamagedFile, file);

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
      std::vector<bool> calculated;
      if ((*tables)[found].page != 0) calculated = pages.CalculatedColumns((*tables)[found].page).value_or(calculated);
      RunOnTable(source, found, statements, which, calculated, outcomes);
    }
    tell();
  }
  return all();
}

}  // namespace ostrolen

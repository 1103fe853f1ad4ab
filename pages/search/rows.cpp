#include "pages/search/rows.h"

#include <cstdlib>
#include <filesystem>

#include "reader/database.h"
#include "reader/program.h"

namespace ostrolen {
namespace {

const std::vector<SearchedTable>& Tables() {
  static const std::vector<SearchedTable> tables = {
      {"segmoborud", "nomsegm", "", {"oborud"}},
      {"Segment", "nomsegm", "nomstep", {"isppro", "neispr", "prim"}},
      {"segmentkup", "segm", "step", {"object", "info", "priem", "neispr", "prim"}},
  };
  return tables;
}

std::string Unescaped(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      text += field[i];
      continue;
    }
    const char c = field[++i];
    text += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return text;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(Unescaped(line.substr(0, tab)));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

const SearchedTable* TableNamed(std::string_view name) {
  for (const SearchedTable& table : Tables()) {
    if (table.table == name) return &table;
  }
  return nullptr;
}

std::string Problem(ReadFailure failure, const std::string& file, std::string_view table, std::string_view name) {
  return FailureMessage(failure, file, table, name);
}

}  // namespace

std::span<const SearchedTable> SearchedTables() { return Tables(); }

std::string RowRequest(const std::string& file) {
  std::string request = file + '\0';
  for (const SearchedTable& table : Tables()) {
    std::string columns = std::string(table.segment) + "," + std::string(table.step);
    for (const std::string_view text : table.texts) columns += "," + std::string(text);
    request += std::string(table.table) + '\0' + columns + '\0';
  }
  return request;
}

RowListing ParseRowAnswer(std::string_view answer, const std::string& file) {
  RowListing listing;
  const SearchedTable* table = nullptr;
  bool whole = false;
  const auto note = [&](std::string problem) {
    if (listing.problem.empty()) listing.problem = std::move(problem);
  };
  while (!answer.empty() && !whole) {
    const std::size_t end = answer.find('\n');
    if (end == std::string_view::npos) break;  // a record cut short: the program did not finish
    const std::vector<std::string> fields = Fields(answer.substr(0, end));
    answer.remove_prefix(end + 1);
    const std::string& kind = fields[0];
    if (kind == "end") {
      whole = true;
    } else if (kind == "table" && fields.size() == 2) {
      table = TableNamed(fields[1]);
    } else if (kind == "row" && table != nullptr && fields.size() == 3 + table->texts.size()) {
      SegmentRow row{table->table, fields[1], fields[2], {}};
      for (std::size_t c = 0; c < table->texts.size(); ++c) {
        if (!fields[3 + c].empty()) row.texts.emplace_back(table->texts[c], fields[3 + c]);
      }
      listing.rows.push_back(std::move(row));
    } else if (kind == "fail" && fields.size() == 3) {
      const int code = std::atoi(fields[1].c_str());
      note(Problem(static_cast<ReadFailure>(code), file, table != nullptr ? table->table : std::string_view{},
                   fields[2]));
    }
  }
  if (!whole) note(Problem(ReadFailure::ReaderCrashed, file, {}, {}));
  return listing;
}

RowListing ListRows(Connection& database, const std::string& file) {
  ReadFailure failure = ReadFailure::None;
  const std::string answer = database.ListRows(RowRequest(FromHere(file)), failure);
  RowListing listing;
  switch (failure) {
    case ReadFailure::NoReader: listing.problem = Problem(failure, file, {}, {}); break;
    case ReadFailure::ReaderNotStarted:
      listing.problem = Problem(failure, file, {}, database.Reader().Program());
      break;
    case ReadFailure::Cancelled: listing.cancelled = true; break;
    default:
      listing = ParseRowAnswer(answer, file);
      if (failure == ReadFailure::ReaderTimedOut && !listing.problem.empty())
        listing.problem = Problem(ReadFailure::ReaderTimedOut, file, {}, {});
  }
  return listing;
}

RowListing ListRowsWithProgram(const std::string& file, std::chrono::milliseconds time_limit) {
  Connection database(file, time_limit);
  return ListRows(database, file);
}

const RowListing& RowCache::Rows(const std::string& file) {
  Stamp stamp;
  std::error_code error;
  const std::filesystem::path path(file);
  stamp.exists = std::filesystem::exists(path, error);
  if (std::filesystem::is_regular_file(path, error)) {
    stamp.file = true;
    stamp.size = std::filesystem::file_size(path, error);
    const auto modified = std::filesystem::last_write_time(path, error).time_since_epoch();
    stamp.modified = static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(modified).count());
  }
  if (listed_ && file == file_ && stamp == stamp_) return listing_;
  file_ = file;
  stamp_ = stamp;
  listed_ = true;
  if (!stamp.file) {
    // Listed as soon as a file is there.
    listing_ = {};
    listing_.problem = FailureMessage(stamp.exists ? ReadFailure::NotAFile : ReadFailure::MissingFile, file, {}, {});
    return listing_;
  }
  listing_ = lister_ ? lister_(file) : ListRows(ReferenceDatabase(), file);
  ++listings_;
  if (listing_.cancelled) listed_ = false;  // listed again at the next call
  return listing_;
}

}  // namespace ostrolen

// The table command: records, one a line, decoded on one page and written as
// a table, row by row as they are read, so that its memory stays the same
// however long the input. The rows are those the window's table shows.
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "core/utf8.h"
#include "pages/decode.h"
#include "pages/session.h"
#include "ui/table.h"

namespace ostrolen {
namespace {

enum class Format { Tsv, Csv, Json };

// How much input is read before the first row is written: an input that
// holds a NUL byte this early (every binary file of any use does, near its
// start) is refused with nothing written.
constexpr std::size_t kLookAhead = 64 * 1024;
// The most output held back meanwhile (the JSON of a few thousand records).
constexpr std::size_t kHeldAtMost = 1024 * 1024;

std::string TableLine(Format format, const std::vector<ui::Column>& columns, const ui::TableRow& row) {
  switch (format) {
    case Format::Tsv: return ui::TsvLine(ui::RowCells(columns, row));
    case Format::Csv: return ui::CsvLine(ui::RowCells(columns, row));
    case Format::Json: return ui::JsonLine(columns, row);
  }
  return {};
}

// Decodes the records of `in` and writes their rows. Returns the exit status.
int WriteTable(const PageCommand& page, Format format, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::vector<ui::Column> columns = ui::TableColumns(page);
  RecordDecoder decoder;
  const ui::RecordDecode decode = [&decoder](const PageCommand& on, const std::vector<std::string>& words) {
    return decoder.Decode(on, words);
  };

  // The output is held back until kLookAhead bytes were read, kHeldAtMost
  // are due, the input ends, or it has nothing more to read at once (a
  // person typing).
  std::string held;
  bool holding = true;
  std::size_t read = 0;
  const auto write = [&](const std::string& text) {
    if (holding) {
      held += text;
    } else {
      out << text;
    }
  };
  if (format == Format::Csv) write(std::string(ui::kByteOrderMark) + ui::CsvLine(ui::Headings(columns)));
  if (format == Format::Tsv) write(ui::TsvLine(ui::Headings(columns)));

  int status = 0;
  int records = 0;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    read += line.size() + 1;
    if (line.find('\0') != std::string::npos) {
      if (holding) {
        err << "ostrolen-cli: the input is a binary file (it holds a NUL byte), not records\n";
      } else {
        out.flush();
        err << "ostrolen-cli: line " << number
            << ": the input is a binary file (it holds a NUL byte); the rows of the lines before it were written\n";
      }
      return 2;
    }
    if (number == 1 && line.starts_with(ui::kByteOrderMark)) line.erase(0, ui::kByteOrderMark.size());
    if (const std::optional<ui::Record> record = ui::RecordOfLine(ui::LineAsUtf8(line), number)) {
      ++records;
      DecodeOutcome outcome;
      const ui::TableRow row = ui::RowOf(page, columns, *record, decode, outcome);
      if (row.failure) status = 1;
      write(TableLine(format, columns, row));
    }
    const bool waiting = in.rdbuf()->in_avail() <= 0;
    if (holding && (read >= kLookAhead || held.size() >= kHeldAtMost || waiting)) {
      holding = false;
      out << held;
      std::string().swap(held);
    }
    if (waiting) out.flush();
  }
  if (holding) out << held;
  out.flush();
  if (records == 0) err << "ostrolen-cli: the input holds no records\n";
  return status;
}

}  // namespace

std::string TableUsage() {
  return "usage: ostrolen-cli table PAGE [--format tsv|csv|json] [FILE|-]\n"
         "\n"
         "Decodes records, one a line, on PAGE (a page of decode --help but the\n"
         "converter's) and writes one row a record, as the window's table shows them.\n"
         "The records come from FILE, or from standard input when it is - or not given.\n"
         "A line may begin with a label: the text before its first TAB, or else before\n"
         "its first \": \" (so \"0075: 003F\" is the label 0075 and one word); the rest is\n"
         "words as decode PAGE - reads them. Empty lines and lines that begin with #\n"
         "are skipped but counted. Each line that is well-formed UTF-8 is read as\n"
         "UTF-8 (a byte order mark at the start dropped), any other as Windows-1251.\n"
         "The columns: " +
         std::string(ui::kLabelHeading) + " (the label), " + std::string(ui::kWordsHeading) +
         " (the words), then on the АХ pages one\n"
         "column per field, headed by its name, holding its line less the name and\n"
         "\" = \" (a line that is a label alone stands whole), and on the others " +
         std::string(ui::kLinesHeading) +
         "\n"
         "(the lines joined by \"; \"); last " +
         std::string(ui::kErrorHeading) +
         ", the page's message for a record it cannot\n"
         "decode. A second column of one name is \"NAME (2)\".\n"
         "--format tsv (the default): a heading line, then a row a line; cells joined\n"
         "by TAB and escaped as decode escapes its lines.\n"
         "--format csv: for a Russian-locale spreadsheet: UTF-8 with a byte order mark,\n"
         "cells separated by ;, lines ended by CRLF, a cell quoted when it holds ;, \",\n"
         "CR or LF (its quotes doubled), a heading line first.\n"
         "In TSV and CSV a cell that begins with =, +, -, @, TAB or CR gets a ' before\n"
         "it, so that no spreadsheet takes it for a formula.\n"
         "--format json: one JSON object a record, one a line:\n"
         "  {\"line\": N, \"label\": TEXT|null, \"words\": [...], \"fields\": {NAME: VALUE, ...},\n"
         "   \"lines\": [...], \"reports\": [...], \"error\": TEXT|null}\n"
         "line is the record's line of the input; fields the field columns ({} on a\n"
         "page without fields); lines and reports the page's result lines and report\n"
         "boxes as they stand, unescaped; error the message of words the page cannot\n"
         "take or of the common error box, else null. Texts are UTF-8 as they are, with\n"
         "\", \\, the control characters and U+2028, U+2029 escaped.\n"
         "A record gives every word of its page: where decode would fill missing words\n"
         "in with the page's defaults, the table gives the row an error.\n"
         "Each row is written as its record is read, once the first 64 KiB of input\n"
         "were read (or 1 MiB of output is due, or the input paused or ended). An input\n"
         "that holds a NUL byte is a binary file: the exit status is 2, and nothing is\n"
         "written when the byte comes before that; later, the rows of the lines before\n"
         "it stand.\n"
         "Exit status 0 when every record decoded, 1 when some did not, 2 for a usage\n"
         "error, a file that cannot be read or a binary file.\n"
         "\n"
         "Examples:\n"
         "  printf '21-35-07\\t271A6\\n21-35-08\\t271A7\\n' | ostrolen-cli table sko\n"
         "  ostrolen-cli table uvp --format csv messages.txt > messages.csv\n";
}

int RunTableCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  // args[0] is "table".
  if (args.size() >= 2 && (args[1] == "--help" || args[1] == "-h")) {
    out << TableUsage();
    return 0;
  }
  Format format = Format::Tsv;
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string value;
    if (args[i] == "--format") {
      if (i + 1 == args.size()) {
        err << "ostrolen-cli: --format needs tsv, csv or json (see ostrolen-cli table --help)\n";
        return 2;
      }
      value = args[++i];
    } else if (args[i].starts_with("--format=")) {
      value = args[i].substr(9);
    } else if (args[i].size() > 1 && args[i].starts_with("-")) {
      err << "ostrolen-cli: unknown option '" << EscapeField(args[i]) << "' (see ostrolen-cli table --help)\n";
      return 2;
    } else {
      positional.push_back(args[i]);
      continue;
    }
    if (value == "tsv") {
      format = Format::Tsv;
    } else if (value == "csv") {
      format = Format::Csv;
    } else if (value == "json") {
      format = Format::Json;
    } else {
      err << "ostrolen-cli: unknown format '" << EscapeField(value) << "': tsv, csv or json\n";
      return 2;
    }
  }
  if (positional.empty()) {
    err << "ostrolen-cli: 'table' needs a page name (see ostrolen-cli table --help)\n";
    return 2;
  }
  if (positional.size() > 2) {
    err << "ostrolen-cli: 'table' reads one file; got '" << EscapeField(positional[2]) << "' besides\n";
    return 2;
  }
  const PageCommand* page = FindPageCommand(positional[0]);
  if (page == nullptr) {
    err << "ostrolen-cli: no page named '" << EscapeField(positional[0]) << "' (see ostrolen-cli decode --help)\n";
    return 2;
  }
  if (!ui::IsRecordPage(*page)) {
    err << "ostrolen-cli: '" << positional[0]
        << "' is a converter: its result is its boxes, not lines of a record (see ostrolen-cli table --help)\n";
    return 2;
  }
  if (positional.size() < 2 || positional[1] == "-") return WriteTable(*page, format, in, out, err);
  const std::string& path = positional[1];
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    err << "ostrolen-cli: cannot read '" << EscapeField(path) << "': it is a folder\n";
    return 2;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    err << "ostrolen-cli: cannot read '" << EscapeField(path) << "'\n";
    return 2;
  }
  return WriteTable(*page, format, file, out, err);
}

}  // namespace ostrolen

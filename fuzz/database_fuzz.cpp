// Fuzzes the segment lookup's database layer from both ends of the reader
// program:
//   - first byte even: the rest is a database file. It is put where the
//     lookup opens it and the real reader (libmdb, in its own process)
//     answers the lookups of a plain and of a control segment.
//   - first byte odd: the rest is what a reader writes back (frames). A
//     stand-in reader replies with exactly those bytes, so the page meets
//     any reply (cut short, oversized counts, bad kinds and frames); the
//     outcomes in them are also decoded in process and must survive a
//     round trip.
// Either way a lookup may end only in lines or in a DatabaseError with a
// text to show; any other exception, a crash or a hang is a finding.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/utf8.h"
#include "core/window.h"
#include "pages/segments/segments.h"
#include "reader/database.h"
#include "reader/query.h"

namespace ostrolen::fuzz {
namespace {

struct Lookup {
  std::string_view segment;
  std::string_view step;
};
// A plain segment, a control segment described once, one described per
// scan-point state, and one with wildcards in it.
constexpr Lookup kLookups[] = {{"12", "1"}, {"3C", "5"}, {"3D", "7"}, {"%", "_"}};

std::string g_database;  // the database file the lookups open
std::string g_reader;    // the real reader program
std::string g_stand_in;  // the stand-in reader's script
std::string g_reply;     // the file the stand-in replies with

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** database_fuzz: %s\n", what.c_str());
  std::abort();
}

void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Expect(out.good(), "cannot write " + path);
}

// One lookup as the page makes it, with the page's error text.
void RunLookup(Connection& database, const Lookup& lookup, bool real_reader) {
  std::vector<std::string> lines;
  try {
    SegmentLookup(database, lookup.segment, lookup.step, [&](std::string_view line) { lines.emplace_back(line); });
  } catch (const DatabaseError& error) {
    const std::string shown = ErrorBoxText(error.what());
    Expect(!shown.empty(), "a database error with no text");
    Expect(LastCodePoint(shown) <= U'.', "a database error not ending as the full-stop rule says: " + shown);
    return;
  } catch (const std::exception& error) {
    Fail(std::string("the lookup ended in an error that is not a database error: ") + error.what());
  }
  // The real reader turns every text it stores into UTF-8.
  if (real_reader) {
    for (const std::string& line : lines) Expect(IsValidUtf8(line), "a looked-up line that is not UTF-8");
  }
}

// Whatever decodes must encode and decode back to the same.
void CheckOutcomes(std::string_view bytes) {
  const std::vector<StatementOutcome> outcomes = DecodeOutcomes(bytes, 8);
  std::string again;
  for (const StatementOutcome& outcome : outcomes) {
    again += EncodeOutcome(outcome);
    if (outcome.failure != ReadFailure::None) {
      Expect(!FailureMessage(outcome.failure, "dbveltra.mdb", "segmoborud", outcome.name).empty(),
             "a failure with no message");
    }
    for (const std::string_view column : {"oborud", "isppro", "d", "ts", "missing"}) {
      try {
        const Value& value = FieldValue(outcome.result, column);
        (void)EqualsFalse(value);
        (void)ValueText(value);
      } catch (const DatabaseError&) {
      }
    }
  }
  const std::vector<StatementOutcome> decoded = DecodeOutcomes(again, 8);
  std::string twice;
  for (const StatementOutcome& outcome : decoded) twice += EncodeOutcome(outcome);
  Expect(decoded.size() == outcomes.size() && twice == again, "re-encoded outcomes decode differently");
}

void CheckRoundTrip(std::string_view bytes) {
  CheckOutcomes(bytes);
  std::size_t at = 0;
  bool bad = false;
  while (const std::optional<Frame> f = NextFrame(bytes, at, bad)) {
    Expect(EncodeFrame(f->kind, f->payload) ==
               bytes.substr(at - frame::kHeader - f->payload.size(), frame::kHeader + f->payload.size()),
           "a frame that does not encode back to its bytes");
    if (f->kind == frame::kOutcome) CheckOutcomes(f->payload);
  }

  std::string file;
  std::vector<Statement> statements;
  if (DecodeRequest(bytes, file, statements)) {
    Expect(EncodeRequest(file, statements) == bytes, "a request that does not encode back to its text");
  }
}

void Setup(const char* program) {
  char folder[] = "/tmp/ostrolen-database-fuzz-XXXXXX";
  Expect(::mkdtemp(folder) != nullptr, "no temporary folder");
  std::string g_folder = folder;
  g_database = std::string(folder) + "/" + std::string(kDatabaseFile);
  g_reply = g_folder + "/reply";
  g_stand_in = g_folder + "/stand-in-reader";
  WriteFile(g_stand_in, "#!/bin/sh\nexec cat \"$OSTROLEN_FUZZ_REPLY\"\n");
  ::chmod(g_stand_in.c_str(), 0700);
  ::setenv("OSTROLEN_FUZZ_REPLY", g_reply.c_str(), 1);
  std::string self(program);
  const std::size_t slash = self.find_last_of('/');
  g_reader = (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/" + std::string(kReaderName);
  if (::access(g_reader.c_str(), X_OK) != 0) g_reader = FindReader();
  Expect(!g_reader.empty(), "no reader program beside database_fuzz");
  // libmdb's leaks in the reader process are not ours to find.
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
}

// Seeds: the database file, and the reader's real reply, for each lookup.
int MakeSeeds(const std::string& folder, const std::string& sample) {
  std::ifstream in(sample, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Expect(!file.empty(), "no sample database " + sample);
  ::setenv("OSTROLEN_MDB_READER", g_reader.c_str(), 1);
  for (std::size_t k = 0; k < std::size(kLookups); ++k) {
    const auto mode = static_cast<char>(2 * k);
    if (k % 2 == 0) WriteFile(folder + "/file-" + std::to_string(k), std::string(1, mode) + file);
    Connection database(sample);
    std::string reply(1, static_cast<char>(mode + 1));
    for (const StatementOutcome& outcome : database.Run(LookupStatements(kLookups[k].segment, kLookups[k].step))) {
      reply += EncodeFrame(frame::kOutcome, EncodeOutcome(outcome));
    }
    reply += EncodeFrame(frame::kEnd, {});
    WriteFile(folder + "/reply-" + std::to_string(k), reply);
  }
  return 0;
}

}  // namespace
}  // namespace ostrolen::fuzz

// With --seeds OUTDIR SAMPLE.mdb, writes the seed corpus instead.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  ostrolen::fuzz::Setup((*argv)[0]);
  if (*argc == 4 && std::string_view((*argv)[1]) == "--seeds")
    std::exit(ostrolen::fuzz::MakeSeeds((*argv)[2], (*argv)[3]));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrolen;
  using namespace ostrolen::fuzz;
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool real_reader = data[0] % 2 == 0;
  if (real_reader) {
    WriteFile(g_database, rest);
    ::setenv("OSTROLEN_MDB_READER", g_reader.c_str(), 1);
  } else {
    CheckRoundTrip(rest);
    WriteFile(g_reply, rest);
    ::setenv("OSTROLEN_MDB_READER", g_stand_in.c_str(), 1);
  }
  // A fresh connection per input: it looks for its reader on its first run.
  Connection database(g_database, std::chrono::seconds(3));
  const Lookup& lookup = kLookups[(data[0] / 2) % std::size(kLookups)];
  RunLookup(database, lookup, real_reader);
  return 0;
}

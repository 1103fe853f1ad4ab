// The reader program is started once and kept: it answers lookups and row
// listings one after another, reads the file again only when it changed,
// and is started again when it died. A reader that dies or stalls during a
// request costs that request only.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "pages/search/rows.h"
#include "pages/segments/segments.h"
#include "reader/database.h"
#include "tests/pages/segments/segments_support.h"

namespace ostrolen::testing {
namespace {

// The first row's value of `column` in outcome `i`, or why there is none.
std::string Answer(const std::vector<StatementOutcome>& outcomes, std::size_t i, std::string_view column) {
  if (i >= outcomes.size()) return "no outcome";
  const StatementOutcome& o = outcomes[i];
  if (o.failure != ReadFailure::None) return "failure " + std::to_string(static_cast<int>(o.failure));
  if (!o.result.has_row) return "no row";
  const Value& v = FieldValue(o.result, column);
  return v.kind == Value::Kind::Null ? "null" : v.text;
}

// Kills the kept reader and waits until it is dead (not yet reaped: the
// connection finds it so).
void KillReader(Connection& database) {
  const pid_t pid = database.Reader().Pid();
  ASSERT_NE(pid, 0);
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  siginfo_t info{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
}

class KeptReaderTest : public DatabaseFolder {
 protected:
  // A lookup of "12-1" under way on `database`, returned once its reader,
  // the first one started, has taken the request and stalls; every reader
  // started after it is the real one.
  std::future<std::vector<StatementOutcome>> StalledPress(Connection& database) {
    const std::string real = FindReader();
    EXPECT_FALSE(real.empty());
    const std::string marker = (folder_ / "stalled").string();
    ::setenv("OSTROLEN_MDB_READER",
             Script("stalls",
                    "if [ -e '" + marker + "' ]; then exec '" + real + "'; fi\ntouch '" + marker + "'\nexec sleep 600")
                 .c_str(),
             1);
    auto press = std::async(std::launch::async, [&database] { return database.Run(LookupStatements("12", "1")); });
    while (!std::filesystem::exists(marker) || database.Reader().Pid() == 0) std::this_thread::yield();
    return press;
  }
  // `name` put in place of dbveltra.mdb at once, as a program that saves
  // a file whole does (a new file renamed over the old).
  void Replace(std::string_view name) {
    const std::filesystem::path next = folder_ / "next.mdb";
    std::filesystem::copy_file(FixturePath(name), next, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::rename(next, Database());
  }
  void TearDown() override {
    ::unsetenv("OSTROLEN_MDB_READER");
    DatabaseFolder::TearDown();
  }
};

TEST_F(KeptReaderTest, OneReaderAnswersLookupsAndListingsInTurn) {
  Place("lookup");
  Connection database(std::string(kDatabaseFile), kNoHang);
  const std::vector<StatementOutcome> first = database.Run(LookupStatements("12", "1"));
  EXPECT_EQ(Answer(first, 0, "oborud"), "Блок групповой БГ 2");
  const pid_t pid = database.Reader().Pid();
  EXPECT_NE(pid, 0);

  const RowListing listing = ListRows(database, std::string(kDatabaseFile));
  EXPECT_EQ(listing.problem, "");
  EXPECT_FALSE(listing.rows.empty());
  const std::vector<StatementOutcome> control = database.Run(LookupStatements("3E", "2"));
  EXPECT_EQ(Answer(control, 0, "oborud"), "Линии УСК, сегмент 3E");
  EXPECT_EQ(ListRows(database, std::string(kDatabaseFile)).rows.size(), listing.rows.size());
  EXPECT_EQ(EncodeOutcome(database.Run(LookupStatements("12", "1"))[0]), EncodeOutcome(first[0]));
  EXPECT_EQ(database.Reader().Starts(), 1);
  EXPECT_EQ(database.Reader().Pid(), pid);
}

TEST_F(KeptReaderTest, AReaderKilledBetweenTwoPressesIsStartedAgainSilently) {
  Place("lookup");
  Connection database(std::string(kDatabaseFile), kNoHang);
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  KillReader(database);
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  EXPECT_EQ(database.Reader().Starts(), 2);
  KillReader(database);
  EXPECT_EQ(ListRows(database, std::string(kDatabaseFile)).problem, "");
}

TEST_F(KeptReaderTest, AReaderKilledDuringAPressIsThatPressesErrorAndTheNextAnswers) {
  Place("lookup");
  Connection database(std::string(kDatabaseFile), kNoHang);
  auto press = StalledPress(database);
  // The stalled reader is killed once it has taken the request.
  ASSERT_EQ(::kill(database.Reader().Pid(), SIGKILL), 0);
  const std::vector<StatementOutcome> killed = press.get();
  ASSERT_EQ(killed.size(), 2u);
  EXPECT_EQ(killed[0].failure, ReadFailure::ReaderCrashed);
  EXPECT_EQ(FailureMessage(killed[0].failure, database.File(), "", killed[0].name),
            "Чтение базы данных «dbveltra.mdb» завершилось аварийно: файл, видимо, повреждён");
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  EXPECT_EQ(database.Reader().Starts(), 2);
}

TEST_F(KeptReaderTest, CancelEndsTheReadingAndTheNextPressStartsANewReader) {
  Place("lookup");
  Connection database(std::string(kDatabaseFile), kNoHang);
  auto press = StalledPress(database);
  database.Cancel();
  const std::vector<StatementOutcome> cancelled = press.get();
  ASSERT_EQ(cancelled.size(), 2u);
  EXPECT_EQ(cancelled[0].failure, ReadFailure::Cancelled);
  EXPECT_EQ(cancelled[1].failure, ReadFailure::Cancelled);
  EXPECT_EQ(FailureMessage(ReadFailure::Cancelled, database.File(), "", ""), "");
  // Until the caller clears it, every request is cancelled at once.
  EXPECT_EQ(database.Run(LookupStatements("12", "1"))[0].failure, ReadFailure::Cancelled);
  database.ClearCancel();
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
}

TEST_F(KeptReaderTest, AFileReplacedUnderItIsReadAfresh) {
  Place("lookup");
  Connection database(std::string(kDatabaseFile), kNoHang);
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  const std::size_t rows = ListRows(database, std::string(kDatabaseFile)).rows.size();
  Replace("equipment_only");
  const std::vector<StatementOutcome> after = database.Run(LookupStatements("12", "1"));
  EXPECT_EQ(Answer(after, 1, "isppro"), "failure " + std::to_string(static_cast<int>(ReadFailure::MissingTable)));
  EXPECT_NE(ListRows(database, std::string(kDatabaseFile)).rows.size(), rows);
  // Gone, then back: each press reads the file as it is.
  std::filesystem::remove(Database());
  EXPECT_EQ(database.Run(LookupStatements("12", "1"))[0].failure, ReadFailure::MissingFile);
  Replace("lookup");
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  // Written over in place, the same size: its times tell.
  const std::string bytes = ReadBytes(FixturePath("names"));
  if (bytes.size() == std::filesystem::file_size(Database())) {
    std::ofstream(Database(), std::ios::binary | std::ios::in | std::ios::out).write(bytes.data(), bytes.size());
    EXPECT_NE(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  }
  EXPECT_EQ(database.Reader().Starts(), 1);
}

// A file that grows while it is read gives the answer of one whole version
// of it, or the damaged-file error; never a mixture, never a crash.
TEST_F(KeptReaderTest, AFileThatGrowsWhileItIsReadGivesOneWholeVersionOrTheDamagedError) {
  Place("lookup");
  Connection database(std::string(kDatabaseFile), kNoHang);
  const std::vector<StatementOutcome> whole = database.Run(LookupStatements("3E", "2"));
  ASSERT_EQ(whole[0].failure, ReadFailure::None);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    std::ofstream out(Database(), std::ios::binary | std::ios::app);
    const std::string piece(1000, '\0');
    for (int i = 0; i < 400 && !done; ++i) {
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      out.flush();
      std::this_thread::yield();
    }
  });
  int answered = 0, damaged = 0;
  for (int i = 0; i < 30; ++i) {
    const std::vector<StatementOutcome> outcomes = database.Run(LookupStatements("3E", "2"));
    ASSERT_EQ(outcomes.size(), whole.size());
    if (outcomes[0].failure == ReadFailure::DamagedFile) {
      ++damaged;
      for (const StatementOutcome& o : outcomes) EXPECT_EQ(o.failure, ReadFailure::DamagedFile);
      continue;
    }
    ++answered;
    for (std::size_t k = 0; k < whole.size(); ++k) {
      EXPECT_EQ(EncodeOutcome(outcomes[k]), EncodeOutcome(whole[k])) << k;
    }
  }
  done = true;
  writer.join();
  EXPECT_EQ(answered + damaged, 30);
  EXPECT_EQ(database.Reader().Starts(), 1);
}

// The time limit counts from the reader's last sign of progress, not from the
// request: a reading that reports progress may take longer than the limit.
TEST_F(KeptReaderTest, ProgressKeepsASlowReadingAlive) {
  Place("lookup");
  // The real reader's answer, given after three seconds of progress (a
  // share not known) every quarter second.
  Connection probe(std::string(kDatabaseFile), kNoHang);
  std::string answer;
  for (const StatementOutcome& outcome : probe.Run(LookupStatements("12", "1")))
    answer += EncodeFrame(frame::kOutcome, EncodeOutcome(outcome));
  answer += EncodeFrame(frame::kEnd, {});
  WriteBytes(folder_ / "answer", answer);
  ::setenv("OSTROLEN_MDB_READER",
           Script("slow",
                  "i=0\nwhile [ $i -lt 12 ]; do printf 'P\\001\\000\\000\\000\\377'; sleep 0.25; "
                  "i=$((i+1)); done\ncat '" +
                      (folder_ / "answer").string() + "'\nexec sleep 600")
               .c_str(),
           1);
  Connection database(std::string(kDatabaseFile), std::chrono::seconds(2));
  std::vector<int> told;
  database.SetProgress([&](int percent) { told.push_back(percent); });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Answer(database.Run(LookupStatements("12", "1")), 0, "oborud"), "Блок групповой БГ 2");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(told, std::vector<int>(12, -1));
}

// A reader that goes quiet is ended after the limit, however long it was
// busy before: the limit counts from its last sign of progress.
TEST_F(KeptReaderTest, AReaderThatGoesQuietIsEnded) {
  Place("lookup");
  ::setenv("OSTROLEN_MDB_READER", Script("quiet", "printf 'P\\001\\000\\000\\000\\050'\nexec sleep 600").c_str(), 1);
  Connection database(std::string(kDatabaseFile), std::chrono::milliseconds(300));
  std::vector<int> told;
  database.SetProgress([&](int percent) { told.push_back(percent); });
  const std::vector<StatementOutcome> outcomes = database.Run(LookupStatements("12", "1"));
  EXPECT_EQ(outcomes[0].failure, ReadFailure::ReaderTimedOut);
  EXPECT_EQ(told, std::vector<int>{40});
  EXPECT_EQ(database.Reader().Pid(), 0);
}

}  // namespace
}  // namespace ostrolen::testing

// ostrolen-mdb-reader: runs the segment lookup's statements on an Access
// (Jet) file and writes their first rows to standard output. The page
// starts it once per lookup, so that a damaged file that upsets libmdb
// (which trusts what it reads) costs this process and never the window.
//
//   ostrolen-mdb-reader REQUEST
//
// REQUEST is EncodeRequest's text; the output is one EncodeOutcome per
// statement, in statement order, each written as soon as it is known.
// The file is only read: it is mapped into memory once and never locked.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reader/libmdb_rows.h"
#include "reader/query.h"
#include "reader/runner.h"

#if defined(__SANITIZE_ADDRESS__)
#define OSTROLEN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTROLEN_ASAN 1
#endif
#endif

namespace ostrolen {
namespace {

void WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) std::_Exit(4);
    done += static_cast<std::size_t>(n);
  }
}

// No core files, and a bound on time and memory, so that a file that sends
// libmdb astray ends this process soon. The mapping of the file counts
// against the bound on address space: the bound leaves the same room
// beside a file of any size Access writes (up to 2 GB).
void LimitSelf() {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  const rlimit cpu{10, 10};
  ::setrlimit(RLIMIT_CPU, &cpu);
}

void LimitMemory(std::size_t file_size) {
#ifndef OSTROLEN_ASAN  // the address sanitizer reserves far more address space than this
  const rlim_t most = (rlim_t{2} << 30) + static_cast<rlim_t>(file_size);
  const rlimit memory{most, most};
  ::setrlimit(RLIMIT_AS, &memory);
#else
  (void)file_size;
#endif
}

int Run(const std::string& path, const std::vector<Statement>& statements) {
  FileBytes bytes;
  if (const ReadFailure failure = bytes.Load(path); failure != ReadFailure::None) {
    for (std::size_t i = 0; i < statements.size(); ++i) WriteAll(EncodeOutcome(Failed(failure, path)));
    return 0;
  }
  LimitMemory(bytes.View().size());
  LibmdbRows rows(bytes);
  RunStatements(rows, path, statements, [](const StatementOutcome& outcome) { WriteAll(EncodeOutcome(outcome)); });
  return 0;
}

}  // namespace
}  // namespace ostrolen

int main(int argc, char** argv) {
  ostrolen::LimitSelf();
  // libmdb writes names in the character set MDBICONV names; the page reads UTF-8.
  ::unsetenv("MDBICONV");
  std::string path;
  std::vector<ostrolen::Statement> statements;
  if (argc != 2 || !ostrolen::DecodeRequest(argv[1], path, statements)) {
    std::fputs("usage: ostrolen-mdb-reader REQUEST (started by Ostrolen's segment page)\n", stderr);
    return 2;
  }
  return ostrolen::Run(path, statements);
}

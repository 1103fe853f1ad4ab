// Running a program as a shell command in tests: its standard output and exit status.
// And the locale other programs run in: the tests choose it themselves,
// whatever the environment they were started in says.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace ostrolen::testing {

struct ProcessRun {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
};

inline ProcessRun RunShell(const std::string& command) {
  ProcessRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// A UTF-8 locale that every Debian libc has. mdbtools' programs convert
// their arguments from the locale's character set: a Cyrillic table name
// needs a UTF-8 locale.
inline constexpr std::string_view kUtf8Locale = "C.UTF-8";

inline bool IsLocaleVariable(std::string_view entry) {
  return entry.starts_with("LANG=") || entry.starts_with("LANGUAGE=") || entry.starts_with("LC_");
}

// This process's environment without LANG, LANGUAGE and the LC_ variables,
// then `extra` ("NAME=value") added.
inline std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& extra = {}) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!IsLocaleVariable(*entry)) env.emplace_back(*entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

// The environment for a program that is to run in `locale` alone.
inline std::vector<std::string> EnvironmentInLocale(std::string_view locale = kUtf8Locale) {
  return EnvironmentWithout({"LC_ALL=" + std::string(locale)});
}

// A shell command's prefix that runs it in `locale` alone.
inline std::string InLocale(std::string_view locale = kUtf8Locale) {
  return "env -u LANG -u LANGUAGE LC_ALL=" + std::string(locale) + " ";
}

}  // namespace ostrolen::testing

// The set-up the database benchmarks share: a scratch folder for the
// databases they make, and ostrolen-mkdb, which makes them.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace ostrolen::bench {

// The program of that name beside the benchmark.
inline std::filesystem::path Beside(const std::string& program) {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / program;
}

// A folder of the benchmark's own, removed when the benchmark ends.
inline const std::filesystem::path& ScratchFolder() {
  struct Folder {
    std::filesystem::path path;
    Folder() {
      std::string pattern = (std::filesystem::temp_directory_path() / "ostrolen-bench-XXXXXX").string();
      if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
      path = pattern;
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder made;
  return made.path;
}

// Writes the Access file `mdb` from the description `tsv` with ostrolen-mkdb.
inline void MakeMdb(const std::filesystem::path& tsv, const std::filesystem::path& mdb) {
  std::string command = Beside("ostrolen-mkdb").string();
  command.append(" '").append(tsv.string()).append("' '").append(mdb.string()).append("'");
  if (std::system(command.c_str()) != 0) throw std::runtime_error("ostrolen-mkdb failed: " + command);
}

}  // namespace ostrolen::bench

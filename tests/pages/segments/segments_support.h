// A temporary folder made the current directory for one test, where the
// page finds its dbveltra.mdb; and the test databases.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace ostrolen::testing {

// The reader program's time limit where a test does not try that limit: a
// lookup is awaited until it answers, however slow or loaded the machine;
// this only ends one that hangs.
inline constexpr std::chrono::seconds kNoHang{120};

inline std::string FixturePath(std::string_view name) {
  return std::string(OSTROLEN_SEGMENT_FIXTURES) + "/" + std::string(name) + ".mdb";
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The real Access-made file the test setup provides, or empty.
inline std::string MonitorPath() {
  const char* path = std::getenv("OSTROLEN_MONITOR_MDB");
  if (path == nullptr || !std::filesystem::is_regular_file(path)) return {};
  return path;
}

class DatabaseFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrolen-segments-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path Database() const { return folder_ / "dbveltra.mdb"; }

  // The test database `name` as the folder's dbveltra.mdb.
  void Place(std::string_view name) {
    const std::string from = FixturePath(name);
    ASSERT_TRUE(std::filesystem::is_regular_file(from)) << from << " was not built";
    std::filesystem::copy_file(from, Database(), std::filesystem::copy_options::overwrite_existing);
  }

  // A shell script `name` in the folder that runs `body`: a stand-in for
  // the reader program.
  std::string Script(const std::string& name, const std::string& body) const {
    const std::filesystem::path path = folder_ / name;
    WriteBytes(path, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
  }

  std::filesystem::path folder_;

 private:
  std::filesystem::path previous_;
};

}  // namespace ostrolen::testing

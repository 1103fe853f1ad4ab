// An Access file's tables as libmdb reads them: the row source of the
// reader program (and of the developer's tools that read files as it does).
// Only for the desktop: the browser page reads through its worker.
#pragma once

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts cannot stand.
#include <glib.h>
#include <mdbtools.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/query.h"
#include "reader/runner.h"

namespace ostrolen {

class LibmdbFile;
struct LibmdbTable;

// The whole file, mapped once, so that every statement reads the same
// bytes and nothing is copied. Mapped read-only and private: the reader
// cannot write to it, and takes no lock.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  ReadFailure Load(const std::string& path);

  std::string_view View() const { return {static_cast<const char*>(data_), size_}; }
  void* Data() const { return data_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

// The file's tables as libmdb reads them, one table at a time.
class LibmdbRows final : public RowSource {
 public:
  explicit LibmdbRows(const FileBytes& bytes);
  ~LibmdbRows() override;
  LibmdbRows(const LibmdbRows&) = delete;
  LibmdbRows& operator=(const LibmdbRows&) = delete;

  std::uint64_t Size() override;
  std::string Bytes(std::uint64_t offset, std::size_t length) override;
  bool Open(const AccessHeader& header, std::uint16_t code_page) override;
  std::optional<std::vector<TableEntry>> Tables() override;
  std::optional<std::vector<std::string>> Columns(std::size_t table) override;
  RowStep NextRow(const std::vector<std::size_t>& compared, std::vector<Value>& values) override;
  bool WholeRow(std::vector<Value>& row) override;

 private:
  MdbColumn* Column(std::size_t c) const;
  const Value& ValueOf(std::size_t c);

  const FileBytes& bytes_;
  std::unique_ptr<LibmdbFile> db_;
  std::vector<MdbCatalogEntry*> entries_;
  std::unique_ptr<LibmdbTable> def_;  // freed before the handle
  std::vector<MdbField> fields_;
  std::vector<std::optional<Value>> values_;
  bool has_pages_ = false;
};

}  // namespace ostrolen

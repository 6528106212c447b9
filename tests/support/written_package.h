#pragma once

#include "package/package_reader.h"
#include "posix/file_descriptor.h"
#include "temporary_folder.h"

#include <string>

// Options that read the export table too.
inline PackageReadOptions withExports() {
  PackageReadOptions options;
  options.exports = true;
  return options;
}

// A package's bytes written to a file of a temporary folder, its tables
// read with the exports, and the file left open for the readers that
// follow the tables into the objects' data.
class WrittenPackage {
public:
  explicit WrittenPackage(const std::string &bytes);

  const PackageTables &tables() const { return *read_.tables; }
  bool readable() const { return read_.tables.has_value(); }
  const std::string &unreadable() const { return read_.unreadable; }
  int fd() const { return file_.get(); }
  std::uint64_t size() const { return size_; }

private:
  TemporaryFolder folder_;
  PackageRead read_;
  FileDescriptor file_;
  std::uint64_t size_;
};

// Feeds arbitrary bytes to the reader of the game's package files. For any
// input it must end without a fault, read no more than its four parts
// could hold, and give either a reason or tables whose every index is in
// range.
#include "package/package_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A private folder for the file, on a memory file system where there is
// one, removed at the end of the run.
class FuzzFolder {
public:
  FuzzFolder() {
    const char *base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/cache-sorter-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
      std::abort();
    path_ = pattern;
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string &path() const { return path_; }

private:
  std::string path_;
};

std::string packagePath() {
  static const FuzzFolder folder;
  return folder.path() + "/package.uxx";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = packagePath();
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
    std::abort();
  const PackageRead read = readPackage(path, PackageReadOptions{true, {}});
  if (read.bytesRead > 4 * size || read.tables.has_value() == !read.unreadable.empty())
    std::abort();
  if (!read.tables)
    return 0;
  const PackageTables &tables = *read.tables;
  for (const PackageImport &entry : tables.imports) {
    if (entry.classPackage >= tables.names.size() || entry.className >= tables.names.size() ||
        entry.objectName >= tables.names.size())
      std::abort();
  }
  for (const PackageExport &entry : tables.exports) {
    if (entry.objectName >= tables.names.size() || entry.serialOffset + entry.serialSize > size)
      std::abort();
  }
  for (const std::string &name : neededPackages(tables)) {
    if (name.empty())
      std::abort();
  }
  return 0;
}

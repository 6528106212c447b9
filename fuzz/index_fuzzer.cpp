// Feeds arbitrary bytes to the index reader and the index rewrite. For any
// input, reading must not fail, and rewriting the index with nothing ticked
// and reading it again must give the same eight lists and the same foreign
// lines.
#include "catalogue/cache_reader.h"
#include "catalogue/category.h"
#include "catalogue/index_lines.h"
#include "fuzz_folder.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"
#include "relocation/index_writer.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using Lists = std::array<std::vector<CacheEntry>, kCategoryCount>;

void check(bool holds, const char *what) {
  if (holds)
    return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

Lists readLists(const std::string &path) {
  Lists lists;
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    std::optional<std::vector<CacheEntry>> entries = readCategory(path, kCategories[index].name);
    check(entries.has_value(), "the index can be read");
    lists[index] = std::move(*entries);
  }
  // Start-up reads all eight in one pass; it must find the same.
  const std::optional<std::array<std::vector<CacheEntry>, kCategoryCount>> onePass = readAllLists(path);
  check(onePass && *onePass == lists, "one pass reads the same lists as one category at a time");
  return lists;
}

std::optional<LinesToKeep> linesToKeep(const std::string &path) {
  const FileDescriptor index = openIndex(path);
  return index.valid() ? readLinesToKeep(index.get(), ListsView{}) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const FuzzFolder folder;
  const std::string path = folder.write("cache.ini", data, size);

  const Lists before = readLists(path);
  const std::optional<LinesToKeep> linesBefore = linesToKeep(path);
  check(linesBefore.has_value(), "the foreign lines can be read");
  const ForeignLines &foreignBefore = linesBefore->foreign;

  ListsView lists;
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    lists[index] = before[index];
  check(rewriteIndex(path, ".cache-sorter-fuzz00", NewIndex{lists, {}, {}}), "the index can be rewritten");

  check(readLists(path) == before, "the rewritten index gives the same lists");
  const std::optional<LinesToKeep> linesAfter = linesToKeep(path);
  check(linesAfter && linesAfter->foreign.lines == foreignBefore.lines &&
            linesAfter->foreign.unterminatedTail == foreignBefore.unterminatedTail,
        "the rewritten index keeps the foreign lines");
  return 0;
}

// Feeds arbitrary bytes to the reader of players' archives: the game's own
// installers, read here, and every format libarchive reads for it. For any
// input it must end without a fault, keep to its caps, and hand over no
// more bytes for an installer's file than its table gives it.
#include "fuzz_folder.h"
#include "package/archive_contents.h"
#include "package/umod_contents.h"
#include "posix/file_descriptor.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const FuzzFolder folder;
  const std::string path = folder.write("pack.zip", data, size);
  const ArchiveContents contents = readArchiveContents(path);
  if (contents.entries.size() > kMostArchiveEntries)
    std::abort();
  for (const ArchiveEntry &entry : contents.entries) {
    if (entry.name.empty() || entry.name.size() > kMostEntryNameBytes)
      std::abort();
  }
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  const bool umod = looksLikeUmod(file.get(), size);
  if (umod) {
    for (const UmodFile &entry : readUmodContents(file.get(), size).files)
      if (entry.offset + entry.size > size)
        std::abort();
  }
  // Every file's bytes, stopped at a few megabytes so that a bomb ends soon.
  std::vector<bool> wanted(contents.entries.size(), true);
  std::uint64_t total = 0, inEntry = 0;
  std::size_t current = 0;
  streamArchiveEntries(path, wanted,
                       EntrySink{[&](std::size_t index) {
                                   current = index;
                                   inEntry = 0;
                                   return index < contents.entries.size();
                                 },
                                 [&](const char *, std::size_t count) {
                                   total += count;
                                   inEntry += count;
                                   const std::optional<std::uint64_t> declared = contents.entries[current].size;
                                   if (umod && declared && inEntry > *declared)
                                     std::abort();
                                   return total < (8u << 20);
                                 },
                                 [](std::size_t) {}});
  return 0;
}

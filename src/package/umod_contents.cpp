#include "package/umod_contents.h"

#include "package/package_bytes.h"
#include "posix/io.h"

#include <unistd.h>

namespace {

constexpr std::uint64_t kTrailerBytes = 20;

std::uint32_t littleEndian(const unsigned char *at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

struct Trailer {
  std::uint32_t magic = 0;
  std::uint32_t tableOffset = 0;
  std::uint32_t fileSize = 0;
};

std::optional<Trailer> trailerOf(int fd, std::uint64_t fileSize) {
  if (fileSize < kTrailerBytes)
    return std::nullopt;
  unsigned char bytes[kTrailerBytes];
  if (::pread(fd, bytes, sizeof bytes, static_cast<off_t>(fileSize - kTrailerBytes)) !=
      static_cast<ssize_t>(sizeof bytes))
    return std::nullopt;
  return Trailer{littleEndian(bytes), littleEndian(bytes + 4), littleEndian(bytes + 8)};
}

UmodContents unreadable(std::string why) {
  UmodContents contents;
  contents.unreadable = std::move(why);
  return contents;
}

} // namespace

bool looksLikeUmod(int fd, std::uint64_t fileSize) {
  const std::optional<Trailer> trailer = trailerOf(fd, fileSize);
  return trailer && trailer->magic == kUmodMagic;
}

UmodContents readUmodContents(int fd, std::uint64_t fileSize) {
  const std::optional<Trailer> trailer = trailerOf(fd, fileSize);
  if (!trailer || trailer->magic != kUmodMagic)
    return unreadable("it is not an installer of the game");
  if (trailer->fileSize != fileSize)
    return unreadable("it is cut short, or has bytes added: it says it is " + std::to_string(trailer->fileSize) +
                      " bytes long");
  const std::uint64_t tableEnd = fileSize - kTrailerBytes;
  if (trailer->tableOffset >= tableEnd)
    return unreadable("its file table lies outside it");
  PackageBytes bytes(fd, tableEnd, trailer->tableOffset);
  const std::optional<std::int32_t> count = bytes.compactIndex();
  if (!count || *count < 0 || static_cast<std::size_t>(*count) > kMostArchiveEntries)
    return unreadable("its file table's count cannot be right");
  UmodContents contents;
  contents.files.reserve(static_cast<std::size_t>(*count));
  for (std::int32_t index = 0; index < *count; ++index) {
    const std::optional<std::int32_t> length = bytes.compactIndex();
    if (!length || *length < 2 || static_cast<std::size_t>(*length) > kMostEntryNameBytes)
      return unreadable("a name in its file table cannot be right");
    const std::optional<std::string_view> name = bytes.bytes(static_cast<std::size_t>(*length));
    const std::optional<std::uint32_t> offset = bytes.u32();
    const std::optional<std::uint32_t> size = bytes.u32();
    const std::optional<std::uint32_t> flags = bytes.u32();
    if (!name || !offset || !size || !flags)
      return unreadable("its file table is cut short");
    // The name ends with its NUL and holds no other.
    if (name->back() != '\0' || name->substr(0, name->size() - 1).find('\0') != std::string_view::npos)
      return unreadable("a name in its file table cannot be right");
    // Each file's bytes lie before the table.
    if (static_cast<std::uint64_t>(*offset) + *size > trailer->tableOffset)
      return unreadable("a file it holds lies outside it");
    std::string plain(name->substr(0, name->size() - 1));
    for (char &c : plain)
      c = c == '\\' ? '/' : c;
    contents.files.push_back({std::move(plain), *offset, *size});
  }
  return contents;
}

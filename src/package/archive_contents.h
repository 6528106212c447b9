#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What a downloaded archive of the game's files holds (.zip, .7z, .rar,
// .tar.*, and the game's own installers, .umod, .ut4mod, .ut2mod), read from
// a stranger's file: every count, length and offset is checked against the
// file and against caps before it is used, and nothing is written here.
struct ArchiveEntry {
  // The name as the archive gives it, with "/" between its parts.
  std::string name;
  enum class Kind { File, Folder, Link, Device, Other };
  Kind kind = Kind::File;
  // The size the archive declares; nothing when it declares none.
  std::optional<std::uint64_t> size;
};

struct ArchiveContents {
  std::vector<ArchiveEntry> entries;
  std::string unreadable; // why, when the archive cannot be read
  std::uint64_t archiveBytes = 0;
};

// Opens `path` without following a link and without waiting, plain files
// only, and lists what it holds.
ArchiveContents readArchiveContents(const std::string &path);

// Hands over the bytes of the entries `wanted` picks, in the archive's
// order: begin(index) before an entry's first bytes (false passes it over),
// data() with each block (false stops everything), end(index) after its
// last. Returns why the archive could not be read to the end of the last
// wanted entry (a checksum that does not match, a cut archive), or nothing.
struct EntrySink {
  std::function<bool(std::size_t index)> begin;
  std::function<bool(const char *bytes, std::size_t count)> data;
  std::function<void(std::size_t index)> end;
};
std::optional<std::string> streamArchiveEntries(const std::string &path, const std::vector<bool> &wanted,
                                                const EntrySink &sink);

// The caps a stranger's archive is held to.
inline constexpr std::size_t kMostArchiveEntries = 100'000;
inline constexpr std::size_t kMostEntryNameBytes = 1024;

// The game's installer format, for the tests that write one: the files'
// bytes stored whole, then the file table, then a trailer of 20 bytes.
inline constexpr std::uint32_t kUmodMagic = 0x9FE3C5A3;

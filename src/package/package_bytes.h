#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reads a package file forward from an offset, a block at a time with
// pread(), never past the file's size as it was when opened. Every read is
// checked: the first one that cannot be made leaves the cursor failed, with
// the reason, and every read after it fails too, so that a table is read
// with one check at its end.
class PackageBytes {
public:
  PackageBytes(int fd, std::uint64_t fileSize, std::uint64_t offset);

  std::optional<std::uint8_t> u8();
  std::optional<std::uint16_t> u16();
  std::optional<std::uint32_t> u32();
  std::optional<std::int32_t> i32();
  // The game's compact index: a signed integer of 1 to 5 bytes.
  std::optional<std::int32_t> compactIndex();
  // `size` bytes, or nothing when the file ends first.
  bool bytes(std::size_t size, std::string &into);

  bool failed() const { return !failure_.empty(); }
  const std::string &failure() const { return failure_; }
  void fail(std::string reason);
  std::uint64_t offset() const { return offset_; }
  // What was read from the disk, in all.
  std::uint64_t bytesRead() const { return bytesRead_; }

private:
  // At least `size` bytes from offset_ on in the block, or false.
  bool have(std::size_t size);

  int fd_;
  std::uint64_t fileSize_;
  std::uint64_t offset_;
  std::vector<std::uint8_t> block_;
  std::uint64_t blockStart_ = 0; // the file offset of block_[0]
  std::uint64_t bytesRead_ = 0;
  std::string failure_;
};

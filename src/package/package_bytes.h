#pragma once

#include "package/byte_buffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads a package file forward from an offset, a block at a time with
// pread(), never past the file's size as it was when opened. Every read is
// checked: the first one that cannot be made leaves the cursor failed, with
// the reason, and every read after it fails too, so that a table is read
// with one check at its end.
class PackageBytes {
public:
  // `expected` is how many bytes the reading will likely take: the first
  // block is that large, no larger than a block, so that a small table costs
  // one small read.
  PackageBytes(int fd, std::uint64_t fileSize, std::uint64_t offset, std::uint64_t expected = kBlockSize);

  static constexpr std::size_t kBlockSize = 64 * 1024;

  // Keeps every byte read from here on, rather than a block at a time, so
  // that a table can be taken whole once it is read: its entries then cost
  // no copy each. Call before the first read.
  void keepAll() { keepAll_ = true; }
  // The bytes from where keeping began to the cursor; the cursor is failed
  // unless they are all there. Leaves nothing kept.
  ByteBuffer takeKept();

  std::optional<std::uint8_t> u8() {
    if (!have(1))
      return std::nullopt;
    return block_[static_cast<std::size_t>(offset_++ - blockStart_)];
  }
  std::optional<std::uint16_t> u16() {
    if (!have(2))
      return std::nullopt;
    const std::uint8_t *at = take(2);
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
  }
  std::optional<std::uint32_t> u32() {
    if (!have(4))
      return std::nullopt;
    const std::uint8_t *at = take(4);
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
  }
  std::optional<std::int32_t> i32() {
    const std::optional<std::uint32_t> value = u32();
    if (!value)
      return std::nullopt;
    return static_cast<std::int32_t>(*value);
  }
  // The game's compact index: a signed integer of 1 to 5 bytes, most often
  // one or two, which are taken here from the block in hand.
  std::optional<std::int32_t> compactIndex() {
    const std::string_view near = inBlock(2);
    if (!near.empty()) {
      const auto first = static_cast<std::uint8_t>(near[0]);
      std::int32_t value = first & 0x3F;
      if ((first & 0x40) == 0) {
        ++offset_;
        return (first & 0x80) != 0 ? -value : value;
      }
      const auto second = near.size() == 2 ? static_cast<std::uint8_t>(near[1]) : 0x80;
      if ((second & 0x80) == 0) {
        offset_ += 2;
        value |= static_cast<std::int32_t>(second) << 6;
        return (first & 0x80) != 0 ? -value : value;
      }
    }
    return longCompactIndex();
  }
  // `size` bytes, or nothing when the file ends first; the view lasts until
  // the next read.
  std::optional<std::string_view> bytes(std::size_t size) {
    if (!have(size))
      return std::nullopt;
    return std::string_view(reinterpret_cast<const char *>(take(size)), size);
  }

  // Up to `size` bytes from the cursor on that are in the block in hand,
  // read already; and a skip over some of them. For a fast path over short
  // entries, which most are.
  std::string_view inBlock(std::size_t size) const {
    if (offset_ < blockStart_ || offset_ - blockStart_ >= block_.size())
      return {};
    const auto at = static_cast<std::size_t>(offset_ - blockStart_);
    return std::string_view(reinterpret_cast<const char *>(block_.data()) + at, std::min(size, block_.size() - at));
  }
  void skip(std::size_t size) { offset_ += size; }

  bool failed() const { return !failure_.empty(); }
  const std::string &failure() const { return failure_; }
  void fail(std::string reason);
  std::uint64_t offset() const { return offset_; }
  // What was read from the disk, in all.
  std::uint64_t bytesRead() const { return bytesRead_; }

private:
  // At least `size` bytes from offset_ on in the block, or false. Most reads
  // lie in the block in hand; a failure empties it, so that every read after
  // one fails.
  bool have(std::size_t size) {
    const std::uint64_t at = offset_ - blockStart_;
    return (offset_ >= blockStart_ && size <= block_.size() && at <= block_.size() - size) || refill(size);
  }
  bool refill(std::size_t size);
  // Reads `size` bytes at `from` onto the end of the block.
  bool append(std::uint64_t from, std::size_t size);
  std::optional<std::int32_t> longCompactIndex();
  const std::uint8_t *take(std::size_t size) {
    const std::uint8_t *at = block_.data() + (offset_ - blockStart_);
    offset_ += size;
    return at;
  }

  int fd_;
  std::uint64_t fileSize_;
  std::uint64_t offset_;
  ByteBuffer block_;
  std::uint64_t blockStart_ = 0; // the file offset of block_[0]
  std::size_t nextBlock_;
  bool keepAll_ = false;
  std::uint64_t bytesRead_ = 0;
  std::string failure_;
};

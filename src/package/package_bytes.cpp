#include "package/package_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

PackageBytes::PackageBytes(int fd, std::uint64_t fileSize, std::uint64_t offset, std::uint64_t expected)
    : fd_(fd), fileSize_(fileSize), offset_(offset),
      nextBlock_(static_cast<std::size_t>(std::clamp<std::uint64_t>(expected, 1, kBlockSize))) {
  if (offset > fileSize)
    fail("a table starts past the end of the file");
}

void PackageBytes::fail(std::string reason) {
  if (failure_.empty())
    failure_ = std::move(reason);
  block_.clear();
}

bool PackageBytes::refill(std::size_t size) {
  if (failed())
    return false;
  if (size > fileSize_ || offset_ > fileSize_ - size) {
    fail("the file ends inside a table");
    return false;
  }
  if (offset_ >= blockStart_ && offset_ + size <= blockStart_ + block_.size())
    return true;
  // Kept bytes grow from the end of the block; otherwise a block starts at
  // the cursor: a block, or what a longer string needs.
  if (!keepAll_ || block_.empty()) {
    block_.clear();
    blockStart_ = offset_;
  }
  const std::uint64_t from = blockStart_ + block_.size();
  const std::uint64_t needed = offset_ + size - from;
  const std::uint64_t wanted = std::min<std::uint64_t>(std::max<std::uint64_t>(needed, nextBlock_), fileSize_ - from);
  nextBlock_ = kBlockSize;
  if (!append(from, static_cast<std::size_t>(wanted)))
    return false;
  if (offset_ + size > blockStart_ + block_.size()) {
    // The file got shorter while it was read.
    fail("the file ends inside a table");
    return false;
  }
  return true;
}

bool PackageBytes::append(std::uint64_t from, std::size_t size) {
  const std::size_t old = block_.size();
  block_.resize(old + size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t read = ::pread(fd_, block_.data() + old + got, size - got, static_cast<off_t>(from + got));
    if (read < 0 && errno == EINTR)
      continue;
    if (read < 0) {
      fail(std::string("it could not be read (") + std::strerror(errno) + ")");
      return false;
    }
    if (read == 0)
      break;
    got += static_cast<std::size_t>(read);
  }
  bytesRead_ += got;
  block_.resize(old + got);
  return true;
}

ByteBuffer PackageBytes::takeKept() {
  if (failed() || block_.empty())
    return {};
  if (offset_ > blockStart_ + block_.size()) {
    fail("the file ends inside a table");
    return {};
  }
  ByteBuffer kept = std::move(block_);
  kept.resize(static_cast<std::size_t>(offset_ - blockStart_));
  block_.clear();
  blockStart_ = offset_;
  return kept;
}

std::optional<std::int32_t> PackageBytes::longCompactIndex() {
  // The longest form takes five bytes; the last number of a file may take
  // fewer than are left in it.
  constexpr std::size_t kLongest = 5;
  const std::size_t left =
      offset_ < fileSize_ ? static_cast<std::size_t>(std::min<std::uint64_t>(kLongest, fileSize_ - offset_)) : 0;
  if (left == 0 || !have(left)) {
    fail("the file ends inside a table");
    return std::nullopt;
  }
  const std::uint8_t *at = block_.data() + (offset_ - blockStart_);
  const bool negative = (at[0] & 0x80) != 0;
  std::int64_t value = at[0] & 0x3F;
  std::size_t used = 1;
  for (bool more = (at[0] & 0x40) != 0; more; ++used) {
    if (used == left) {
      fail("the file ends inside a table");
      return std::nullopt;
    }
    const std::uint8_t next = at[used];
    const int shift = 6 + 7 * static_cast<int>(used - 1);
    if (used == kLongest - 1) {
      // The fifth byte holds the last bits; a value needing more is malformed.
      if (next > 0x0F) {
        fail("a number in it is malformed");
        return std::nullopt;
      }
      value |= static_cast<std::int64_t>(next) << shift;
      ++used;
      break;
    }
    value |= static_cast<std::int64_t>(next & 0x7F) << shift;
    more = (next & 0x80) != 0;
  }
  offset_ += used;
  return static_cast<std::int32_t>(negative ? -value : value);
}

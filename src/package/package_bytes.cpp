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
  // Refills from offset_: a block, or what a longer string needs.
  const std::uint64_t wanted = std::min<std::uint64_t>(std::max(size, nextBlock_), fileSize_ - offset_);
  nextBlock_ = kBlockSize;
  block_.resize(static_cast<std::size_t>(wanted));
  std::size_t got = 0;
  while (got < block_.size()) {
    const ssize_t read = ::pread(fd_, block_.data() + got, block_.size() - got, static_cast<off_t>(offset_ + got));
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
  block_.resize(got);
  blockStart_ = offset_;
  if (got < size) {
    // The file got shorter while it was read.
    fail("the file ends inside a table");
    return false;
  }
  return true;
}

std::optional<std::int32_t> PackageBytes::longCompactIndex() {
  const std::optional<std::uint8_t> first = u8();
  if (!first)
    return std::nullopt;
  const bool negative = (*first & 0x80) != 0;
  std::int64_t value = *first & 0x3F;
  bool more = (*first & 0x40) != 0;
  for (int shift = 6; more; shift += 7) {
    const std::optional<std::uint8_t> next = u8();
    if (!next)
      return std::nullopt;
    if (shift == 27) {
      // The fifth byte holds the last bits; a value needing more is malformed.
      if (*next > 0x0F) {
        fail("a number in it is malformed");
        return std::nullopt;
      }
      value |= static_cast<std::int64_t>(*next) << shift;
      break;
    }
    value |= static_cast<std::int64_t>(*next & 0x7F) << shift;
    more = (*next & 0x80) != 0;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Bytes read from a file. Growing the buffer leaves the new bytes as they
// are, not zeroed first, since a read writes them at once: a table of tens
// of kilobytes is then written once, not twice.
template <typename T> class UninitializedAllocator : public std::allocator<T> {
public:
  template <typename U> struct rebind { using other = UninitializedAllocator<U>; };
  UninitializedAllocator() = default;
  template <typename U> UninitializedAllocator(const UninitializedAllocator<U> &) noexcept {}
  template <typename U> void construct(U *at) noexcept { ::new (static_cast<void *>(at)) U; }
  template <typename U, typename... Args> void construct(U *at, Args &&...args) {
    ::new (static_cast<void *>(at)) U(std::forward<Args>(args)...);
  }
};

using ByteBuffer = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

#pragma once

#include <cstdint>
#include <functional>

// Told how many bytes are copied so far, every few megabytes.
using CopyProgress = std::function<void(std::uint64_t copied)>;

// Copies `expectedSize` bytes from `from`, read from its current offset, to
// `to`. Returns 0 when every one of them was copied, or the errno of the
// failed read or write (EIO when the source ended before).
int copyContents(int from, int to, std::uint64_t expectedSize, const CopyProgress &onChunk = {});

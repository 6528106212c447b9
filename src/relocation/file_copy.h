#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class CopyOutcome {
  Copied,
  SourceUnreadable,      // missing, not a plain file, or not readable
  DestinationUnwritable, // no file can be created in the destination's folder
  Failed,                // a read, write, flush or close failed part-way
};

// Copies the plain file `source` to `destination`, replacing any file there
// only once every byte is written and flushed. On any outcome but Copied the
// destination is as it was and nothing new stands beside it. Memory use does
// not depend on the file's size. `stillCopying` is called every few megabytes
// of a large file, so that the window can show that the move goes on.
CopyOutcome copyFile(const std::string &source, const std::string &destination,
                     const std::function<void()> &stillCopying = {});

// Told how many bytes are copied so far, every few megabytes.
using CopyProgress = std::function<void(std::uint64_t copied)>;

// Copies everything from `from`, read from its current offset to its end, to
// `to`. False when a read or a write fails.
bool copyContents(int from, int to, const CopyProgress &onChunk = {});

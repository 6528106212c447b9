#pragma once

#include "posix/file_descriptor.h"

#include <cstdint>
#include <functional>
#include <string>

class ReplacementFile;

// Told how many bytes are copied so far, every few megabytes.
using CopyProgress = std::function<void(std::uint64_t copied)>;

// Copies `expectedSize` bytes from `from`, read from its current offset, to
// `to`. Returns 0 when every one of them was copied, or the errno of the
// failed read or write (EIO when the source ended before).
int copyContents(int from, int to, std::uint64_t expectedSize, const CopyProgress &onChunk = {});

// A cached file opened for a copy: a plain file, not followed through a link,
// and its size as the open file gives it.
struct OpenedSource {
  FileDescriptor file;
  std::uint64_t size = 0;
  int error = 0; // why it could not be opened, when `file` is not valid
};
OpenedSource openPlainFile(const std::string &path);

// Copies the plain file `source` into `output`, whole and verified, and
// finishes it for its volume's flush; the caller commits it.
int copyInto(const OpenedSource &source, ReplacementFile &output, const CopyProgress &onChunk = {});

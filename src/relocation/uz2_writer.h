#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The compressed form in which a redirect server hands packages to the
// game's clients, as the game's own "ucc compress" writes it: no header, then
// chunks to the end of the file, each
//   compressed size    32-bit little-endian, at most kUz2MostCompressed
//   uncompressed size  32-bit little-endian, at most kUz2ChunkSize
//   the bytes zlib's compress() makes of that many input bytes.
// Every chunk but the last holds kUz2ChunkSize input bytes.
constexpr std::size_t kUz2ChunkSize = 32768;
// zlib's compressBound() of one chunk: incompressible input grows a little.
constexpr std::size_t kUz2MostCompressed = 33096;
constexpr std::size_t kUz2HeaderSize = 8;

struct Uz2Settings {
  // Chunks are compressed on this many threads at once, and written in
  // order; 0 takes one per core.
  unsigned threads = 0;
  // Told how many input bytes are written so far, now and then.
  std::function<void(std::uint64_t done)> progress;
  // Asked between batches of chunks: true stops the writing (ECANCELED).
  std::function<bool()> cancelled;
};

// Writes `size` bytes read from `from` (from its current offset) to `to` as
// the chunks above. Memory stays within a few chunks per thread whatever the
// size. Returns 0, or the errno of the failed read or write (EIO when the
// source ended early; ECANCELED when stopped).
int writeUz2(int from, std::uint64_t size, int to, const Uz2Settings &settings = {});

// Reads the chunks of `uz2` from its start and checks that they hold exactly
// the `size` bytes of `source` from its start: every header within bounds,
// every chunk inflating to its stated size, nothing after the last. Returns
// 0, or EIO for a mismatch or a bad chunk, or the errno of a failed read.
int checkUz2(int uz2, int source, std::uint64_t size);

// The threads writeUz2() uses for `threads` (0 for one per core).
unsigned uz2Threads(unsigned threads);

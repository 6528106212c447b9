#include "relocation/uz2_writer.h"

#include "posix/io.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cerrno>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

// zlib's compressBound() of a whole chunk, as zlib 1.2.12 and later work it
// out: any chunk compress() makes fits the format's bound.
static_assert(kUz2MostCompressed >= kUz2ChunkSize + (kUz2ChunkSize >> 12) + (kUz2ChunkSize >> 14) + 13,
              "the format's bound holds any chunk zlib compresses");

void putLittleEndian(unsigned char *to, std::uint32_t value) {
  for (int byte = 0; byte < 4; ++byte)
    to[byte] = static_cast<unsigned char>(value >> (8 * byte));
}

std::uint32_t getLittleEndian(const unsigned char *from) {
  std::uint32_t value = 0;
  for (int byte = 3; byte >= 0; --byte)
    value = (value << 8) | from[byte];
  return value;
}

// One chunk's input, and its header and compressed bytes once made.
struct Chunk {
  std::vector<unsigned char> input = std::vector<unsigned char>(kUz2ChunkSize);
  std::vector<unsigned char> output = std::vector<unsigned char>(kUz2HeaderSize + kUz2MostCompressed);
  std::size_t inputSize = 0;
  std::size_t outputSize = 0;
  bool failed = false;

  void compressIt() {
    uLongf compressed = kUz2MostCompressed;
    failed = compress(output.data() + kUz2HeaderSize, &compressed, input.data(), inputSize) != Z_OK;
    putLittleEndian(output.data(), static_cast<std::uint32_t>(compressed));
    putLittleEndian(output.data() + 4, static_cast<std::uint32_t>(inputSize));
    outputSize = kUz2HeaderSize + compressed;
  }
};

// Compresses a batch of chunks on every thread at once: the caller and
// `threads - 1` workers take chunks by turn until none is left, and meet at
// a barrier before and after each batch.
class ChunkCompressor {
public:
  ChunkCompressor(std::vector<Chunk> &chunks, unsigned threads) : chunks_(chunks), gate_(threads) {
    for (unsigned worker = 1; worker < threads; ++worker)
      workers_.emplace_back([this] {
        for (;;) {
          gate_.arrive_and_wait();
          if (stopping_)
            return;
          compressShare();
          gate_.arrive_and_wait();
        }
      });
  }
  ChunkCompressor(const ChunkCompressor &) = delete;
  ChunkCompressor &operator=(const ChunkCompressor &) = delete;
  ~ChunkCompressor() {
    stopping_ = true;
    gate_.arrive_and_wait();
  }

  void compress(std::size_t count) {
    count_ = count;
    next_ = 0;
    gate_.arrive_and_wait();
    compressShare();
    gate_.arrive_and_wait();
  }

private:
  void compressShare() {
    for (std::size_t index = next_++; index < count_; index = next_++)
      chunks_[index].compressIt();
  }

  std::vector<Chunk> &chunks_;
  std::barrier<> gate_;
  std::atomic<std::size_t> next_ = 0;
  std::size_t count_ = 0;
  bool stopping_ = false;
  std::vector<std::jthread> workers_; // last: joined before the rest goes
};

} // namespace

unsigned uz2Threads(unsigned threads) {
  if (threads > 0)
    return threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

int writeUz2(int from, std::uint64_t size, int to, const Uz2Settings &settings) {
  const unsigned threads = uz2Threads(settings.threads);
  // A few chunks per thread keep every core busy without holding more.
  std::vector<Chunk> chunks(threads * 4);
  ChunkCompressor compressor(chunks, threads);
  std::uint64_t done = 0;
  while (done < size) {
    if (settings.cancelled && settings.cancelled())
      return ECANCELED;
    std::size_t count = 0;
    for (; count < chunks.size() && done < size; ++count) {
      Chunk &chunk = chunks[count];
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kUz2ChunkSize, size - done));
      const ssize_t got = readFull(from, chunk.input.data(), want);
      if (got < 0)
        return errno;
      if (static_cast<std::size_t>(got) != want)
        return EIO;
      chunk.inputSize = want;
      done += want;
    }
    compressor.compress(count);
    for (std::size_t index = 0; index < count; ++index) {
      if (chunks[index].failed)
        return EIO;
      if (!writeAll(to, chunks[index].output.data(), chunks[index].outputSize))
        return errno;
    }
    if (settings.progress)
      settings.progress(done);
  }
  return 0;
}

int checkUz2(int uz2, int source, std::uint64_t size) {
  if (::lseek(uz2, 0, SEEK_SET) < 0 || ::lseek(source, 0, SEEK_SET) < 0)
    return errno;
  std::vector<unsigned char> compressed(kUz2MostCompressed);
  std::vector<unsigned char> inflated(kUz2ChunkSize);
  std::vector<unsigned char> original(kUz2ChunkSize);
  std::uint64_t checked = 0;
  for (;;) {
    unsigned char header[kUz2HeaderSize];
    const ssize_t got = readFull(uz2, header, sizeof header);
    if (got < 0)
      return errno;
    if (got == 0)
      return checked == size ? 0 : EIO;
    if (got != static_cast<ssize_t>(sizeof header))
      return EIO;
    const std::uint32_t packed = getLittleEndian(header);
    const std::uint32_t unpacked = getLittleEndian(header + 4);
    // Only the last chunk may hold less than a whole chunk.
    const bool wholeOrLast = unpacked == kUz2ChunkSize || checked + unpacked == size;
    if (packed > kUz2MostCompressed || unpacked > kUz2ChunkSize || !wholeOrLast || checked + unpacked > size)
      return EIO;
    const ssize_t body = readFull(uz2, compressed.data(), packed);
    if (body < 0)
      return errno;
    uLongf length = unpacked;
    if (static_cast<std::uint32_t>(body) != packed ||
        uncompress(inflated.data(), &length, compressed.data(), packed) != Z_OK || length != unpacked)
      return EIO;
    const ssize_t read = readFull(source, original.data(), unpacked);
    if (read < 0)
      return errno;
    if (static_cast<std::uint32_t>(read) != unpacked || std::memcmp(original.data(), inflated.data(), unpacked) != 0)
      return EIO;
    checked += unpacked;
  }
}

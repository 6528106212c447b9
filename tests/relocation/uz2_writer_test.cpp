#include "relocation/uz2_writer.h"

#include "posix/file_descriptor.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

// An independent reader of the format: the chunk headers parsed by hand and
// each chunk given to zlib's uncompress().
struct ReadBack {
  std::string bytes;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> chunks; // compressed, uncompressed
  bool wellFormed = true;
};

std::uint32_t littleEndian(const std::string &file, std::size_t at) {
  std::uint32_t value = 0;
  for (int byte = 3; byte >= 0; --byte)
    value = (value << 8) | static_cast<unsigned char>(file[at + static_cast<std::size_t>(byte)]);
  return value;
}

ReadBack readUz2(const std::string &file) {
  ReadBack back;
  std::size_t at = 0;
  while (at < file.size()) {
    if (file.size() - at < 8)
      return {{}, {}, false};
    const std::uint32_t packed = littleEndian(file, at);
    const std::uint32_t unpacked = littleEndian(file, at + 4);
    at += 8;
    if (file.size() - at < packed)
      return {{}, {}, false};
    std::string chunk(unpacked, '\0');
    uLongf length = unpacked;
    if (uncompress(reinterpret_cast<Bytef *>(chunk.data()), &length, reinterpret_cast<const Bytef *>(file.data() + at),
                   packed) != Z_OK ||
        length != unpacked)
      return {{}, {}, false};
    back.bytes += chunk;
    back.chunks.emplace_back(packed, unpacked);
    at += packed;
  }
  return back;
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char &byte : bytes)
    byte = static_cast<char>(generator());
  return bytes;
}

std::string textLike(std::size_t size) {
  std::string bytes;
  for (std::size_t line = 0; bytes.size() < size; ++line)
    bytes += "Package line " + std::to_string(line * 7919 % 1000) + " of a map\n";
  bytes.resize(size);
  return bytes;
}

int writeAsUz2(const std::string &from, const std::string &to, unsigned threads) {
  const FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  const FileDescriptor target(::open(to.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  const off_t size = ::lseek(source.get(), 0, SEEK_END);
  ::lseek(source.get(), 0, SEEK_SET);
  Uz2Settings settings;
  settings.threads = threads;
  const int error = writeUz2(source.get(), static_cast<std::uint64_t>(size), target.get(), settings);
  if (error != 0)
    return error;
  return checkUz2(target.get(), source.get(), static_cast<std::uint64_t>(size));
}

TEST(Uz2Writer, WritesChunksThatZlibReadsBack) {
  const TemporaryFolder folder;
  struct SizeCase {
    const char *label;
    std::string bytes;
    std::size_t chunks;
  };
  const SizeCase cases[] = {
      {"empty: no chunk at all", "", 0},
      {"one byte", "x", 1},
      {"exactly one chunk", textLike(32768), 1},
      {"one byte more", textLike(32769), 2},
      {"incompressible", randomBytes(5 * 32768 + 17, 7), 6},
      {"100 MiB", textLike(100u << 20), (100u << 20) / 32768},
  };
  for (const SizeCase &size : cases) {
    writeFile(folder / "package", size.bytes);
    // Any number of threads writes the same bytes; the largest file is
    // written once, on every core.
    const std::vector<unsigned> threadCounts = size.bytes.size() > (1u << 20) ? std::vector{0u} : std::vector{1u, 3u};
    for (const unsigned threads : threadCounts) {
      ASSERT_EQ(writeAsUz2(folder / "package", folder / "package.uz2", threads), 0) << size.label;
      const std::string written = readFile(folder / "package.uz2");
      const ReadBack back = readUz2(written);
      ASSERT_TRUE(back.wellFormed) << size.label;
      EXPECT_TRUE(back.bytes == size.bytes) << size.label << " on " << threads << " threads";
      ASSERT_EQ(back.chunks.size(), size.chunks) << size.label;
      for (std::size_t chunk = 0; chunk < back.chunks.size(); ++chunk) {
        EXPECT_LE(back.chunks[chunk].first, kUz2MostCompressed);
        if (chunk + 1 < back.chunks.size()) {
          EXPECT_EQ(back.chunks[chunk].second, kUz2ChunkSize) << "all but the last are whole";
        }
      }
      if (std::string(size.label) == "incompressible") {
        EXPECT_GT(back.chunks[0].first, back.chunks[0].second) << "a chunk may outgrow its input";
      }
    }
  }
}

TEST(Uz2Writer, TheCheckFindsEveryKindOfDamage) {
  const TemporaryFolder folder;
  const std::string source = textLike(3 * 32768 + 100);
  writeFile(folder / "package", source);
  ASSERT_EQ(writeAsUz2(folder / "package", folder / "good.uz2", 2), 0);
  const std::string good = readFile(folder / "good.uz2");
  std::string flipped = good;
  flipped[20] = static_cast<char>(flipped[20] ^ 0x40);
  std::string oversized = good;
  oversized[0] = '\xFF';
  oversized[1] = '\xFF';
  struct DamageCase {
    const char *label;
    std::string file;
  };
  const DamageCase cases[] = {
      {"a flipped bit", flipped},
      {"cut short in a chunk", good.substr(0, good.size() - 3)},
      {"a chunk missing", good.substr(0, good.size() - 60)},
      {"bytes after the last chunk", good + "x"},
      {"a size beyond the bound", oversized},
      {"empty", ""},
  };
  const FileDescriptor original(::open((folder / "package").c_str(), O_RDONLY | O_CLOEXEC));
  for (const DamageCase &damage : cases) {
    writeFile(folder / "bad.uz2", damage.file);
    const FileDescriptor bad(::open((folder / "bad.uz2").c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(checkUz2(bad.get(), original.get(), source.size()), EIO) << damage.label;
  }
}

TEST(Uz2Writer, StopsOnAFullDiskACancelAndAShortSource) {
  const TemporaryFolder folder;
  writeFile(folder / "package", textLike(1u << 20));
  const FileDescriptor source(::open((folder / "package").c_str(), O_RDONLY | O_CLOEXEC));
  const FileDescriptor full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
  ASSERT_TRUE(full.valid());
  EXPECT_EQ(writeUz2(source.get(), 1u << 20, full.get()), ENOSPC);

  ::lseek(source.get(), 0, SEEK_SET);
  const FileDescriptor target(::open((folder / "out.uz2").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  int asked = 0;
  Uz2Settings settings;
  settings.threads = 2;
  settings.cancelled = [&asked] { return ++asked > 2; };
  EXPECT_EQ(writeUz2(source.get(), 1u << 20, target.get(), settings), ECANCELED);
  EXPECT_LT(readFile(folder / "out.uz2").size(), (1u << 20) / 4) << "stopped early";

  ::lseek(source.get(), 0, SEEK_SET);
  EXPECT_EQ(writeUz2(source.get(), (1u << 20) + 1, target.get()), EIO) << "the source ended before its size";
}

} // namespace

#include "samples.h"

#include <filesystem>
#include <zlib.h>

std::optional<std::string> sampleBytes(const std::string &gzippedName) {
  const std::string path = std::string(SHARED_SAMPLES) + "/" + gzippedName;
  if (!std::filesystem::exists(path))
    return std::nullopt;
  gzFile in = gzopen(path.c_str(), "rb");
  if (!in)
    return std::nullopt;
  std::string bytes;
  char block[1 << 16];
  int got = 0;
  while ((got = gzread(in, block, sizeof block)) > 0)
    bytes.append(block, static_cast<std::size_t>(got));
  const bool whole = got == 0;
  gzclose(in);
  if (!whole)
    return std::nullopt;
  return bytes;
}

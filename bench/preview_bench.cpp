// Decoding a map's preview: a DXT1 mip of 1,024 pixels a side, against
// copying as many bytes as the picture takes into a new buffer.
#include "package/texture_picture.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

constexpr std::uint32_t kSide = 1024;

// Blocks of any colours and codes, as a real screenshot's are.
const std::string &dxt1Mip() {
  static const std::string mip = [] {
    std::mt19937 random(2004);
    std::string bytes(std::size_t{kSide / 4} * (kSide / 4) * 8, '\0');
    for (char &byte : bytes)
      byte = static_cast<char>(random() & 0xFF);
    return bytes;
  }();
  return mip;
}

void BM_DecodeDxt1(benchmark::State &state) {
  const std::string &mip = dxt1Mip();
  for (auto _ : state) {
    const PictureDecode decode = decodePicture(static_cast<std::uint8_t>(TextureFormat::dxt1), kSide, kSide, mip);
    if (!decode.picture)
      state.SkipWithError(decode.problem.c_str());
    benchmark::DoNotOptimize(decode.picture->rgba.data());
  }
}
BENCHMARK(BM_DecodeDxt1)->Arg(kSide)->Repetitions(5)->Unit(benchmark::kMillisecond);

void BM_DecodeDxt1Baseline(benchmark::State &state) {
  const std::vector<std::uint8_t> source(std::size_t{kSide} * kSide * 4, 7);
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(source.size());
    std::memcpy(copy.data(), source.data(), source.size());
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_DecodeDxt1Baseline)->Arg(kSide)->Repetitions(5)->Unit(benchmark::kMillisecond);

} // namespace

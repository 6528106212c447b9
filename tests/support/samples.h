#pragma once

#include <optional>
#include <string>

// The real files beside the project (shared/samples), unpacked: what no one
// on this project made. Nothing when they are not there, and the test then
// says it skipped.
std::optional<std::string> sampleBytes(const std::string &gzippedName);

// The real map in the samples and the cache name the game gives it.
inline constexpr const char *kSampleMap = "UWRM-Torpedo.ut2.gz";
inline constexpr const char *kSampleMapCacheName = "CB9550544AF3AE166AB7558EBBA5CB46";

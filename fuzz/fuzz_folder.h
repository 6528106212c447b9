#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// A private folder for a fuzzer's input file, on a memory file system where
// there is one so that writing and flushing stay cheap, removed at the end
// of the run.
class FuzzFolder {
public:
  FuzzFolder() {
    const char *base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/cache-sorter-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
      std::abort();
    path_ = pattern;
  }
  FuzzFolder(const FuzzFolder &) = delete;
  FuzzFolder &operator=(const FuzzFolder &) = delete;
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  // Writes the input as the file `name`, and gives its path.
  std::string write(const std::string &name, const std::uint8_t *data, std::size_t size) const {
    const std::string path = file(name);
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0)
      std::abort();
    return path;
  }

private:
  std::string path_;
};

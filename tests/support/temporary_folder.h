#pragma once

#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TemporaryFolder {
public:
  TemporaryFolder();
  TemporaryFolder(const TemporaryFolder &) = delete;
  TemporaryFolder &operator=(const TemporaryFolder &) = delete;
  ~TemporaryFolder();

  const std::string &path() const { return path_; }
  std::string operator/(std::string_view relative) const { return path_ + "/" + std::string(relative); }

private:
  std::string path_;
};

// Small helpers on real files; each fails the running test on error.
void writeFile(const std::string &path, std::string_view bytes);
std::string readFile(const std::string &path);
bool exists(const std::string &path);
void makeFolders(const std::string &path);
unsigned permissionBits(const std::string &path);

#include "written_package.h"

#include <fcntl.h>

namespace {

std::string writtenAt(const TemporaryFolder &folder, const std::string &bytes) {
  const std::string path = folder / "P.ut2";
  writeFile(path, bytes);
  return path;
}

} // namespace

WrittenPackage::WrittenPackage(const std::string &bytes)
    : read_(readPackage(writtenAt(folder_, bytes), withExports())),
      file_(::open((folder_ / "P.ut2").c_str(), O_RDONLY | O_CLOEXEC)), size_(bytes.size()) {}

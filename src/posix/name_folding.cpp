#include "posix/name_folding.h"

#include "posix/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace {

char swapAsciiCase(char c) {
  if (c >= 'A' && c <= 'Z')
    return static_cast<char>(c - 'A' + 'a');
  if (c >= 'a' && c <= 'z')
    return static_cast<char>(c - 'a' + 'A');
  return c;
}

// Looks the folder up in its parent under its name with every letter's case
// swapped: on a volume that folds case that finds the folder itself.
bool parentFoldsCase(const std::string &path) {
  std::string swapped = path;
  const std::size_t slash = swapped.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  bool anyLetter = false;
  for (std::size_t index = nameStart; index < swapped.size(); ++index) {
    const char swappedLetter = swapAsciiCase(swapped[index]);
    anyLetter = anyLetter || swappedLetter != swapped[index];
    swapped[index] = swappedLetter;
  }
  struct stat original {};
  struct stat other {};
  return anyLetter && ::stat(path.c_str(), &original) == 0 && ::stat(swapped.c_str(), &other) == 0 &&
         original.st_dev == other.st_dev && original.st_ino == other.st_ino;
}

} // namespace

bool folderFoldsCase([[maybe_unused]] int folder, const std::string &path) {
#ifdef __APPLE__
  const long sensitive = ::fpathconf(folder, _PC_CASE_SENSITIVE);
  if (sensitive >= 0)
    return sensitive == 0;
#endif
#if defined(__linux__) && defined(FS_CASEFOLD_FL)
  int flags = 0;
  if (::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0)
    return true;
#endif
  return parentFoldsCase(path);
}

bool folderAtFoldsCase(const std::string &path) {
  const FileDescriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder.valid() && folderFoldsCase(folder.get(), path);
}

std::string foldAsciiCase(std::string_view name) {
  std::string folded(name);
  for (char &c : folded)
    c = foldAsciiCapital(c);
  return folded;
}

#include "posix/beneath.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

#ifdef __linux__
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Whether the kernel resolves beneath a folder itself; tried once.
#ifdef SYS_openat2
std::atomic<bool> kernelResolvesBeneath{true};

FileDescriptor openat2Beneath(int base, const std::string &relative) {
  open_how how{};
  how.flags = kFolderFlags;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  for (;;) {
    const long fd = ::syscall(SYS_openat2, base, relative.c_str(), &how, sizeof how);
    if (fd >= 0)
      return FileDescriptor(static_cast<int>(fd));
    if (errno == EAGAIN || errno == EINTR)
      continue;
    if (errno == ENOSYS || errno == EPERM)
      kernelResolvesBeneath = false;
    return FileDescriptor();
  }
}
#endif

// ELOOP when `name` in `folder` is a link, else the errno as it stands.
int whyNotOpened(int folder, const std::string &name) {
  const int error = errno;
  struct stat info {};
  if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
    return ELOOP;
  return error;
}

} // namespace

FileDescriptor openFolderBeneathByComponents(int base, const std::string &relative) {
  FileDescriptor current(::openat(base, ".", kFolderFlags));
  std::size_t start = 0;
  while (current.valid() && start < relative.size()) {
    const std::size_t slash = relative.find('/', start);
    const std::string component = relative.substr(start, slash == std::string::npos ? slash : slash - start);
    start = slash == std::string::npos ? relative.size() : slash + 1;
    FileDescriptor next(::openat(current.get(), component.c_str(), kFolderFlags | O_NOFOLLOW));
    if (!next.valid()) {
      errno = whyNotOpened(current.get(), component);
      return next;
    }
    current = std::move(next);
  }
  return current;
}

std::optional<RelativeName> splitRelativeName(std::string_view name) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t slash = name.find('/', start);
    const std::string_view component = name.substr(start, slash == std::string_view::npos ? slash : slash - start);
    if (component == "..")
      return std::nullopt;
    if (!component.empty() && component != ".")
      components.push_back(component);
    if (slash == std::string_view::npos)
      break;
    start = slash + 1;
  }
  if (components.empty())
    return std::nullopt;
  RelativeName relative;
  relative.leaf = components.back();
  components.pop_back();
  for (const std::string_view component : components) {
    if (!relative.folder.empty())
      relative.folder += '/';
    relative.folder += component;
  }
  return relative;
}

FileDescriptor openFolder(const std::string &path) { return FileDescriptor(::open(path.c_str(), kFolderFlags)); }

FileDescriptor openFolderBeneath(int base, const std::string &relative) {
  if (relative.empty())
    return FileDescriptor(::openat(base, ".", kFolderFlags));
#ifdef SYS_openat2
  if (kernelResolvesBeneath) {
    FileDescriptor folder = openat2Beneath(base, relative);
    if (folder.valid() || kernelResolvesBeneath)
      return folder;
  }
#endif
  return openFolderBeneathByComponents(base, relative);
}

FileDescriptor openLeaf(int folder, const std::string &leaf, int flags) {
  FileDescriptor file(::openat(folder, leaf.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file.valid())
    errno = whyNotOpened(folder, leaf);
  return file;
}

std::optional<struct stat> statLeaf(int folder, const std::string &leaf) {
  struct stat info {};
  if (::fstatat(folder, leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return std::nullopt;
  return info;
}

const char *notAPlainFileReason(mode_t mode) {
  if (S_ISLNK(mode))
    return "it is a link";
  if (S_ISDIR(mode))
    return "it is a folder";
  return "it is not a regular file";
}

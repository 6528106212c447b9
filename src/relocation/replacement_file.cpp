#include "relocation/replacement_file.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string folderOf(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t newFileMode() {
  // umask() can only be read by setting it; the program has one thread.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

} // namespace

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  std::string pattern = folderOf(target_) + "/.cache-sorter-XXXXXX";
  FileDescriptor created(::mkostemp(pattern.data(), O_CLOEXEC));
  if (!created.valid())
    return;
  temporaryPath_ = std::move(pattern);
  file_ = std::move(created);
}

ReplacementFile::~ReplacementFile() {
  if (!temporaryPath_.empty())
    ::unlink(temporaryPath_.c_str());
}

bool ReplacementFile::commit() {
  if (!file_.valid())
    return false;
  struct stat existing {};
  const bool replaces = ::stat(target_.c_str(), &existing) == 0;
  const mode_t mode = replaces ? (existing.st_mode & 07777) : newFileMode();
  if (replaces && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
    // Keeps the replaced file's owner where the process may set it.
    [[maybe_unused]] const int ignored = ::fchown(file_.get(), existing.st_uid, existing.st_gid);
  }
  if (::fchmod(file_.get(), mode) != 0 || ::fsync(file_.get()) != 0 || !file_.close())
    return false;
  if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0)
    return false;
  temporaryPath_.clear();
  return true;
}

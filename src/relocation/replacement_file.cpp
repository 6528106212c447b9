#include "relocation/replacement_file.h"

#include "posix/flush.h"
#include "posix/paths.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kTemporaryPrefix = ".cache-sorter-";
constexpr std::size_t kTemporarySuffixLength = 6;

mode_t newFileMode() {
  // umask() can only be read by setting it; the program has one thread.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

} // namespace

bool isTemporaryFileName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength)
    return false;
  const std::string_view suffix = name.substr(kTemporaryPrefix.size());
  return std::all_of(suffix.begin(), suffix.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  std::string pattern = folderOf(target_) + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
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

bool ReplacementFile::finish(Flush flush) {
  if (!file_.valid())
    return false;
  struct stat existing {};
  const bool replaces = ::stat(target_.c_str(), &existing) == 0;
  const mode_t mode = replaces ? (existing.st_mode & 07777) : newFileMode();
  if (replaces && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
    // Keeps the replaced file's owner where the process may set it.
    [[maybe_unused]] const int ignored = ::fchown(file_.get(), existing.st_uid, existing.st_gid);
  }
  if (::fchmod(file_.get(), mode) != 0)
    return false;
  const bool flushed = flush == Flush::Now ? flushFile(file_.get()) : handToVolumeFlush(file_.get());
  finished_ = flushed && file_.close();
  return finished_;
}

bool ReplacementFile::commit() {
  if (!finished_ || temporaryPath_.empty())
    return false;
  if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0)
    return false;
  temporaryPath_.clear();
  return true;
}

#include "relocation/replacement_file.h"

#include "posix/beneath.h"

#include "posix/flush.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

constexpr std::string_view kTemporaryPrefix = ".cache-sorter-";
constexpr std::size_t kTemporarySuffixLength = 6;
constexpr std::string_view kSuffixLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;

bool isSuffixLetter(char c) { return kSuffixLetters.find(c) != std::string_view::npos; }

std::string randomName() {
  static std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(::getpid()));
  std::string name(kTemporaryPrefix);
  for (std::size_t letter = 0; letter < kTemporarySuffixLength; ++letter)
    name += kSuffixLetters[random() % kSuffixLetters.size()];
  return name;
}

} // namespace

bool isTemporaryFileName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength)
    return false;
  const std::string_view suffix = name.substr(kTemporaryPrefix.size());
  return std::all_of(suffix.begin(), suffix.end(), isSuffixLetter);
}

std::string newTemporaryName(int folder) {
  std::string name = randomName();
  struct stat info {};
  for (int attempt = 1; attempt < kNameAttempts && ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
       ++attempt)
    name = randomName();
  return name;
}

std::string newTemporaryName() { return randomName(); }

bool removeTemporaryFile(int folder, const std::string &name) {
  if (!isTemporaryFileName(name))
    return true;
  const std::optional<struct stat> found = statLeaf(folder, name);
  if (!found)
    return errno == ENOENT;
  if (!S_ISREG(found->st_mode))
    return true;
  return ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
}

int renameWithoutReplacing(int fromFolder, const std::string &from, int toFolder, const std::string &to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  return ::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
#elif defined(__APPLE__) && defined(RENAME_EXCL)
  return ::renameatx_np(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_EXCL) == 0 ? 0 : errno;
#else
  return ENOSYS;
#endif
}

ReplacementFile::ReplacementFile(int folder, std::string leaf, std::string temporaryName)
    : folder_(folder), leaf_(std::move(leaf)) {
  struct stat existing {};
  if (::fstatat(folder, leaf_.c_str(), &existing, 0) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      error_ = EISDIR;
      return;
    }
    replaced_ = existing;
  }
  // Created as any new file is, so that the umask gives a new file its bits.
  FileDescriptor created(::openat(folder, temporaryName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!created.valid()) {
    error_ = errno;
    return;
  }
  temporaryName_ = std::move(temporaryName);
  file_ = std::move(created);
}

ReplacementFile::~ReplacementFile() {
  if (!temporaryName_.empty())
    ::unlinkat(folder_, temporaryName_.c_str(), 0);
}

bool ReplacementFile::finish(Flush flush) {
  if (!file_.valid())
    return false;
  if (replaced_) {
    if (replaced_->st_uid != ::geteuid() || replaced_->st_gid != ::getegid()) {
      // Keeps the replaced file's owner where the process may set it.
      [[maybe_unused]] const int ignored = ::fchown(file_.get(), replaced_->st_uid, replaced_->st_gid);
    }
    if (::fchmod(file_.get(), replaced_->st_mode & 07777) != 0)
      return false;
  }
  const bool flushed = flush == Flush::Now ? flushFile(file_.get()) : handToVolumeFlush(file_.get());
  finished_ = flushed && file_.close();
  return finished_;
}

bool ReplacementFile::commit(bool onlyIfAbsent) {
  if (!finished_ || temporaryName_.empty()) {
    errno = EINVAL;
    return false;
  }
  if (onlyIfAbsent) {
    const int error = renameWithoutReplacing(folder_, temporaryName_, folder_, leaf_);
    if (error != 0 && error != EINVAL && error != ENOSYS) {
      errno = error;
      return false;
    }
    if (error == 0) {
      temporaryName_.clear();
      return true;
    }
  }
  if (::renameat(folder_, temporaryName_.c_str(), folder_, leaf_.c_str()) != 0)
    return false;
  temporaryName_.clear();
  return true;
}

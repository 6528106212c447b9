#include "relocation/replacement_file.h"

#include "posix/flush.h"
#include "posix/paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

constexpr std::string_view kTemporaryPrefix = ".cache-sorter-";
constexpr std::size_t kTemporarySuffixLength = 6;
constexpr std::string_view kSuffixLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;

bool isSuffixLetter(char c) { return kSuffixLetters.find(c) != std::string_view::npos; }

std::string randomSuffix() {
  static std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(::getpid()));
  std::string suffix(kTemporarySuffixLength, 'X');
  for (char &letter : suffix)
    letter = kSuffixLetters[random() % kSuffixLetters.size()];
  return suffix;
}

} // namespace

bool isTemporaryFileName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength)
    return false;
  const std::string_view suffix = name.substr(kTemporaryPrefix.size());
  return std::all_of(suffix.begin(), suffix.end(), isSuffixLetter);
}

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      error_ = EISDIR;
      return;
    }
    replaced_ = existing;
  }
  const std::string stem = folderOf(target_) + "/" + std::string(kTemporaryPrefix);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string path = stem + randomSuffix();
    // Created as any new file is, so that the umask gives a new file its bits.
    FileDescriptor created(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (created.valid()) {
      temporaryPath_ = std::move(path);
      file_ = std::move(created);
      return;
    }
    if (errno != EEXIST) {
      error_ = errno;
      return;
    }
  }
  error_ = EEXIST;
}

ReplacementFile::~ReplacementFile() {
  if (!temporaryPath_.empty())
    ::unlink(temporaryPath_.c_str());
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

bool ReplacementFile::commit() {
  if (!finished_ || temporaryPath_.empty())
    return false;
  if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0)
    return false;
  temporaryPath_.clear();
  return true;
}

#include "relocation/copy_journal.h"

#include "posix/beneath.h"
#include "posix/directory_handle.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/small_file.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kJournalPrefix = "copies-";
// A record a copied package; far above the largest real cache.
constexpr std::size_t kJournalCap = 64 << 20;
constexpr std::size_t kMaxJournals = 1000;

std::string journalFolder(const std::string &dataHome) { return dataHome + "/cache-sorter"; }

// Each record is the folder, a NUL, the name and a line feed: no path holds
// a NUL, and a record cut short by a kill ends without its line feed.
std::string recordOf(const std::string &folder, const std::string &name) { return folder + '\0' + name + '\n'; }

// Removes the temporary `name` of the folder at `folder` if it is there:
// false when it may still be.
bool removeLeftover(const std::string &folder, const std::string &name) {
  const FileDescriptor open = openFolder(folder);
  if (!open.valid())
    return errno == ENOENT || errno == ENOTDIR;
  return removeTemporaryFile(open.get(), name);
}

// Settles one ended run's journal; false when it must stay.
bool settleJournal(int folder, const std::string &path, const std::string &leaf) {
  const FileDescriptor journal(::openat(folder, leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!journal.valid() || ::flock(journal.get(), LOCK_EX | LOCK_NB) != 0)
    return false; // a run that still lives, or nothing to read
  const SmallFile text = readSmallFile(path + "/" + leaf, kJournalCap);
  if (text.state != SmallFile::State::Read)
    return false;
  bool settled = true;
  std::string_view rest = text.text;
  for (std::size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
    const std::string_view record = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    const std::size_t nul = record.find('\0');
    if (nul != std::string_view::npos)
      settled = removeLeftover(std::string(record.substr(0, nul)), std::string(record.substr(nul + 1))) && settled;
  }
  // A record cut short named a file not yet made.
  return settled && ::unlinkat(folder, leaf.c_str(), 0) == 0;
}

} // namespace

CopyJournal::CopyJournal(const std::string &dataHome) {
  const std::string folder = journalFolder(dataHome);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  std::string path = folder + "/" + std::string(kJournalPrefix) + "XXXXXX";
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0)
    return;
  file_ = FileDescriptor(fd);
  path_ = std::move(path);
  if (::flock(file_.get(), LOCK_EX) != 0 || !flushFolder(folder)) {
    ::unlink(path_.c_str());
    file_ = FileDescriptor();
  }
}

CopyJournal::~CopyJournal() {
  if (!file_.valid())
    return;
  for (const auto &[folder, name] : recorded_) {
    if (!removeLeftover(folder, name))
      return;
  }
  ::unlink(path_.c_str());
}

bool CopyJournal::record(const std::string &folder, const std::string &name) {
  if (!file_.valid() || broken_)
    return false;
  const std::string text = recordOf(folder, name);
  if (!writeAll(file_.get(), text.data(), text.size()) || !flushFile(file_.get())) {
    broken_ = true;
    return false;
  }
  recorded_.emplace_back(folder, name);
  return true;
}

void removeCopyLeftovers(const std::string &dataHome) {
  const std::string path = journalFolder(dataHome);
  const FileDescriptor folder = openFolder(path);
  const DirectoryHandle listing = folder.valid() ? openDirectory(path) : DirectoryHandle();
  if (!listing)
    return;
  std::vector<std::string> journals;
  std::vector<std::string> scratch;
  while (const dirent *entry = ::readdir(listing.get())) {
    const std::string_view name = entry->d_name;
    if (name.starts_with(kJournalPrefix) && journals.size() < kMaxJournals)
      journals.emplace_back(name);
    else if (isTemporaryFileName(name) && scratch.size() < kMaxJournals)
      scratch.emplace_back(name);
  }
  for (const std::string &journal : journals)
    settleJournal(folder.get(), path, journal);
  // A living run holds its scratch file open, and unlinking the name takes
  // nothing from it.
  for (const std::string &name : scratch)
    removeTemporaryFile(folder.get(), name);
}

FileDescriptor openScratchFile(const std::string &dataHome) {
  const std::string folder = journalFolder(dataHome);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  FileDescriptor file(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (file.valid() || (errno != EOPNOTSUPP && errno != EISDIR))
    return file;
  const std::string pattern = folder + "/" + newTemporaryName();
  file = FileDescriptor(::open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.valid())
    ::unlink(pattern.c_str());
  return file;
}

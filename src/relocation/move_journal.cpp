#include "relocation/move_journal.h"

#include "catalogue/cache_entry.h"
#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Each field ends with a NUL byte, which neither a name from the index nor a
// path can hold.
void appendField(std::string &text, const std::string &field) {
  text += field;
  text += '\0';
}

bool isGone(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

} // namespace

std::string journalPath(const std::string &cacheDirectory) { return cacheDirectory + "/.cache-sorter-journal"; }

bool appendToJournal(const std::string &path, const std::vector<JournalRecord> &records) {
  std::string text;
  for (const JournalRecord &record : records) {
    appendField(text, record.cacheName);
    appendField(text, record.utName);
    appendField(text, record.destination);
  }
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
  return file.valid() && writeAll(file.get(), text.data(), text.size()) && flushFile(file.get()) && file.close() &&
         flushFolder(folderOf(path));
}

std::optional<std::vector<JournalRecord>> readJournal(const std::string &path) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!file.valid())
    return std::nullopt;
  std::string text;
  char block[64 * 1024];
  for (;;) {
    const ssize_t got = readSome(file.get(), block, sizeof block);
    if (got <= 0)
      break;
    text.append(block, static_cast<std::size_t>(got));
  }
  std::vector<JournalRecord> records;
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t end = text.find('\0'); end != std::string::npos; end = text.find('\0', start)) {
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
    if (fields.size() == 3) {
      records.push_back(JournalRecord{std::move(fields[0]), std::move(fields[1]), std::move(fields[2])});
      fields.clear();
    }
  }
  return records;
}

std::vector<JournalRecord> packagesInTheGame(std::vector<JournalRecord> records, const std::string &cacheDirectory) {
  std::erase_if(records, [&](const JournalRecord &record) {
    return !isGone(cachedFilePath(cacheDirectory, record.cacheName)) || !isPlainFile(record.destination);
  });
  return records;
}

#include "relocation/return_journal.h"

#include "catalogue/category.h"
#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/paths.h"
#include "relocation/journal_fields.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>

namespace {

// Records in the journals' form (journal_fields.h). The first line says the
// journal's form.
constexpr std::string_view kHeader = "cache-sorter returns 1";
constexpr std::string_view kIndexTag = "index";
constexpr std::string_view kReturnTag = "return";
// Past any journal of a cache's worth of packages.
constexpr off_t kMostJournalBytes = 256 << 20;

bool holdsBreak(std::string_view field) {
  return field.find('\n') != std::string_view::npos || field.find('\0') != std::string_view::npos;
}

void appendRecord(std::string &text, std::initializer_list<std::string_view> fields) {
  for (const std::string_view field : fields)
    appendField(text, field);
  text += '\n';
}

ReturnJournal parse(std::string_view text) {
  ReturnJournal journal;
  text.remove_prefix(kHeader.size() + 1);
  for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
    const std::vector<std::string_view> fields = splitFields(text.substr(0, end));
    text.remove_prefix(end + 1);
    if (fields.size() == 2 && fields[0] == kIndexTag && isTemporaryFileName(fields[1])) {
      journal.indexTemporary = std::string(fields[1]);
      continue;
    }
    if (fields.size() != 6 || fields[0] != kReturnTag || fields[2].empty() || fields[4].empty())
      continue;
    const Category *category = findCategory(fields[1]);
    if (!category)
      continue;
    journal.records.push_back({static_cast<std::size_t>(category - kCategories.data()), std::string(fields[2]),
                               std::string(fields[3]), std::string(fields[4]), temporaryOrNothing(fields[5])});
  }
  return journal;
}

} // namespace

std::string returnJournalPath(const std::string &cacheDirectory) { return cacheDirectory + "/.cache-sorter-returns"; }

bool writeReturnJournal(const std::string &path, const ReturnJournal &journal) {
  std::string text(kHeader);
  text += '\n';
  appendRecord(text, {kIndexTag, journal.indexTemporary});
  for (const ReturnRecord &record : journal.records) {
    for (const std::string *field : {&record.cacheName, &record.utName, &record.gameFile, &record.temporaryName})
      if (holdsBreak(*field))
        return false;
    appendRecord(text, {kReturnTag, kCategories[record.category].name, record.cacheName, record.utName, record.gameFile,
                        record.temporaryName});
  }
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!file.valid())
    return false;
  if (writeAll(file.get(), text.data(), text.size()) && flushFile(file.get()) && file.close() &&
      flushFolder(folderOf(path)))
    return true;
  // Created here and trusted by nothing yet.
  ::unlink(path.c_str());
  return false;
}

ReturnJournalRead readReturnJournal(const std::string &path) {
  ReturnJournalRead read;
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file.valid()) {
    if (errno != ENOENT)
      read.state = ReturnJournalState::Unusable;
    return read;
  }
  read.state = ReturnJournalState::Unusable;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMostJournalBytes)
    return read;
  const std::optional<std::string> text = readToEnd(file.get());
  if (!text)
    return read;
  const std::string header = std::string(kHeader) + '\n';
  // Cut short before its first line ended, it names nothing, and nothing
  // was done after it.
  if (text->size() < header.size() && header.starts_with(*text)) {
    read.state = ReturnJournalState::Present;
    return read;
  }
  if (!text->starts_with(header))
    return read;
  read.journal = parse(*text);
  read.state = ReturnJournalState::Present;
  return read;
}

#include "relocation/move_journal.h"

#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/paths.h"
#include "relocation/journal_fields.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records in the journals' form (journal_fields.h). The first line says the
// journal's form.
// A record cut short by an interruption is closed by the next append, so
// that it spoils no record after it.
constexpr std::string_view kHeader = "cache-sorter journal 2";
constexpr std::string_view kMoveTag = "move";
constexpr std::string_view kDiscardTag = "discard";
constexpr std::string_view kIndexTag = "index";
constexpr std::string_view kSettledTag = "settled";
constexpr std::string_view kDestinationTag = "into";

void endRecord(std::string &text) { text += '\n'; }

const int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

bool isRegular(int fd, off_t *size = nullptr) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  if (size)
    *size = info.st_size;
  return true;
}

bool append(const std::string &path, std::string records) {
  FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | kOpenFlags, 0600));
  off_t size = 0;
  if (!file.valid() || !isRegular(file.get(), &size))
    return false;
  if (size == 0) {
    records.insert(0, std::string(kHeader) + '\n');
  } else {
    // Never adds to a file in another form.
    std::string start(kHeader.size() + 1, '\0');
    if (::pread(file.get(), start.data(), start.size(), 0) != static_cast<ssize_t>(start.size()) ||
        std::string_view(start).substr(0, kHeader.size()) != kHeader || start.back() != '\n')
      return false;
    char last = '\n';
    if (::pread(file.get(), &last, 1, size - 1) != 1)
      return false;
    if (last != '\n')
      records.insert(0, "\n");
  }
  return writeAll(file.get(), records.data(), records.size()) && flushFile(file.get()) && file.close() &&
         flushFolder(folderOf(path));
}

// The records of a journal an earlier version wrote: the cache name, the
// real name and the destination's full path, with no temporary names.
Journal parseFirstForm(const std::vector<std::string_view> &fields) {
  Journal journal;
  for (std::size_t at = 0; at + 3 <= fields.size(); at += 3) {
    const Category *category = categoryOfLine(fields[at + 1]);
    if (!category)
      continue;
    journal.moves.push_back({PlannedMove{static_cast<std::size_t>(category - kCategories.data()),
                                         std::string(fields[at]),
                                         std::string(fields[at + 1]),
                                         {}},
                             false, false, std::nullopt});
  }
  return journal;
}

// The records after the header line. A line that is cut short or damaged
// is passed over; each line stands alone.
Journal parse(std::string_view text) {
  Journal journal;
  std::set<std::string_view> settled;
  std::optional<std::string> destination;
  std::size_t start = text.find('\n') + 1;
  for (std::size_t end = text.find('\n', start); end != std::string_view::npos; end = text.find('\n', start)) {
    const std::vector<std::string_view> fields = splitFields(text.substr(start, end - start));
    start = end + 1;
    const std::size_t count = fields.size();
    if (count == 5 && (fields[0] == kMoveTag || fields[0] == kDiscardTag)) {
      if (const Category *category = findCategory(fields[1]))
        journal.moves.push_back(
            {PlannedMove{static_cast<std::size_t>(category - kCategories.data()), std::string(fields[2]),
                         std::string(fields[3]), temporaryOrNothing(fields[4])},
             false, fields[0] == kDiscardTag, destination});
    } else if (count == 2 && fields[0] == kDestinationTag && !fields[1].empty()) {
      destination = std::string(fields[1]);
    } else if (count == 2 && fields[0] == kIndexTag) {
      if (std::string name = temporaryOrNothing(fields[1]); !name.empty())
        journal.indexTemporaries.push_back(std::move(name));
    } else if (count == 2 && fields[0] == kSettledTag && isTemporaryFileName(fields[1])) {
      settled.insert(fields[1]);
    }
  }
  for (JournalRecord &record : journal.moves)
    record.settled = settled.contains(record.move.temporaryName);
  return journal;
}

} // namespace

std::string journalPath(const std::string &cacheDirectory) { return cacheDirectory + "/.cache-sorter-journal"; }

namespace {

bool journalRecords(const std::string &path, std::string_view tag, std::span<const PlannedMove> moves) {
  std::string text;
  for (const PlannedMove &move : moves) {
    appendField(text, tag);
    appendField(text, kCategories[move.category].name);
    appendField(text, move.cacheName);
    appendField(text, move.utName);
    appendField(text, move.temporaryName);
    endRecord(text);
  }
  return append(path, std::move(text));
}

} // namespace

bool journalMoves(const std::string &path, std::span<const PlannedMove> moves) {
  return journalRecords(path, kMoveTag, moves);
}

bool journalDestination(const std::string &path, const std::string &folder) {
  if (folder.empty() || folder.find('\n') != std::string::npos || folder.find('\0') != std::string::npos)
    return false;
  std::string text;
  appendField(text, kDestinationTag);
  appendField(text, folder);
  endRecord(text);
  return append(path, std::move(text));
}

bool journalDiscards(const std::string &path, std::span<const PlannedMove> discards) {
  return journalRecords(path, kDiscardTag, discards);
}

bool journalIndexTemporary(const std::string &path, const std::string &temporaryName) {
  std::string text;
  appendField(text, kIndexTag);
  appendField(text, temporaryName);
  endRecord(text);
  return append(path, std::move(text));
}

bool journalSettled(const std::string &path, const std::vector<const PlannedMove *> &moves) {
  std::string text;
  for (const PlannedMove *move : moves) {
    if (move->temporaryName.empty())
      continue;
    appendField(text, kSettledTag);
    appendField(text, move->temporaryName);
    endRecord(text);
  }
  return append(path, std::move(text));
}

JournalRead readJournal(const std::string &path) {
  JournalRead read;
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | kOpenFlags));
  if (!file.valid()) {
    if (errno != ENOENT)
      read.state = JournalRead::State::Unusable;
    return read;
  }
  read.state = JournalRead::State::Unusable;
  if (!isRegular(file.get()))
    return read;
  const std::optional<std::string> bytes = readToEnd(file.get());
  if (!bytes)
    return read;
  const std::string &text = *bytes;
  if (text.starts_with(std::string(kHeader) + '\n'))
    read.journal = parse(text);
  else if (text.find(kHeader) == std::string::npos)
    read.journal = parseFirstForm(splitFields(text));
  else
    return read;
  read.state = JournalRead::State::Present;
  return read;
}

bool removeJournal(const std::string &path) { return ::unlink(path.c_str()) == 0 && flushFolder(folderOf(path)); }

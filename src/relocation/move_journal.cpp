#include "relocation/move_journal.h"

#include "posix/file_descriptor.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/paths.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every field ends with a NUL byte, which neither a name from the index nor
// a path can hold. The first field says the journal's form.
constexpr std::string_view kHeader = "cache-sorter journal 2";
constexpr std::string_view kMoveTag = "move";
constexpr std::string_view kIndexTag = "index";
constexpr std::string_view kSettledTag = "settled";

void appendField(std::string &text, std::string_view field) {
  text += field;
  text += '\0';
}

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
    std::string header;
    appendField(header, kHeader);
    records.insert(0, header);
  } else {
    // Never adds to a file in another form.
    std::string start(kHeader.size() + 1, '\0');
    if (::pread(file.get(), start.data(), start.size(), 0) != static_cast<ssize_t>(start.size()) ||
        std::string_view(start).substr(0, kHeader.size()) != kHeader || start.back() != '\0')
      return false;
  }
  return writeAll(file.get(), records.data(), records.size()) && flushFile(file.get()) && file.close() &&
         flushFolder(folderOf(path));
}

std::vector<std::string_view> splitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t end = text.find('\0'); end != std::string_view::npos; end = text.find('\0', start)) {
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

// A recorded temporary name is only ever one of this program's own.
std::string temporaryOrNothing(std::string_view name) {
  return isTemporaryFileName(name) ? std::string(name) : std::string();
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
                             false});
  }
  return journal;
}

Journal parse(const std::vector<std::string_view> &fields) {
  Journal journal;
  std::size_t at = 1;
  while (at < fields.size()) {
    const std::string_view tag = fields[at];
    if (tag == kMoveTag && at + 5 <= fields.size()) {
      if (const Category *category = findCategory(fields[at + 1]))
        journal.moves.push_back(
            {PlannedMove{static_cast<std::size_t>(category - kCategories.data()), std::string(fields[at + 2]),
                         std::string(fields[at + 3]), temporaryOrNothing(fields[at + 4])},
             false});
      at += 5;
    } else if (tag == kIndexTag && at + 2 <= fields.size()) {
      if (std::string name = temporaryOrNothing(fields[at + 1]); !name.empty())
        journal.indexTemporaries.push_back(std::move(name));
      at += 2;
    } else if (tag == kSettledTag && at + 2 <= fields.size()) {
      std::size_t record = 0;
      const std::string_view number = fields[at + 1];
      const auto parsed = std::from_chars(number.data(), number.data() + number.size(), record);
      if (parsed.ec == std::errc() && record < journal.moves.size())
        journal.moves[record].settled = true;
      at += 2;
    } else {
      break; // cut short, or damaged: what follows cannot be trusted
    }
  }
  return journal;
}

} // namespace

std::string journalPath(const std::string &cacheDirectory) { return cacheDirectory + "/.cache-sorter-journal"; }

bool journalMoves(const std::string &path, std::span<const PlannedMove> moves) {
  std::string text;
  for (const PlannedMove &move : moves) {
    appendField(text, kMoveTag);
    appendField(text, kCategories[move.category].name);
    appendField(text, move.cacheName);
    appendField(text, move.utName);
    appendField(text, move.temporaryName);
  }
  return append(path, std::move(text));
}

bool journalIndexTemporary(const std::string &path, const std::string &temporaryName) {
  std::string text;
  appendField(text, kIndexTag);
  appendField(text, temporaryName);
  return append(path, std::move(text));
}

bool journalSettled(const std::string &path, const std::vector<std::size_t> &records) {
  std::string text;
  for (const std::size_t record : records) {
    appendField(text, kSettledTag);
    appendField(text, std::to_string(record));
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
  std::string text;
  char block[64 * 1024];
  for (;;) {
    const ssize_t got = readSome(file.get(), block, sizeof block);
    if (got < 0)
      return read;
    if (got == 0)
      break;
    text.append(block, static_cast<std::size_t>(got));
  }
  const std::vector<std::string_view> fields = splitFields(text);
  if (!fields.empty() && fields[0] == kHeader)
    read.journal = parse(fields);
  else if (text.find(kHeader) == std::string::npos)
    read.journal = parseFirstForm(fields);
  else
    return read;
  read.state = JournalRead::State::Present;
  return read;
}

bool removeJournal(const std::string &path) { return ::unlink(path.c_str()) == 0 && flushFolder(folderOf(path)); }

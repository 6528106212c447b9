#include "relocation/settings_edit.h"

#include "posix/beneath.h"
#include "posix/blanks.h"
#include "posix/file_descriptor.h"
#include "posix/file_identity.h"
#include "posix/flush.h"
#include "posix/io.h"
#include "posix/name_folding.h"
#include "posix/paths.h"
#include "posix/small_file.h"
#include "relocation/copy_journal.h"
#include "relocation/replacement_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

namespace {

// "Paths" of "Paths=../Maps/*.ut2", folded; empty for a line with no key.
std::string keyOf(std::string_view line) {
  const std::size_t equals = line.find('=');
  return equals == std::string_view::npos ? std::string() : foldAsciiCase(withoutBlanks(line.substr(0, equals)));
}

// The same setting: the same key, case aside, and the same value.
bool sameSetting(std::string_view a, std::string_view b) {
  const std::size_t equalsA = a.find('='), equalsB = b.find('=');
  if (equalsA == std::string_view::npos || equalsB == std::string_view::npos)
    return false;
  return keyOf(a) == keyOf(b) && withoutBlanks(a.substr(equalsA + 1)) == withoutBlanks(b.substr(equalsB + 1));
}

struct Line {
  std::size_t start = 0; // in the text
  std::size_t end = 0;   // past its line end
  std::string_view text; // without the line end
};

std::vector<Line> linesOf(std::string_view text) {
  std::vector<Line> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view line = text.substr(start, (newline == std::string_view::npos ? text.size() : newline) - start);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    lines.push_back(Line{start, end, line});
    start = end;
  }
  return lines;
}

// The [Core.System] section's lines, as positions in `all`: its heading
// and the next heading (or the end); both all.size() when there is none.
struct Section {
  std::size_t heading;
  std::size_t next;
};
Section coreSystemOf(const std::vector<Line> &all) {
  Section section{all.size(), all.size()};
  for (std::size_t index = 0; index < all.size(); ++index) {
    const std::string_view line = withoutBlanks(all[index].text);
    if (!line.starts_with('['))
      continue;
    if (section.heading != all.size()) {
      section.next = index;
      break;
    }
    if (foldAsciiCase(line) == "[core.system]")
      section.heading = index;
  }
  return section;
}

} // namespace

std::string withCoreSystemLines(std::string_view text, const std::vector<std::string> &lines) {
  const std::vector<Line> all = linesOf(text);
  const std::string ending =
      !all.empty() && all.front().end > 0 && text.substr(0, all.front().end).ends_with("\r\n") ? "\r\n" : "\n";
  const auto [first, last] = coreSystemOf(all);
  std::string result(text);
  std::vector<std::string> missing;
  for (const std::string &line : lines) {
    const bool present =
        first != all.size() &&
        std::any_of(all.begin() + static_cast<std::ptrdiff_t>(first), all.begin() + static_cast<std::ptrdiff_t>(last),
                    [&](const Line &have) { return sameSetting(have.text, line); });
    if (!present && std::find(missing.begin(), missing.end(), line) == missing.end())
      missing.push_back(line);
  }
  if (missing.empty())
    return result;
  const bool endsOpen = !text.empty() && text.back() != '\n';
  if (first == all.size()) {
    std::string added = (endsOpen ? ending : "") + "[Core.System]" + ending;
    for (const std::string &line : missing)
      added += line + ending;
    return result + added;
  }
  // After the last line of the same key, else after the section's last
  // line that is not blank.
  std::size_t after = first;
  for (std::size_t index = first + 1; index < last; ++index) {
    if (!withoutBlanks(all[index].text).empty())
      after = index;
  }
  for (std::size_t index = first + 1; index < last; ++index) {
    if (keyOf(all[index].text) == keyOf(missing.front()))
      after = index;
  }
  std::string added;
  const bool lineOpen = all[after].end == text.size() && endsOpen;
  if (lineOpen)
    added += ending;
  for (const std::string &line : missing)
    added += line + ending;
  result.insert(all[after].end, added);
  return result;
}

std::string withCoreSystemValue(std::string_view text, std::string_view key, std::string_view value) {
  const std::vector<Line> all = linesOf(text);
  const auto [first, last] = coreSystemOf(all);
  const std::string folded = foldAsciiCase(key);
  for (std::size_t index = first == all.size() ? all.size() : first + 1; index < last; ++index) {
    const Line &line = all[index];
    if (keyOf(line.text) != folded)
      continue;
    // The first line of the key is the one the game reads: its value
    // alone changes, the blanks around it kept.
    const std::size_t equals = line.text.find('=');
    const std::string_view after = line.text.substr(equals + 1);
    const std::string_view old = withoutBlanks(after);
    const std::size_t from = line.start + equals + 1 + (old.empty() ? after.size() : after.find(old));
    std::string result(text);
    result.replace(from, old.size(), value);
    return result;
  }
  return withCoreSystemLines(text, {std::string(key) + "=" + std::string(value)});
}

std::string settingsBackupOf(const std::string &iniPath) { return iniPath + ".cache-sorter.bak"; }

namespace {

// Replaces the settings file at `iniPath` with what `edit` makes of its
// text, as addCoreSystemLines() tells.
std::optional<std::string> editSettingsFile(const std::string &iniPath,
                                            const std::function<std::string(std::string_view)> &edit,
                                            const std::string &dataHome) {
  struct stat before {};
  if (::lstat(iniPath.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
    return iniPath + " is not a plain file";
  const SmallFile file = readSmallFile(iniPath);
  if (file.state != SmallFile::State::Read)
    return iniPath + ": " + passedOverReason(file.state);
  const std::string edited = edit(file.text);
  if (edited == file.text)
    return std::nullopt;

  const std::string folder = folderOf(iniPath);
  const std::string leaf = iniPath.substr(folder.size() + 1);
  const FileDescriptor systemFolder = openFolder(folder);
  if (!systemFolder.valid())
    return "Could not open " + folder + " (" + std::strerror(errno) + ")";
  CopyJournal journal(dataHome);
  const std::string temporary = newTemporaryName(systemFolder.get());
  if (!journal.record(folder, temporary))
    return "Cache Sorter could not keep a record of its files in " + dataHome;
  ReplacementFile replacement(systemFolder.get(), leaf, temporary);
  if (!replacement.valid())
    return "Could not write " + iniPath + " (" + std::strerror(replacement.error()) + ")";
  if (!writeAll(replacement.fd(), edited.data(), edited.size()) || !replacement.finish(ReplacementFile::Flush::Now))
    return "Could not write " + iniPath + " (" + std::strerror(errno) + ")";
  // The game may have written the file since it was read: its version wins.
  struct stat now {};
  if (::lstat(iniPath.c_str(), &now) != 0 || !(FileIdentity::of(now) == FileIdentity::of(before)))
    return iniPath + " changed while Cache Sorter edited it; nothing was changed";
  // The file before stays as the backup: a link to it, renamed into place.
  const std::string backup = settingsBackupOf(iniPath);
  const std::string backupLeaf = backup.substr(folder.size() + 1);
  const std::string backupTemporary = newTemporaryName(systemFolder.get());
  if (!journal.record(folder, backupTemporary) ||
      ::linkat(systemFolder.get(), leaf.c_str(), systemFolder.get(), backupTemporary.c_str(), 0) != 0 ||
      ::renameat(systemFolder.get(), backupTemporary.c_str(), systemFolder.get(), backupLeaf.c_str()) != 0)
    return "Could not keep " + iniPath + " as " + backup + " (" + std::strerror(errno) + "); nothing was changed";
  if (!replacement.commit() || !flushFolder(folder))
    return "Could not write " + iniPath + " (" + std::strerror(errno) + ")";
  return std::nullopt;
}

} // namespace

std::optional<std::string> addCoreSystemLines(const std::string &iniPath, const std::vector<std::string> &lines,
                                              const std::string &dataHome) {
  return editSettingsFile(
      iniPath, [&](std::string_view text) { return withCoreSystemLines(text, lines); }, dataHome);
}

std::optional<std::string> setCoreSystemValue(const std::string &iniPath, std::string_view key, std::string_view value,
                                              const std::string &dataHome) {
  return editSettingsFile(
      iniPath, [&](std::string_view text) { return withCoreSystemValue(text, key, value); }, dataHome);
}

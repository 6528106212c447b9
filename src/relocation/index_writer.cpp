#include "relocation/index_writer.h"

#include "posix/io.h"
#include "relocation/replacement_file.h"

#include <cstdlib>
#include <sys/stat.h>

std::string composeIndex(const std::vector<CacheEntry> &keptEntries, const ForeignLines &foreign) {
  std::size_t size = 8 + foreign.unterminatedTail.size();
  for (const CacheEntry &entry : keptEntries)
    size += entry.cacheName.size() + entry.utName.size() + 2;
  for (const std::string &line : foreign.lines)
    size += line.size() + 1;

  std::string text;
  text.reserve(size);
  text += "[Cache]\n";
  for (const CacheEntry &entry : keptEntries) {
    text += entry.cacheName;
    text += '=';
    text += entry.utName;
    text += '\n';
  }
  for (const std::string &line : foreign.lines) {
    text += line;
    text += '\n';
  }
  text += foreign.unterminatedTail;
  return text;
}

bool rewriteIndex(const std::string &indexPath, const std::vector<CacheEntry> &keptEntries) {
  ForeignLines foreign;
  struct stat info {};
  const bool exists = ::lstat(indexPath.c_str(), &info) == 0;
  if (exists) {
    std::optional<ForeignLines> old = readForeignLines(indexPath);
    if (!old)
      return false;
    foreign = std::move(*old);
  }
  const std::string text = composeIndex(keptEntries, foreign);
  // An index that is a link keeps being one: the file it leads to is replaced.
  std::string target = indexPath;
  if (exists && S_ISLNK(info.st_mode)) {
    if (char *resolved = ::realpath(indexPath.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  ReplacementFile file(target);
  return file.valid() && writeAll(file.fd(), text.data(), text.size()) && file.commit();
}

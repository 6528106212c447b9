#include "posix/folded_names.h"

#include "posix/directory_handle.h"
#include "posix/name_folding.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isFolder(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

FoldedNames FoldedNames::of(int folder, std::size_t cap) {
  FoldedNames names;
  // The listing takes the descriptor it is given and moves its offset: it
  // gets a duplicate, opened afresh at the folder's start.
  const int duplicate = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (duplicate < 0)
    return names;
  DirectoryHandle listing(::fdopendir(duplicate));
  if (!listing) {
    ::close(duplicate);
    return names;
  }
  for (std::size_t count = 0; count < cap; ++count) {
    const dirent *entry = ::readdir(listing.get());
    if (!entry)
      break;
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..")
      names.names_[foldAsciiCase(name)].emplace_back(name);
  }
  for (auto &[folded, spellings] : names.names_)
    std::sort(spellings.begin(), spellings.end());
  return names;
}

std::optional<std::string> FoldedNames::find(std::string_view name) const {
  const auto found = names_.find(foldAsciiCase(name));
  if (found == names_.end())
    return std::nullopt;
  const std::vector<std::string> &spellings = found->second;
  if (std::binary_search(spellings.begin(), spellings.end(), name))
    return std::string(name);
  return spellings.front();
}

std::string NameSpellings::spellingOf(int folder, const std::string &path, const std::string &leaf) {
  if (::faccessat(folder, leaf.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0)
    return leaf;
  if (!listed_) {
    listed_ = true;
    if (!folderFoldsCase(folder, path))
      names_ = FoldedNames::of(folder);
  }
  return names_ ? names_->find(leaf).value_or(leaf) : leaf;
}

std::optional<std::string> findFolderNamed(const std::string &folder, std::string_view name) {
  if (isFolder(folder + "/" + std::string(name)))
    return std::string(name);
  const DirectoryHandle listing = openDirectory(folder);
  if (!listing)
    return std::nullopt;
  while (const dirent *entry = ::readdir(listing.get())) {
    const std::string_view entryName = entry->d_name;
    if (equalsAsciiFolded(entryName, name) && isFolder(folder + "/" + std::string(entryName)))
      return std::string(entryName);
  }
  return std::nullopt;
}

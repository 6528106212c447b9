#include "posix/folded_names.h"

#include "posix/directory_handle.h"
#include "posix/name_folding.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isFolder(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::optional<FoldedNames> FoldedNames::of(int folder, std::size_t cap) {
  FoldedNames names;
  // The listing takes the descriptor it is given and moves its offset: it
  // gets a duplicate, opened afresh at the folder's start.
  const int duplicate = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (duplicate < 0)
    return std::nullopt;
  DirectoryHandle listing(::fdopendir(duplicate));
  if (!listing) {
    const int error = errno;
    ::close(duplicate);
    errno = error;
    return std::nullopt;
  }
  for (std::size_t count = 0;; ++count) {
    errno = 0;
    const dirent *entry = ::readdir(listing.get());
    if (!entry && errno != 0)
      return std::nullopt;
    if (!entry)
      break;
    if (count == cap) {
      errno = EOVERFLOW;
      return std::nullopt;
    }
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

std::optional<std::string> NameSpellings::spellingOf(int folder, const std::string &path, const std::string &leaf) {
  if (::faccessat(folder, leaf.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0)
    return leaf;
  // A name too long for the folder stands there in no spelling.
  if (errno == ENAMETOOLONG)
    return leaf;
  if (errno != ENOENT)
    return std::nullopt;
  if (listing_ == Listing::NotYet) {
    if (folderFoldsCase(folder, path)) {
      listing_ = Listing::FoldsCase;
    } else if (std::optional<FoldedNames> names = FoldedNames::of(folder)) {
      names_ = std::move(*names);
      listing_ = Listing::Listed;
    } else {
      // Listed again for the next name: the error may pass.
      return std::nullopt;
    }
  }
  if (listing_ == Listing::FoldsCase)
    return leaf;
  return names_.find(leaf).value_or(leaf);
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

#include "relocation/desktop_trash.h"

#include "posix/beneath.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"
#include "relocation/replacement_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A Trash full of one name, or a folder that answers slowly, ends the attempt
// rather than keeping the window waiting.
constexpr int kNameAttempts = 1000;
constexpr std::chrono::seconds kPatience(3);
// Bounds the walk up to a volume's top folder.
constexpr std::size_t kMaxDepth = 256;

std::string reasonOf(const char *what, int error) { return std::string(what) + " (" + std::strerror(error) + ")"; }

// Opens the folder `name` of `parent` without following a link, making it
// (readable by the user alone) when it is missing.
FileDescriptor openOrMakeFolder(int parent, const char *name) {
  const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  FileDescriptor folder(::openat(parent, name, flags));
  if (folder.valid() || errno != ENOENT)
    return folder;
  if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
    return {};
  return FileDescriptor(::openat(parent, name, flags));
}

// Opens the folder at the absolute `path`, making the folders that are
// missing, as the user's own layout has it (links in it are followed).
FileDescriptor openOrMakePath(const std::string &path) {
  if (path.empty() || path.front() != '/')
    return {};
  FileDescriptor folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::size_t start = 1;
  for (std::size_t depth = 0; folder.valid() && start < path.size() && depth < kMaxDepth; ++depth) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name == ".")
      continue;
    FileDescriptor next(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    if (!next.valid() && errno == ENOENT && ::mkdirat(folder.get(), name.c_str(), 0700) == 0)
      next = FileDescriptor(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    folder = std::move(next);
  }
  return start < path.size() ? FileDescriptor() : std::move(folder);
}

// A Trash folder with its two parts, and where the paths its entries name
// start from.
struct TrashFolder {
  FileDescriptor files;
  FileDescriptor info;
  std::string pathsFrom; // "" for absolute paths
};

std::optional<TrashFolder> openParts(FileDescriptor trash, std::string pathsFrom) {
  if (!trash.valid())
    return std::nullopt;
  TrashFolder folder{openOrMakeFolder(trash.get(), "files"), openOrMakeFolder(trash.get(), "info"),
                     std::move(pathsFrom)};
  if (!folder.files.valid() || !folder.info.valid())
    return std::nullopt;
  return folder;
}

bool ownedFolder(int folder, uid_t user) {
  struct stat info {};
  return ::fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user;
}

// "/", "/a", "/a/b", … up to `path` itself.
std::vector<std::string> leadingParts(const std::string &path) {
  std::vector<std::string> parts{"/"};
  for (std::size_t slash = path.find('/', 1); parts.size() < kMaxDepth; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (part.size() > parts.back().size() && part.back() != '/')
      parts.push_back(part);
    if (slash == std::string::npos)
      break;
  }
  return parts;
}

// The top folder of the volume that holds `path`: the shortest leading part
// of it on the same device.
std::optional<std::string> volumeTop(const std::string &path, dev_t device) {
  for (const std::string &part : leadingParts(path)) {
    struct stat info {};
    if (::stat(part.c_str(), &info) == 0 && info.st_dev == device)
      return part;
  }
  return std::nullopt;
}

// The device of the longest leading part of `path` that is there: where the
// home Trash is, or would be made.
std::optional<dev_t> deviceOf(const std::string &path) {
  const std::vector<std::string> parts = leadingParts(path);
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    struct stat info {};
    if (::stat(part->c_str(), &info) == 0)
      return info.st_dev;
  }
  return std::nullopt;
}

// The volume's own Trash for `user`: ".Trash/$UID" where an administrator
// made ".Trash" a sticky folder (and not a link), else ".Trash-$UID".
std::optional<TrashFolder> volumeTrash(const std::string &top, uid_t user) {
  const FileDescriptor topFolder(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!topFolder.valid())
    return std::nullopt;
  const std::string uid = std::to_string(user);
  const FileDescriptor shared(
      ::openat(topFolder.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat sharedInfo {};
  if (shared.valid() && ::fstat(shared.get(), &sharedInfo) == 0 && (sharedInfo.st_mode & S_ISVTX)) {
    FileDescriptor own = openOrMakeFolder(shared.get(), uid.c_str());
    if (own.valid() && ownedFolder(own.get(), user))
      return openParts(std::move(own), top);
  }
  FileDescriptor own = openOrMakeFolder(topFolder.get(), (".Trash-" + uid).c_str());
  if (!own.valid() || !ownedFolder(own.get(), user))
    return std::nullopt;
  return openParts(std::move(own), top);
}

// "Path=" keeps the bytes of a name, escaped as in a URL.
std::string escapedPath(const std::string &path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const unsigned char byte : path) {
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                       std::strchr("/-_.~", byte) != nullptr;
    if (plain) {
      escaped += static_cast<char>(byte);
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xF];
    }
  }
  return escaped;
}

std::string trashInfo(const std::string &path) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char date[32] = {};
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  return "[Trash Info]\nPath=" + escapedPath(path) + "\nDeletionDate=" + date + "\n";
}

// "G0.uxx", then "G0.2.uxx", "G0.3.uxx", … for names the Trash holds already.
std::string trashName(const std::string &leaf, int attempt) {
  if (attempt == 1)
    return leaf;
  const std::size_t dot = leaf.rfind('.');
  const std::size_t stem = dot == std::string::npos || dot == 0 ? leaf.size() : dot;
  return leaf.substr(0, stem) + "." + std::to_string(attempt) + leaf.substr(stem);
}

// The path that the entry names: from the volume's top for a volume's Trash.
std::string namedPath(const TrashFolder &trash, const std::string &path) {
  if (trash.pathsFrom.empty() || trash.pathsFrom == "/")
    return path;
  return path.substr(trash.pathsFrom.size() + 1);
}

} // namespace

DesktopTrash::DesktopTrash(std::string dataHome, uid_t user) : dataHome_(std::move(dataHome)), user_(user) {}

std::optional<std::string> DesktopTrash::put(int folder, const std::string &folderPath, const std::string &leaf) const {
  const std::optional<struct stat> file = statLeaf(folder, leaf);
  if (!file || !S_ISREG(file->st_mode))
    return "It is not a plain file";
  // Files on the home Trash's volume go there or nowhere; files on another
  // volume go to that volume's Trash. The Trash is opened anew for each
  // file: one removed meanwhile is made again, never renamed into while gone.
  std::optional<TrashFolder> trash;
  if (deviceOf(dataHome_) == file->st_dev) {
    const FileDescriptor data = openOrMakePath(dataHome_);
    FileDescriptor home = data.valid() ? openOrMakeFolder(data.get(), "Trash") : FileDescriptor();
    struct stat homeInfo {};
    if (home.valid() && ::fstat(home.get(), &homeInfo) == 0 && homeInfo.st_dev == file->st_dev)
      trash = openParts(std::move(home), "");
  } else if (const std::optional<std::string> top = volumeTop(folderPath, file->st_dev)) {
    trash = volumeTrash(*top, user_);
  }
  if (!trash)
    return "The desktop has no Trash for the cache folder that Cache Sorter may use";

  const std::string path = folderPath + "/" + leaf;
  const std::string info = trashInfo(namedPath(*trash, path));
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (int attempt = 1; attempt <= kNameAttempts && std::chrono::steady_clock::now() < deadline; ++attempt) {
    const std::string name = trashName(leaf, attempt);
    const std::string infoName = name + ".trashinfo";
    FileDescriptor entry(::openat(trash->info.get(), infoName.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!entry.valid() && errno == EEXIST)
      continue;
    if (!entry.valid())
      return reasonOf("The Trash could not be written", errno);
    const bool written = writeAll(entry.get(), info.data(), info.size()) && entry.close();
    const int error = written ? renameWithoutReplacing(folder, leaf, trash->files.get(), name) : errno;
    if (error == 0)
      return std::nullopt;
    ::unlinkat(trash->info.get(), infoName.c_str(), 0);
    if (error != EEXIST)
      return reasonOf(written ? "The Trash would not take it" : "The Trash could not be written", error);
  }
  return "The Trash holds too many files of that name";
}

#include "catalogue/package_check.h"

#include "catalogue/category.h"
#include "posix/file_descriptor.h"
#include "posix/io.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr std::string_view kPackageSignature = "\xC1\x83\x2A\x9E";
constexpr std::string_view kOggSignature = "OggS";

// The bytes a file of this name must begin with; empty when its kind is not
// checked (the Karma data of .ka files has no signature).
std::string_view signatureOf(std::string_view utName) {
  const Category *category = categoryOfLine(utName);
  if (!category || category->ending == ".ka")
    return {};
  return category->ending == ".ogg" ? kOggSignature : kPackageSignature;
}

// "<!DOCTYPE html>", "<html>", "<?xml": a markup's "<" after blanks and a
// byte-order mark, as servers' error pages begin.
bool beginsLikeAWebPage(std::string_view start) {
  if (start.starts_with("\xEF\xBB\xBF"))
    start.remove_prefix(3);
  while (!start.empty() &&
         (start.front() == ' ' || start.front() == '\t' || start.front() == '\r' || start.front() == '\n'))
    start.remove_prefix(1);
  return start.starts_with('<');
}

} // namespace

PackageCondition checkCachedFile(const std::string &path, std::string_view utName) {
  // O_NONBLOCK: a FIFO in the cache is not waited on.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return file.valid() ? checkPackageStart(file.get(), utName) : PackageCondition::NotLookedAt;
}

PackageCondition checkPackageStart(int fd, std::string_view utName) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    return PackageCondition::NotLookedAt;
  if (info.st_size == 0)
    return PackageCondition::Empty;
  const std::string_view signature = signatureOf(utName);
  if (signature.empty())
    return PackageCondition::Sound;
  char start[16] = {};
  if (::lseek(fd, 0, SEEK_SET) != 0)
    return PackageCondition::NotLookedAt;
  const ssize_t got = readFull(fd, start, sizeof start);
  if (got < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
    return PackageCondition::NotLookedAt;
  const std::string_view read(start, static_cast<std::size_t>(got));
  if (read.starts_with(signature))
    return PackageCondition::Sound;
  return beginsLikeAWebPage(read) ? PackageCondition::WebPage : PackageCondition::WrongStart;
}

std::string damageText(PackageCondition condition, std::string_view utName) {
  switch (condition) {
  case PackageCondition::Empty:
    return "Damaged download: the cached file is empty";
  case PackageCondition::WrongStart:
  case PackageCondition::WebPage:
    return signatureOf(utName) == kOggSignature
               ? "Damaged download: the cached file does not begin as an Ogg file does"
               : "Damaged download: the cached file does not begin with the package signature";
  default:
    return {};
  }
}

std::string damageAdvice(PackageCondition condition) {
  constexpr std::string_view kWhatToDo = ": move it to the Trash and the game will download it again";
  switch (condition) {
  case PackageCondition::Empty:
    return std::string("The download is empty (it was cut off)") + std::string(kWhatToDo);
  case PackageCondition::WebPage:
    return std::string("The server sent something else (it begins like a web page)") + std::string(kWhatToDo);
  case PackageCondition::WrongStart:
    return std::string("The download is damaged (it is not a package of its kind)") + std::string(kWhatToDo);
  default:
    return {};
  }
}

#pragma once

#include <string>
#include <string_view>

// What the first bytes of a cached file say of the download, read without
// reading the rest: an empty file, a transfer cut before its first bytes, or
// an error page saved in a package's place does not begin as its kind must.
enum class PackageCondition {
  Sound,       // begins as its kind must, or is of a kind not checked
  Empty,       // no bytes at all, whatever the kind
  WrongStart,  // a package without the signature C1 83 2A 9E, or an
               // .ogg without "OggS"
  WebPage,     // the same, beginning as a web page does: a server's error page
  NotLookedAt, // missing, or could not be read: said elsewhere
};

// The condition of the cached file `path` of the package called `utName`.
// Packages (.ukx, .ut2, .uax, .usx, .u, .utx) must begin with the package
// signature, .ogg files with "OggS"; .ka files are only checked for being
// empty. Reads at most sixteen bytes, following no link.
PackageCondition checkCachedFile(const std::string &path, std::string_view utName);
// The same for a cached file open as `fd`, read from its start; its offset
// is left at the start.
PackageCondition checkPackageStart(int fd, std::string_view utName);

inline bool isDamaged(PackageCondition condition) {
  return condition == PackageCondition::Empty || condition == PackageCondition::WrongStart ||
         condition == PackageCondition::WebPage;
}

// For the details: why the download is damaged, in the format's terms;
// empty when it is not.
std::string damageText(PackageCondition condition, std::string_view utName);
// For a row's tooltip: what the damaged download likely is, and what to do,
// in the player's words; empty when it is not damaged.
std::string damageAdvice(PackageCondition condition);

#pragma once

#include "app/locations.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What the readers of other programs' files share: a bounded listing, and
// the record of every file read or passed over.

// What one source read: each file it opened, and those it passed over with
// why ("<path>: <why>").
struct SourceFiles {
  std::vector<std::string> read;
  std::vector<std::string> passedOver;
};

// The names in `folder`, but "." and "..", sorted so that a search gives the
// same order each time; at most `cap` of them, since a folder of strangers'
// files may hold any number.
std::vector<std::string> namesIn(const std::string &folder, std::size_t cap = 1024);

// The game folder that the executable at `path` belongs to: the folder above
// its System folder ("…/UT2004/System/UT2004.exe" -> "…/UT2004"), or the
// executable's own folder.
std::string gameFolderOfExecutable(const std::string &path);

// `path` as a folder of this machine: "~/" on the home folder, an absolute
// path under `rootFolder`; empty for a relative path, which names nothing.
std::string placeOnMachine(const std::string &path, const std::string &homeFolder, const std::string &rootFolder);

// A folder a source knows by its default place: "~/..." in the home folder,
// "$DATA/..." in the user's data folder.
std::string userPlace(std::string_view pattern, const Locations &locations);

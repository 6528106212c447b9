#pragma once

#include "posix/file_descriptor.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// A name from the index put behind a folder: the subfolders it passes
// through and its last component. Empty components and "." are dropped.
struct RelativeName {
  std::string folder; // "" for the folder itself
  std::string leaf;
};

// std::nullopt for a name that could lead out of its folder (a ".."
// component) or that names no file (nothing but separators).
std::optional<RelativeName> splitRelativeName(std::string_view name);

// Opens the folder `path` to work in it by descriptor.
FileDescriptor openFolder(const std::string &path);

// Opens the folder `relative` (as splitRelativeName() gives it) beneath the
// open folder `base`, following no link on the way: ELOOP when one stands in
// it. "" opens `base` again.
FileDescriptor openFolderBeneath(int base, const std::string &relative);

// The same, one component at a time: what openFolderBeneath() does where the
// kernel cannot resolve beneath a folder itself.
FileDescriptor openFolderBeneathByComponents(int base, const std::string &relative);

// Opens the file `leaf` of the open folder `folder` without following a link
// (ELOOP for one) and without waiting on a FIFO or a device.
FileDescriptor openLeaf(int folder, const std::string &leaf, int flags);

// What stands at `leaf` in `folder` itself (not followed through a link);
// std::nullopt with errno set when nothing can be learnt.
std::optional<struct stat> statLeaf(int folder, const std::string &leaf);

// Why a file that should be a plain file is not one, for a report: a link,
// a folder, or something else.
const char *notAPlainFileReason(mode_t mode);

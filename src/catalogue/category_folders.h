#pragma once

#include "catalogue/category.h"
#include "posix/file_descriptor.h"
#include "posix/folded_names.h"

#include <array>
#include <optional>
#include <string>

// An installation's category folders as the game spells them, and the files
// in them as the game finds them. Each folder is looked up and listed once,
// when first asked about: one object serves one command, or one reading of
// the lists.
class CategoryFolders {
public:
  explicit CategoryFolders(std::optional<std::string> installation) : installation_(std::move(installation)) {}

  const std::optional<std::string> &installation() const { return installation_; }

  // "<installation>/<folder>": the folder called as the category, else one
  // whose name differs from it in ASCII case alone (Steam's "maps"), else
  // the category's own name, for a folder still to be made. Empty without
  // an installation.
  const std::string &folder(std::size_t category) const;

  // The file that `utName` names in the category's folder: itself, or on a
  // volume that tells case apart the file whose name differs from it in
  // ASCII case alone. Names with a "/" are taken as they are. Nothing when
  // the folder could not be listed to tell.
  std::optional<std::string> fileOf(std::size_t category, const std::string &utName) const;

private:
  struct Folder {
    bool found = false; // looked up in the installation
    std::string path;
    bool opened = false;
    FileDescriptor fd; // opened when a name is first looked for
    NameSpellings names;
  };
  Folder &at(std::size_t category) const;

  std::optional<std::string> installation_;
  mutable std::array<Folder, kCategoryCount> folders_;
};

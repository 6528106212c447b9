#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// The desktop's Trash, by the freedesktop.org Trash rules that file managers follow: the
// home Trash in the user's data folder for files on its volume, and for files
// on another volume that volume's ".Trash/$UID" or ".Trash-$UID". A file goes
// to a real Trash folder with its ".trashinfo", or stays where it is: no Trash
// folder, nor its "files" and "info", is ever reached through a link, and no
// file is ever copied to another volume.
class DesktopTrash {
public:
  // `dataHome` is the user's data folder (XDG_DATA_HOME, or
  // "~/.local/share"); the home Trash is its "Trash", made when missing.
  DesktopTrash(std::string dataHome, uid_t user);

  // Puts the plain file `leaf` of the open folder `folder`, whose absolute
  // path is `folderPath`, in the Trash. Returns why it stayed, or nothing
  // when it is in the Trash.
  std::optional<std::string> put(int folder, const std::string &folderPath, const std::string &leaf) const;

private:
  std::string dataHome_;
  uid_t user_;
};

#include "catalogue/category_folders.h"

#include <fcntl.h>

CategoryFolders::Folder &CategoryFolders::at(std::size_t category) const {
  Folder &folder = folders_[category];
  if (!folder.found) {
    folder.found = true;
    if (installation_) {
      const std::string name(kCategories[category].name);
      folder.path = *installation_ + "/" + findFolderNamed(*installation_, name).value_or(name);
    }
  }
  return folder;
}

const std::string &CategoryFolders::folder(std::size_t category) const { return at(category).path; }

std::optional<std::string> CategoryFolders::fileOf(std::size_t category, const std::string &utName) const {
  Folder &folder = at(category);
  if (!installation_ || utName.find('/') != std::string::npos)
    return folder.path + "/" + utName;
  if (!folder.opened) {
    folder.opened = true;
    folder.fd = FileDescriptor(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
  if (!folder.fd.valid())
    return folder.path + "/" + utName;
  const std::optional<std::string> spelled = folder.names.spellingOf(folder.fd.get(), folder.path, utName);
  if (!spelled)
    return std::nullopt;
  return folder.path + "/" + *spelled;
}

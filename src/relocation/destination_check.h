#pragma once

#include <string>
#include <unordered_map>

// Finds why no file can be put at a path, before anything is written: ENOENT
// when its folder is missing, EISDIR when a folder or a link to one stands
// there, ENAMETOOLONG when the file system cannot hold the name. What it
// learns of each folder it looks up once.
class DestinationCheck {
public:
  // 0 when none of these holds; a plain file, or a link to one, at `path` is
  // no problem.
  int problem(const std::string &path);
  // The same, but for what stands at `path` itself, which the caller looks
  // at (ReplacementFile does).
  int folderOrNameProblem(const std::string &path);

private:
  struct Folder {
    int error = 0;
    long longestName = -1; // unknown when not above 0
  };
  const Folder &folder(const std::string &path);

  std::unordered_map<std::string, Folder> folders_;
};

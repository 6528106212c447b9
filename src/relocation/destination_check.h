#pragma once

#include <string>

// Why no file can be put at `path`, found before anything is written: ENOENT
// when its folder is missing, EISDIR when a folder or a link to one stands
// there, ENAMETOOLONG when the file system cannot hold the name. 0 when none
// of these holds; a plain file, or a link to one, at `path` is no problem.
int destinationProblem(const std::string &path);

#pragma once

#include <string_view>

// Whether a name, put behind a folder's path, could lead out of that folder:
// it has a ".." component. Other "/" in a name only lead into subfolders.
bool leavesItsFolder(std::string_view name);

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The library folders that Steam's steamapps/libraryfolders.vdf lists, in
// the file's order: the format since 2021 ("libraryfolders" { "0" { "path"
// "..." } }) and the older one ("LibraryFolders" { "1" "D:\\Steam" }).
// Nothing when the text is not such a file; a file that parses but lists no
// folder gives an empty list.
std::optional<std::vector<std::string>> steamLibraryFolders(std::string_view text);

#pragma once

#include <string>
#include <string_view>

// Whether the open folder `folder`, found at `path`, takes names that differ
// only in the case of their letters for one name: macOS's default volumes,
// FAT and exFAT, and Linux folders with case folding on.
bool folderFoldsCase(int folder, const std::string &path);
// The same for the folder at `path`; false when it cannot be opened.
bool folderAtFoldsCase(const std::string &path);

// `c`, or its small letter when it is an ASCII capital A-Z.
inline char foldAsciiCapital(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the names are one, ASCII case aside, as the game compares names.
inline bool equalsAsciiFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t index = 0; index < a.size(); ++index) {
    if (foldAsciiCapital(a[index]) != foldAsciiCapital(b[index]))
      return false;
  }
  return true;
}

// `name` with the ASCII capitals A-Z as their small letters.
std::string foldAsciiCase(std::string_view name);

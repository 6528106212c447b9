#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The names in one folder by their ASCII-folded form, listed once. The game
// compares names ASCII case aside, so on a volume that tells case apart a
// file spelled in another case is, to the game, the file of that name.
class FoldedNames {
public:
  FoldedNames() = default;
  // Lists the open folder `folder` through a duplicate of it; nothing when
  // it cannot be listed whole (an error, or more than `cap` names).
  static std::optional<FoldedNames> of(int folder, std::size_t cap = 1 << 20);

  // `name` when it stands in the folder, else the first of its other
  // spellings there (in byte order), else nothing.
  std::optional<std::string> find(std::string_view name) const;

private:
  std::unordered_map<std::string, std::vector<std::string>> names_;
};

// How names stand in one open folder as the game finds them; the folder is
// listed when a name is first missing from it.
class NameSpellings {
public:
  // `leaf` when something stands under it in `folder` (found at `path`),
  // else on a volume that tells case apart its other spelling there, else
  // `leaf`. Nothing, with errno set, when that cannot be told: a second
  // spelling must then not be made.
  std::optional<std::string> spellingOf(int folder, const std::string &path, const std::string &leaf);

private:
  enum class Listing { NotYet, Listed, FoldsCase };
  Listing listing_ = Listing::NotYet;
  FoldedNames names_;
};

// The name in the folder at `folder` of the folder called `name`: the exact
// name when there is one, else the first that differs from it in ASCII case
// alone.
std::optional<std::string> findFolderNamed(const std::string &folder, std::string_view name);

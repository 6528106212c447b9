#pragma once

#include <optional>
#include <string>

// The folders the user chose by hand; each wins over the search. This is all
// the program remembers between runs, and only once the user has chosen.
struct ChosenFolders {
  std::optional<std::string> cacheFolder; // holds cache.ini
  std::optional<std::string> gameFolder;  // the installation
  // The layout of the installation found that the user picked, both folders
  // then being its own; empty for folders chosen by hand.
  std::string layout;

  bool empty() const { return !cacheFolder && !gameFolder; }
};

// Where the chosen folders are kept between runs.
class ChoiceStore {
public:
  virtual ~ChoiceStore() = default;
  virtual ChosenFolders load() const = 0;
  virtual void save(const ChosenFolders &chosen) = 0;
};

// Why `folder` cannot be the cache folder, or nothing when it can: it must
// hold a plain file called cache.ini.
std::optional<std::string> cacheFolderProblem(const std::string &folder);

// Why `folder` cannot be the game folder, or nothing when it can: it must
// hold System and at least one other category folder.
std::optional<std::string> gameFolderProblem(const std::string &folder);

#pragma once

#include "app/locations.h"
#include "temporary_folder.h"

#include <string>
#include <string_view>

// A home folder and a volumes folder inside one temporary folder, laid out as
// the program expects them.
class Sandbox {
public:
  // With `homeVolume`, the home folder lies on that volume, so that moves into
  // an installation on the same volume are renames; without, it lies outside
  // the volumes folder and moves are copies.
  explicit Sandbox(std::string homeVolume = "");

  // Every place the program looks lies in the sandbox: the other layouts'
  // absolute folders under root(), the data folder in the home folder.
  Locations locations() const { return {home(), volumes(), root(), home() + "/.local/share", root() + "/proc", ""}; }
  std::string home() const { return home_; }
  std::string volumes() const { return root_ / "Volumes"; }
  std::string cacheDirectory() const;
  std::string cacheFile() const { return cacheDirectory() + "/cache.ini"; }
  std::string root() const { return root_.path(); }

  void writeIndex(std::string_view bytes) const { writeFile(cacheFile(), bytes); }
  void writeCachedFile(std::string_view cacheName, std::string_view bytes) const;
  std::string cachedFile(std::string_view cacheName) const;

  // Makes "<volumes>/<volume>/Applications/Unreal Tournament 2004.app" with the
  // eight category folders, and returns the bundle's path.
  std::string addInstallation(std::string_view volume) const;

private:
  TemporaryFolder root_;
  std::string home_;
};

#include "sandbox.h"

#include "catalogue/category.h"

Sandbox::Sandbox(std::string homeVolume)
    : home_(homeVolume.empty() ? root_ / "home" : volumes() + "/" + homeVolume + "/Users/player") {
  makeFolders(cacheDirectory());
  makeFolders(volumes());
}

std::string Sandbox::cacheDirectory() const {
  return home() + "/Library/Application Support/Unreal Tournament 2004/Cache";
}

void Sandbox::writeCachedFile(std::string_view cacheName, std::string_view bytes) const {
  writeFile(cachedFile(cacheName), bytes);
}

std::string Sandbox::cachedFile(std::string_view cacheName) const {
  return cacheDirectory() + "/" + std::string(cacheName) + ".uxx";
}

std::string Sandbox::addInstallation(std::string_view volume) const {
  const std::string bundle = volumes() + "/" + std::string(volume) + "/Applications/Unreal Tournament 2004.app";
  for (const Category &category : kCategories)
    makeFolders(bundle + "/" + std::string(category.name));
  return bundle;
}

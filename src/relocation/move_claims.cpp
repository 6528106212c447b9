#include "relocation/move_claims.h"

#include "posix/beneath.h"
#include "posix/name_folding.h"

std::string MoveClaims::key(std::optional<std::size_t> category, const std::string &name) {
  std::optional<bool> &folds = folds_[category ? *category + 1 : 0];
  if (!folds)
    folds = foldsCase_(category);
  const std::string prefix = category ? std::to_string(*category) + "/" : std::string();
  return prefix + (*folds ? foldAsciiCase(name) : name);
}

MoveClaims::Claim MoveClaims::claim(const PlannedMove &move) {
  const std::optional<RelativeName> source = splitRelativeName(move.cacheName + ".uxx");
  const std::optional<RelativeName> destination = splitRelativeName(move.utName);
  if (!source || !destination)
    return Claim::LeavesFolder;
  const auto joined = [](const RelativeName &name) {
    return name.folder.empty() ? name.leaf : name.folder + "/" + name.leaf;
  };
  if (!sources_.insert(key(std::nullopt, joined(*source))).second)
    return Claim::SameCachedFile;
  if (!destinations_.insert(key(move.category, joined(*destination))).second)
    return Claim::SameDestination;
  return Claim::Taken;
}

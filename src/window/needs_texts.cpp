#include "window/needs_texts.h"

#include "window/move_texts.h"

#include <algorithm>

namespace {

// How many names a note lists before "and N more".
constexpr std::size_t kNamesListed = 3;

bool isTicked(const Need &need, const ListsView &lists) {
  return need.entry && lists[need.entry->category][need.entry->row].selected == 1;
}

std::string listedNames(const std::vector<std::string> &names) {
  std::string text;
  const std::size_t listed = std::min(names.size(), kNamesListed);
  for (std::size_t index = 0; index < listed; ++index)
    text += (index == 0 ? "" : ", ") + names[index];
  if (names.size() > listed)
    text += " and " + formatCount(names.size() - listed) + " more";
  return text;
}

} // namespace

std::string needsSummary(const PackageNeeds &needs, const ListsView &lists) {
  if (needs.needs.empty())
    return needs.unreadable.empty() ? "Needs nothing beyond itself" : "What it needs could not be read";
  std::size_t inGame = 0, inCache = 0, ticked = 0, missing = 0;
  for (const Need &need : needs.needs) {
    inGame += need.place == Need::Place::InTheGame ? 1 : 0;
    inCache += need.place == Need::Place::InTheCache ? 1 : 0;
    missing += need.place == Need::Place::Missing ? 1 : 0;
    ticked += isTicked(need, lists) ? 1 : 0;
  }
  std::string text = "Needs " + countPackages(needs.needs.size()) + ":";
  std::string separator = " ";
  if (inGame > 0) {
    text += separator + formatCount(inGame) + " in the game";
    separator = ", ";
  }
  if (inCache > 0) {
    text += separator + formatCount(inCache) + " in the cache (" + formatCount(ticked) + " ticked)";
    separator = ", ";
  }
  if (missing > 0)
    text += separator + formatCount(missing) + " missing";
  return text;
}

std::string needsList(const PackageNeeds &needs, const ListsView &lists, const std::string &installation) {
  std::string text;
  for (const Need &need : needs.needs) {
    text += need.name + ": ";
    if (need.place == Need::Place::InTheGame) {
      std::string file = need.gameFile;
      if (!installation.empty() && file.starts_with(installation + "/"))
        file.erase(0, installation.size() + 1);
      text += "in the game (" + file + ")";
    } else if (need.entry) {
      const CacheEntry &entry = lists[need.entry->category][need.entry->row];
      text += "in the cache (" + std::string(kCategories[need.entry->category].name) + ", " + entry.cacheName +
              (entry.selected == 1 ? ", ticked)" : ")");
    } else {
      text += "missing";
    }
    text += "\n";
  }
  for (const std::string &unreadable : needs.unreadable)
    text += "Could not read " + unreadable + "\n";
  return text;
}

std::string neededByText(std::size_t maps) {
  if (maps == 0)
    return {};
  return "Needed by " + formatCount(maps) + (maps == 1 ? " map" : " maps");
}

std::string missingNeedsTooltip(const std::vector<std::string> &missing) {
  if (missing.empty())
    return {};
  return "will not load: " + listedNames(missing) + (missing.size() == 1 ? " is" : " are") +
         " not in the game or the cache";
}

std::string readingText(std::size_t done, std::size_t total) {
  return "Reading packages: " + formatCount(done) + " of " + formatCount(total);
}

std::string tickedNeedsText(std::size_t ticked) {
  if (ticked == 0)
    return "These need no package that is not ticked already";
  return "Ticked " + countPackages(ticked) + " these need";
}

std::string alsoMoveNeedsText(std::size_t packages, std::uint64_t bytes) {
  return "Also move the " + countPackages(packages) + " these need (" + formatByteSize(bytes) + ")";
}

std::string moveNeedsNotes(const MovePreview &preview) {
  std::string notes;
  const auto add = [&notes](const std::string &note) { notes += (notes.empty() ? "" : "\n\n") + note; };
  if (!preview.missingNeeds.empty())
    add(formatCount(preview.missingNeeds.size()) +
        (preview.missingNeeds.size() == 1 ? " ticked map needs" : " ticked maps need") +
        " packages that neither the game nor the cache has, and will not load: " + listedNames(preview.missingNeeds) +
        ".");
  if (preview.notTheirPackage > 0)
    add(countPackages(preview.notTheirPackage) + (preview.notTheirPackage == 1 ? " is a file" : " are files") +
        " whose header names another package than its index line does.");
  if (preview.needsStopped)
    add("What the ticked packages need was not read: only they move.");
  return notes;
}

std::string keepNeededText(std::size_t packages) {
  return "Keep the " + countPackages(packages) + " that kept maps need";
}

std::string neededByMapsNote(const std::vector<std::string> &maps) {
  if (maps.size() == 1)
    return listedNames(maps) + " needs ticked packages: without them, it will not load.";
  return listedNames(maps) + " need ticked packages: without them, they will not load.";
}

std::string withNeedsText(std::size_t packages) {
  return "With the cached packages they need (" + formatCount(packages) + ")";
}

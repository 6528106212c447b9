#include "package/needed_by.h"

#include <deque>
#include <set>

NeededBy::NeededBy(const ListsView &lists, const std::string &cacheDirectory, const PackageKnowledge &knowledge)
    : lists_(lists) {
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    for (std::size_t row = 0; row < lists[category].size(); ++row) {
      const std::optional<PackageFacts> facts =
          knowledge.lastKnownAt(cachedFilePath(cacheDirectory, lists[category][row].cacheName));
      if (!facts)
        continue;
      for (const std::string &need : facts->needs)
        needers_[packageKey(need)].push_back(EntryPlace{category, row});
    }
  }
}

std::size_t NeededBy::mapsNeeding(EntryPlace place) const {
  std::set<EntryPlace> seen{place};
  std::deque<std::string> keys{packageKey(lists_[place.category][place.row].utName)};
  std::set<std::string> keysSeen{keys.front()};
  std::size_t maps = 0;
  std::size_t steps = 0;
  while (!keys.empty() && steps++ < kMaxSteps) {
    const auto needers = needers_.find(keys.front());
    keys.pop_front();
    if (needers == needers_.end())
      continue;
    for (const EntryPlace &needer : needers->second) {
      if (!seen.insert(needer).second)
        continue;
      if (needer.category == kMapsCategory)
        ++maps;
      std::string key = packageKey(lists_[needer.category][needer.row].utName);
      if (keysSeen.insert(key).second)
        keys.push_back(std::move(key));
    }
  }
  return maps;
}

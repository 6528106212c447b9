// What the details pane shows of the selected package: its files, its
// condition, what it needs, and a map's summary and where its preview is.
#include "app/app_controller.h"
#include "app/package_details.h"
#include "package/package_reader.h"
#include "posix/file_descriptor.h"

#include <sys/stat.h>

std::optional<PackageDetails> AppController::detailsOfRow(const TableView *table, std::int32_t row) const {
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  if (!place)
    return std::nullopt;
  const CacheEntry &entry = listAt(place->category)[place->row];
  PackageDetails details;
  details.utName = entry.utName;
  details.cacheName = entry.cacheName;
  details.map = place->category == kMapsCategory;
  const std::string path = cachedFilePath(cacheDirectory(), entry.cacheName);
  const FileDescriptor file = openPackageFile(path);
  struct stat opened {};
  if (!file.valid() || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
    details.noPreview = details.map ? "there is no cached file" : "";
    return details;
  }
  details.size = static_cast<std::uint64_t>(opened.st_size);
  details.condition = checkPackageStart(file.get(), entry.utName);
  details.installed = installedFile(table, row);
  if (isDamaged(details.condition)) {
    details.noPreview = details.map ? "the download is damaged" : "";
    return details;
  }
  PackageReadOptions options;
  options.exports = details.map;
  const PackageRead package = readPackage(file.get(), opened, options);
  if (!package.tables) {
    details.unreadable = package.unreadable;
    details.noPreview = details.map ? "the map cannot be read" : "";
    return details;
  }
  details.notItsPackage = !cacheNameIsGuid(entry.cacheName, package.tables->header.guid);
  details.needs = needsOfRow(table, row);
  details.neededBy = mapsNeeding(table, row);
  if (details.map)
    addMapSummary(details, file.get(), static_cast<std::uint64_t>(opened.st_size), *package.tables, path);
  return details;
}

void AppController::addMapSummary(PackageDetails &details, int fd, std::uint64_t fileSize, const PackageTables &tables,
                                  const std::string &path) const {
  MapSummaryRead read = readMapSummary(fd, fileSize, tables);
  details.summary = std::move(read.summary);
  details.summaryProblem = std::move(read.problem);
  const std::int32_t screenshot = details.summary ? details.summary->screenshot : 0;
  if (screenshot == 0 || !refersToObject(tables, screenshot)) {
    details.noPreview = details.summary ? "the map has no screenshot" : "the map has no summary";
    return;
  }
  if (screenshot > 0) {
    details.preview = PreviewSource{path, screenshot, {}};
    return;
  }
  // A screenshot kept in another package is found where the game would
  // find that package.
  const std::string package = importedFrom(tables, screenshot);
  if (package.empty()) {
    details.noPreview = "its screenshot's reference leads nowhere";
    return;
  }
  const Need found = needFinder().find(package);
  const std::string object(objectNameAt(tables, screenshot));
  if (found.place == Need::Place::InTheGame)
    details.preview = PreviewSource{found.gameFile, 0, object};
  else if (found.place == Need::Place::InTheCache && found.entry)
    details.preview = PreviewSource{needFinder().cachedFile(*found.entry), 0, object};
  else
    details.noPreview = "its screenshot is in " + package + ", which is neither in the game nor the cache";
}

std::string AppController::titleOfRow(const TableView *table, std::int32_t row) const {
  const std::optional<EntryPlace> place = placeOfRow(table, row);
  if (!place || place->category != kMapsCategory)
    return {};
  return knowledge_->lastKnownTitleAt(cachedFilePath(cacheDirectory(), listAt(place->category)[place->row].cacheName));
}

#include "app/installations/source_reading.h"

#include "posix/small_file.h"

#include <algorithm>

std::string SourceReading::readSettings(const std::string &path) {
  files.push_back(path);
  SmallFile file = readSmallFile(path);
  if (const char *why = passedOverReason(file.state); *why)
    passedOver.push_back(path + ": " + why);
  return file.state == SmallFile::State::Read ? std::move(file.text) : std::string();
}

void SourceReading::addPlace(std::string folder, bool mayBeNative) {
  if (folder.empty())
    return;
  const auto same = [&](const InstallationPlace &place) { return place.folder == folder; };
  if (std::none_of(places.begin(), places.end(), same))
    places.push_back(InstallationPlace{std::move(folder), mayBeNative});
}

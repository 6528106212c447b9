#include "relocation/same_volume.h"

#include <optional>

namespace {

// The volume name of a path that begins with the prefix; std::nullopt when no
// "/" follows it. The empty name (a "/" right after the prefix) is a name.
std::optional<std::string_view> volumeName(std::string_view path, std::string_view volumesPrefix) {
  const std::size_t end = path.find('/', volumesPrefix.size());
  if (end == std::string_view::npos)
    return std::nullopt;
  return path.substr(volumesPrefix.size(), end - volumesPrefix.size());
}

} // namespace

bool pathsShareVolume(std::string_view first, std::string_view second, std::string_view volumesPrefix) {
  const bool firstOnVolume = first.starts_with(volumesPrefix);
  const bool secondOnVolume = second.starts_with(volumesPrefix);
  if (firstOnVolume != secondOnVolume)
    return false;
  if (!firstOnVolume)
    return true;
  const std::optional<std::string_view> firstVolume = volumeName(first, volumesPrefix);
  const std::optional<std::string_view> secondVolume = volumeName(second, volumesPrefix);
  return firstVolume && secondVolume && *firstVolume == *secondVolume;
}

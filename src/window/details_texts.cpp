#include "window/details_texts.h"

#include "window/needs_texts.h"

std::string playersText(std::optional<std::int32_t> minPlayers, std::optional<std::int32_t> maxPlayers) {
  // A count below one is a map author's slip, not a number to show.
  if (minPlayers && *minPlayers < 1)
    minPlayers.reset();
  if (maxPlayers && *maxPlayers < 1)
    maxPlayers.reset();
  if (minPlayers && maxPlayers && *minPlayers < *maxPlayers)
    return std::to_string(*minPlayers) + " to " + std::to_string(*maxPlayers) + " players";
  if (maxPlayers && (!minPlayers || *minPlayers == *maxPlayers))
    return std::to_string(*maxPlayers) + (*maxPlayers == 1 ? " player" : " players");
  if (minPlayers && maxPlayers)
    return std::to_string(*maxPlayers) + " to " + std::to_string(*minPlayers) + " players";
  if (minPlayers)
    return "At least " + std::to_string(*minPlayers) + (*minPlayers == 1 ? " player" : " players");
  return {};
}

std::vector<std::string> conditionLines(const PackageDetails &details) {
  std::vector<std::string> lines;
  if (!details.size) {
    lines.emplace_back("No cached file: the game purged it, or it was removed");
    return lines;
  }
  if (isDamaged(details.condition))
    lines.push_back(damageText(details.condition, details.utName));
  else if (!details.unreadable.empty())
    lines.push_back("Cannot be read: " + details.unreadable);
  if (details.notItsPackage)
    lines.emplace_back(kNotItsPackageTooltip);
  if (details.installed)
    lines.push_back(
        (details.installed->identical ? "Already in the game, identical: " : "Already in the game, but different: ") +
        details.installed->path);
  if (lines.empty())
    lines.emplace_back("Not in the game yet");
  return lines;
}

std::string mapHeading(const PackageDetails &details) {
  if (details.summary && !details.summary->title.empty())
    return details.summary->title;
  return details.utName;
}

std::string noPreviewText(const std::string &problem) {
  return problem.empty() ? std::string("No preview") : "No preview: " + problem;
}

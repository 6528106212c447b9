#include "window/browse_texts.h"
#include "window/details_texts.h"

#include "temporary_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(BrowseTexts, FilterMatchesEitherNameIgnoringAsciiCase) {
  const CacheEntry entry{0, "DM-Deck17-Remix.ut2", "3F2A9C41D0B7E6A5"};
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", true},          {"deck17", true},   {"DECK", true},  {"3f2a", true},
      {"remix.UT2", true}, {"deck 17", false}, {"\xC9", false}, {"3F2A9C41D0B7E6A5X", false},
  };
  for (const auto &[filter, matches] : cases)
    EXPECT_EQ(matchesFilter(entry, filter), matches) << filter;
  // Only A to Z fold: a byte above 127 matches itself alone.
  EXPECT_TRUE(matchesFilter({0, "Caf\xE9.u", "K"}, "CAF\xE9"));
  // A map's title matches too.
  EXPECT_TRUE(matchesFilter(entry, "seventeen", "Deck Seventeen"));
  EXPECT_FALSE(matchesFilter({0, "Caf\xE9.u", "K"}, "caf\xC9"));
}

TEST(BrowseTexts, LabelsAndStatus) {
  EXPECT_TRUE(namesInOrder("apple", "Banana"));
  EXPECT_FALSE(namesInOrder("banana", "Apple"));
  EXPECT_TRUE(namesInOrder("Map", "map")) << "equal but for case: by bytes";
  EXPECT_TRUE(namesInOrder("map", "maps"));
  EXPECT_EQ(tabLabel("Maps", 4000, 4000, false), "Maps (4,000)");
  EXPECT_EQ(tabLabel("Maps", 3, 4000, true), "Maps (3 of 4,000)");
  EXPECT_EQ(tabCountsText(4000, 12), "4,000 packages, 12 ticked");
  EXPECT_EQ(tickedTotalsText({57, (12ull << 30) / 10, 0, 0}), "57 ticked in all, 1.2 GiB");
  EXPECT_EQ(tickedTotalsText({3, 10, 2, 0}), "3 ticked in all, 10 bytes, 2 missing");
  EXPECT_EQ(tickedTotalsText({3, 10, 0, 1}), "3 ticked in all, 10 bytes, sizing…");
  EXPECT_EQ(emptyTabText(2, false), "No packages in Maps");
  EXPECT_EQ(emptyTabText(5, true), "No packages in StaticMeshes match the filter");
}

TEST(BrowseTexts, SizesAreLookedUpForTickedEntriesOnlyAndKept) {
  const TemporaryFolder cache;
  writeFile(cache / "A.uxx", "12345");
  writeFile(cache / "B.uxx", "123");
  PackageSizes sizes;
  const std::vector<CacheEntry> list = {{1, "a.ut2", "A"}, {0, "b.ut2", "B"}, {1, "c.ut2", "C"}, {1, "b.ut2", "B"}};

  TickedTotals first;
  std::size_t lookups = 2;
  sizes.addTicked(cache.path(), list, first, lookups);
  EXPECT_EQ(first.ticked, 3u);
  EXPECT_EQ(first.bytes, 5u);
  EXPECT_EQ(first.missing, 1u) << "C is missing";
  EXPECT_EQ(first.pendingSizes, 1u) << "B waits for the next step";
  EXPECT_EQ(lookups, 0u);

  writeFile(cache / "A.uxx", "a size no longer looked at");
  TickedTotals second;
  lookups = 10;
  sizes.addTicked(cache.path(), list, second, lookups);
  EXPECT_EQ(second.bytes, 8u) << "A's size is kept until cleared";
  EXPECT_EQ(second.pendingSizes, 0u);
  EXPECT_EQ(lookups, 9u);
}

TEST(DetailsTexts, PlayersAndState) {
  const std::vector<std::tuple<std::optional<std::int32_t>, std::optional<std::int32_t>, std::string>> players = {
      {4, 6, "4 to 6 players"},         {8, 8, "8 players"},
      {std::nullopt, 1, "1 player"},    {2, std::nullopt, "At least 2 players"},
      {6, 4, "4 to 6 players"},         {0, -3, ""},
      {std::nullopt, std::nullopt, ""},
  };
  for (const auto &[least, most, text] : players)
    EXPECT_EQ(playersText(least, most), text) << text;

  PackageDetails details;
  details.utName = "DM-A.ut2";
  EXPECT_EQ(conditionLines(details), std::vector<std::string>{"No cached file: the game purged it, or it was removed"});
  details.size = 10;
  details.condition = PackageCondition::Sound;
  EXPECT_EQ(conditionLines(details), std::vector<std::string>{"Not in the game yet"});
  details.unreadable = "it is too short for a package";
  details.installed = InstalledFile{"/game/Maps/DM-A.ut2", false};
  EXPECT_EQ(conditionLines(details),
            (std::vector<std::string>{"Cannot be read: it is too short for a package",
                                      "Already in the game, but different: /game/Maps/DM-A.ut2"}));
  EXPECT_EQ(mapHeading(details), "DM-A.ut2");
  details.summary = MapSummary{"Deck", "", "", std::nullopt, std::nullopt, 0};
  EXPECT_EQ(mapHeading(details), "Deck");
}

} // namespace

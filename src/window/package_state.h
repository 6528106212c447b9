#pragma once

#include <array>
#include <string_view>

// The one mark a row carries before its real name, in the order a sort by
// the mark column lists them: what asks for the player's attention first.
enum class PackageMark {
  Damaged,         // its cached file is not what its name says
  NoCachedFile,    // the game purged it, or it was removed
  LacksNeeds,      // a package it needs is in neither the game nor the cache
  NotItsPackage,   // its cached file is another package than its line says
  DiffersInGame,   // the game holds other bytes under its name
  IdenticalInGame, // the game holds the same bytes under its name
  None,
};

// What a screen reader says of the mark: "Damaged", "Identical in the
// game"; nothing for None.
std::string_view markName(PackageMark mark);

// What the state menu beside the filter shows of each tab.
enum class StateFilter { All, Damaged, Missing, IdenticalInGame, DiffersInGame, Ticked };

inline constexpr std::array kStateFilters{StateFilter::All,           StateFilter::Damaged,
                                          StateFilter::Missing,       StateFilter::IdenticalInGame,
                                          StateFilter::DiffersInGame, StateFilter::Ticked};

// The menu's words: "All Packages", "Damaged", "Missing", "In the Game,
// Identical", "In the Game, Different", "Ticked".
std::string_view stateFilterName(StateFilter filter);

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What is done to the ticked packages.
// Compare is the look before a move: each package against the game's file;
// Read, the reading of what packages need that was not known yet; Return,
// putting packages in the game back into the cache; Install, installing
// an archive's files into the game.
enum class PackageAction { Move, Trash, Delete, Copy, Export, Compare, Read, Return, Install };

// Where a move stands: package `current` (1-based) of `total`, and during a
// long copy how far that copy has come.
struct MoveProgress {
  std::size_t current = 0;
  std::size_t total = 0;
  std::string utName;
  std::uint64_t bytesCopied = 0;
  std::uint64_t bytesTotal = 0; // 0 when no copy is under way
  PackageAction action = PackageAction::Move;
  // Once copies begin: how many of the packages are copied (the others were
  // done before), the bytes of all those copies, and how many are copied.
  std::size_t copies = 0;
  std::uint64_t allBytesCopied = 0;
  std::uint64_t allBytesTotal = 0;
};

// How much of the work is done, from 0 to 1: by packages, but where packages
// are copied, by their bytes, so that a large copy takes its share.
double progressFraction(const MoveProgress &progress);

// What a move did, package by package; or what putting packages in the Trash
// (or deleting them) did, `moved` then being the packages that went; or what
// copying them out of the cache did, `moved` being those copied and
// `stayed` those left out.
struct MoveReport {
  using Action = PackageAction;
  Action action = Action::Move;
  struct Package {
    std::string utName;
    std::string cacheName;
    std::string reason; // why it stayed; empty for a package that moved
    // Deleted, where the Trash would take no more of them.
    bool deletedForGood = false;
  };
  std::vector<Package> moved;
  std::vector<Package> stayed;
  // Set when the user stopped the move: how many packages of how many were
  // in hand by then. The others stayed, untouched.
  bool cancelled = false;
  std::size_t handled = 0;
  std::size_t planned = 0;
};

#include "window/package_state.h"

std::string_view markName(PackageMark mark) {
  switch (mark) {
  case PackageMark::Damaged:
    return "Damaged";
  case PackageMark::NoCachedFile:
    return "No cached file";
  case PackageMark::LacksNeeds:
    return "Lacks what it needs";
  case PackageMark::NotItsPackage:
    return "Not the package its line names";
  case PackageMark::DiffersInGame:
    return "Different in the game";
  case PackageMark::IdenticalInGame:
    return "Identical in the game";
  case PackageMark::None:
    break;
  }
  return {};
}

std::string_view stateFilterName(StateFilter filter) {
  switch (filter) {
  case StateFilter::All:
    return "All Packages";
  case StateFilter::Damaged:
    return "Damaged";
  case StateFilter::Missing:
    return "Missing";
  case StateFilter::IdenticalInGame:
    return "In the Game, Identical";
  case StateFilter::DiffersInGame:
    return "In the Game, Different";
  case StateFilter::Ticked:
    return "Ticked";
  }
  return {};
}

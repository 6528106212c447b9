#pragma once

#include "package/package_tables.h"
#include "package/texture_picture.h"

#include <cstdint>
#include <string>

// Where a map's preview picture starts: an object of the map itself, or one
// the map imports from another package, which is looked up there by name.
struct PreviewSource {
  std::string path;        // the package file that holds the object
  std::int32_t object = 0; // its reference in that file, when known
  std::string objectName;  // otherwise its name there
  bool operator==(const PreviewSource &) const = default;
};

// The name of the package the import `ref` of `tables` comes from: its
// outermost object's. Empty for a reference that is not an import.
std::string importedFrom(const PackageTables &tables, std::int32_t ref);

// Opens the package at `source.path` as the readers do (no link, no FIFO,
// a plain file only) and decodes the picture its object leads to, the
// largest mip no larger than `largestSide` a side. Safe to call on any
// thread: it shares nothing.
PictureDecode decodePreview(const PreviewSource &source, std::uint32_t largestSide);

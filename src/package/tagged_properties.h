#pragma once

#include "package/package_bytes.h"
#include "package/package_tables.h"
#include "posix/name_folding.h"

#include <cstdint>
#include <optional>
#include <string>

// The game keeps an object's settings as a list of tagged properties, each
// with its name, type and size before its value, so that a reader can pass
// over what it does not know. Only values that differ from the class's
// defaults are there; the name "None" ends the list.
enum class PropertyType : std::uint8_t {
  byte = 1,
  integer = 2,
  boolean = 3,
  floating = 4,
  object = 5,
  name = 6,
  classRef = 8,
  array = 9,
  structure = 10,
  string = 13,
  fixedArray = 15,
};

// A list longer than this is taken as ended there: no object of the game's
// has near as many properties set.
inline constexpr int kMaxProperties = 1024;

struct PropertyTag {
  std::string_view name;
  std::uint8_t type = 0; // a PropertyType, or one this program does not know
  std::uint32_t size = 0;
  std::uint32_t arrayIndex = 0;
  bool boolValue = false; // of a boolean, which has no value bytes
  std::string_view structName;
  bool is(std::string_view wanted, PropertyType wantedType) const {
    return type == static_cast<std::uint8_t>(wantedType) && equalsAsciiFolded(name, wanted);
  }
};

// Reads the next tag from `in`, whose value follows it: `size` bytes (none
// for a boolean). Nothing at the end of the list, or when the tag is
// malformed, which leaves `in` failed with the reason.
std::optional<PropertyTag> readPropertyTag(PackageBytes &in, const PackageNames &names);

// Reads `object`'s data from `offset` as if the file ended with the object,
// so that nothing read of it reads past it; `expected` is as PackageBytes
// takes it.
PackageBytes objectBytes(int fd, std::uint64_t fileSize, const PackageExport &object, std::uint64_t offset,
                         std::uint64_t expected);

// Objects with a state frame, as actors have, begin with it, before their
// properties; this passes over it.
inline constexpr std::uint32_t kHasStateFrame = 0x02000000;
void skipStateFrame(PackageBytes &in);

// A list of tagged properties read a tag at a time, never more than
// kMaxProperties. Each tag's value is the caller's to read or not: after
// reading one, readWhole() says whether it was read exactly to its size
// (and fails `in` when not); whatever of a value is left unread is passed
// over when the next tag is asked for.
class PropertyList {
public:
  PropertyList(PackageBytes &in, const PackageNames &names) : in_(in), names_(names) {}

  // The next tag; nothing at the list's end, or once `in` has failed.
  std::optional<PropertyTag> next();
  // Whether the value of the last tag was read to its size, no more, no
  // less.
  bool readWhole();

private:
  PackageBytes &in_;
  const PackageNames &names_;
  std::uint64_t valueEnd_ = 0;
  bool inValue_ = false;
  int count_ = 0;
};

// An object reference value, checked against the tables: a reference to
// nothing there fails `in`.
std::int32_t readObjectRef(PackageBytes &in, const PackageTables &tables);

// Reads a string value of `size` bytes: a length that counts a final NUL,
// then as many single-byte (Latin-1) characters, or UTF-16 units when the
// length is negative. Returns it as UTF-8, up to its first NUL.
std::string readStringValue(PackageBytes &in, std::uint32_t size);

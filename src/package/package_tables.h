#pragma once

#include "package/byte_buffer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a package file of the game holds, as far as this program reads it:
// its header, its name table and its import table, and the export table
// when asked for.

// The package's GUID: four 32-bit words. A downloaded package is kept in
// the cache under the GUID as text, its cache name.
struct PackageGuid {
  std::array<std::uint32_t, 4> words{};
  // The four words in order, each as 8 upper-case hex digits.
  std::string text() const;
  bool operator==(const PackageGuid &) const = default;
};

struct PackageHeader {
  std::uint16_t version = 0;
  std::uint16_t licensee = 0;
  std::uint32_t flags = 0;
  PackageGuid guid;
};

// An object of another package that this one uses. Name fields are
// positions in the name table, checked; `outer` is an object reference: 0
// for none, -n for import n-1, n for export n-1.
struct PackageImport {
  std::uint32_t classPackage = 0;
  std::uint32_t className = 0;
  std::int32_t outer = 0;
  std::uint32_t objectName = 0;
};

// An object of this package; its data is `serialSize` bytes at
// `serialOffset`, checked to lie in the file.
struct PackageExport {
  std::int32_t classRef = 0;
  std::int32_t superRef = 0;
  std::int32_t outer = 0;
  std::uint32_t objectName = 0;
  std::uint32_t objectFlags = 0;
  std::uint32_t serialSize = 0;
  std::uint64_t serialOffset = 0;
};

// The name table: its bytes as read, and where each name lies in them, so
// that a thousand names cost two allocations and no copy each.
class PackageNames {
public:
  // A name's bytes, from `begin` in the table's; the length counts the NUL
  // that ends it.
  struct Place {
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
  };
  PackageNames() = default;
  // Every place lies in `table`: the reader makes sure of it.
  PackageNames(ByteBuffer table, std::vector<Place> places) : table_(std::move(table)), places_(std::move(places)) {}

  std::size_t size() const { return places_.size(); }
  // The name up to its first NUL, as the game reads it.
  std::string_view operator[](std::size_t index) const {
    const Place place = places_[index];
    const std::string_view bytes(reinterpret_cast<const char *>(table_.data()) + place.begin, place.length);
    return bytes.substr(0, bytes.find('\0'));
  }

private:
  ByteBuffer table_;
  std::vector<Place> places_;
};

struct PackageTables {
  PackageHeader header;
  PackageNames names;
  std::vector<PackageImport> imports;
  std::vector<PackageExport> exports; // empty unless asked for
  std::uint32_t exportCount = 0;      // as the header says, read or not
};

// Whether `ref` is an object reference within the tables, 0 aside.
bool refersToObject(const PackageTables &tables, std::int32_t ref);
// The name of the object `ref` refers to, which refersToObject(); empty for
// 0.
std::string_view objectNameAt(const PackageTables &tables, std::int32_t ref);

// The names of the packages this one needs: its imports of class "Package"
// with no outer, without an ending, in table order, each once (ASCII case
// aside).
std::vector<std::string> neededPackages(const PackageTables &tables);

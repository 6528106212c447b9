#pragma once

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

// The name table: the names one after another in one string, so that a
// thousand names cost two allocations.
class PackageNames {
public:
  void reserve(std::size_t names, std::size_t bytes) {
    ends_.reserve(names);
    text_.reserve(bytes);
  }
  void add(std::string_view name) {
    text_ += name;
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
  }
  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t index) const {
    const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
  }

private:
  std::string text_;
  std::vector<std::uint32_t> ends_;
};

struct PackageTables {
  PackageHeader header;
  PackageNames names;
  std::vector<PackageImport> imports;
  std::vector<PackageExport> exports; // empty unless asked for
};

// The names of the packages this one needs: its imports of class "Package"
// with no outer, without an ending, in table order, each once (ASCII case
// aside).
std::vector<std::string> neededPackages(const PackageTables &tables);

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Writes small packages of the game's format for tests: a header, a name
// table, an import table and an export table, laid out in that order. Each
// field can be set to what a hostile file would hold.
std::string compactIndex(std::int32_t value);

class PackageWriter {
public:
  PackageWriter();

  // The header's fields; offsets and counts are filled in by bytes() unless
  // set here.
  std::uint16_t version = 128;
  std::uint16_t licensee = 29;
  std::array<std::uint32_t, 4> guid{0x11111111, 0x22222222, 0x33333333, 0x44444444};

  // The position of `name` in the name table, added when missing.
  std::int32_t name(const std::string &name);
  // An import of the package `package` that this one needs; its reference.
  std::int32_t needs(const std::string &package);
  // Any import; `outer` is an object reference.
  std::int32_t addImport(const std::string &classPackage, const std::string &className, std::int32_t outer,
                         const std::string &objectName);
  // An export of `className` (an import's reference, or 0), named `name`,
  // with `data` as its serial data.
  std::int32_t addExport(std::int32_t classRef, const std::string &objectName, const std::string &data);
  // The same with the object flags given.
  std::int32_t addExport(std::int32_t classRef, const std::string &objectName, const std::string &data,
                         std::uint32_t flags);
  // An export whose serial size and offset say anything, with no data.
  std::int32_t addRawExport(const std::string &objectName, std::int32_t size, std::int32_t offset);

  std::string bytes() const;
  // Where the data of the next export added will begin in bytes().
  std::uint32_t nextDataOffset() const;

  // A tagged property of `type` with `value` as its bytes, its size given
  // in one or two bytes; `arrayIndex` is written when not 0. For a boolean
  // the value is the tag's top bit and there are no value bytes.
  std::string property(const std::string &name, std::uint8_t type, const std::string &value,
                       std::uint8_t arrayIndex = 0);
  std::string boolProperty(const std::string &name, bool value);
  // A struct's tag names its struct before its size.
  std::string structProperty(const std::string &name, const std::string &structName, const std::string &value);
  // The name that ends a list of properties.
  std::string endOfProperties();

  // Offsets of the header's fields, to set them to anything.
  static constexpr std::size_t kNameCount = 12, kNameOffset = 16, kExportCount = 20, kExportOffset = 24,
                               kImportCount = 28, kImportOffset = 32;

private:
  struct Import {
    std::int32_t classPackage, className, outer, objectName;
  };
  struct Export {
    std::int32_t classRef, objectName;
    std::string data;
    bool raw = false;
    std::int32_t size = 0, offset = 0;
    std::uint32_t flags = 0x00070004;
  };
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::int32_t> nameIndex_;
  std::vector<Import> imports_;
  std::vector<Export> exports_;
};

// String values of properties: single-byte characters, and UTF-16 units,
// each with its length and a final NUL.
std::string latin1Value(const std::string &text);
std::string utf16Value(const std::u16string &text);
// A little-endian 32-bit value.
std::string wordValue(std::uint32_t value);

// `bytes` with the little-endian 32-bit `value` at `offset`.
std::string withWord(std::string bytes, std::size_t offset, std::uint32_t value);

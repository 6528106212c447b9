#include "package_writer.h"

#include <algorithm>

namespace {

void putWord(std::string &bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes += static_cast<char>((value >> shift) & 0xFF);
}

} // namespace

std::string compactIndex(std::int32_t value) {
  std::string bytes;
  std::uint32_t magnitude =
      value < 0 ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(value)) : static_cast<std::uint32_t>(value);
  std::uint8_t first = (value < 0 ? 0x80 : 0) | (magnitude & 0x3F);
  magnitude >>= 6;
  if (magnitude)
    first |= 0x40;
  bytes += static_cast<char>(first);
  while (magnitude) {
    std::uint8_t next = magnitude & 0x7F;
    magnitude >>= 7;
    if (magnitude)
      next |= 0x80;
    bytes += static_cast<char>(next);
  }
  return bytes;
}

PackageWriter::PackageWriter() {
  name("None");
  name("Core");
  name("Package");
}

std::int32_t PackageWriter::name(const std::string &name) {
  const auto [found, added] = nameIndex_.try_emplace(name, static_cast<std::int32_t>(names_.size()));
  if (added)
    names_.push_back(name);
  return found->second;
}

std::int32_t PackageWriter::needs(const std::string &package) { return addImport("Core", "Package", 0, package); }

std::int32_t PackageWriter::addImport(const std::string &classPackage, const std::string &className, std::int32_t outer,
                                      const std::string &objectName) {
  imports_.push_back(Import{name(classPackage), name(className), outer, name(objectName)});
  return -static_cast<std::int32_t>(imports_.size());
}

std::int32_t PackageWriter::addExport(std::int32_t classRef, const std::string &objectName, const std::string &data) {
  exports_.push_back(Export{classRef, name(objectName), data});
  return static_cast<std::int32_t>(exports_.size());
}

std::int32_t PackageWriter::addExport(std::int32_t classRef, const std::string &objectName, const std::string &data,
                                      std::uint32_t flags) {
  const std::int32_t ref = addExport(classRef, objectName, data);
  exports_.back().flags = flags;
  return ref;
}

std::string PackageWriter::property(const std::string &name, std::uint8_t type, const std::string &value,
                                    std::uint8_t arrayIndex) {
  const bool shortValue = value.size() < 256;
  std::string tag = compactIndex(this->name(name));
  tag += static_cast<char>(type | (shortValue ? 0x50 : 0x60) | (arrayIndex != 0 ? 0x80 : 0));
  tag += static_cast<char>(value.size() & 0xFF);
  if (!shortValue)
    tag += static_cast<char>(value.size() >> 8);
  if (arrayIndex != 0)
    tag += static_cast<char>(arrayIndex);
  return tag + value;
}

std::string PackageWriter::boolProperty(const std::string &name, bool value) {
  return compactIndex(this->name(name)) + static_cast<char>(3 | (value ? 0x80 : 0));
}

std::string PackageWriter::structProperty(const std::string &name, const std::string &structName,
                                          const std::string &value) {
  std::string tag = property(name, 10, value);
  const std::size_t afterInfo = compactIndex(this->name(name)).size() + 1;
  return tag.insert(afterInfo, compactIndex(this->name(structName)));
}

std::string PackageWriter::endOfProperties() { return compactIndex(name("None")); }

std::int32_t PackageWriter::addRawExport(const std::string &objectName, std::int32_t size, std::int32_t offset) {
  exports_.push_back(Export{0, name(objectName), {}, true, size, offset});
  return static_cast<std::int32_t>(exports_.size());
}

std::uint32_t PackageWriter::nextDataOffset() const {
  std::size_t offset = 64; // the header
  for (const Export &object : exports_)
    offset += object.data.size();
  return static_cast<std::uint32_t>(offset);
}

std::string PackageWriter::bytes() const {
  // The objects' data first, after the header, so that each offset is known
  // before the export table is written.
  constexpr std::size_t kHeaderSize = 64;
  std::string data;
  std::vector<std::size_t> offsets;
  for (const Export &object : exports_) {
    offsets.push_back(kHeaderSize + data.size());
    data += object.data;
  }
  std::string names;
  for (const std::string &name : names_) {
    names += compactIndex(static_cast<std::int32_t>(name.size() + 1)) + name + '\0';
    putWord(names, 0x00070010);
  }
  std::string imports;
  for (const Import &entry : imports_) {
    imports += compactIndex(entry.classPackage) + compactIndex(entry.className);
    putWord(imports, static_cast<std::uint32_t>(entry.outer));
    imports += compactIndex(entry.objectName);
  }
  std::string exports;
  for (std::size_t index = 0; index < exports_.size(); ++index) {
    const Export &object = exports_[index];
    exports += compactIndex(object.classRef) + compactIndex(0);
    putWord(exports, 0);
    exports += compactIndex(object.objectName);
    putWord(exports, object.flags);
    const auto size = object.raw ? object.size : static_cast<std::int32_t>(object.data.size());
    exports += compactIndex(size);
    if (size > 0)
      exports += compactIndex(object.raw ? object.offset : static_cast<std::int32_t>(offsets[index]));
  }
  const std::size_t nameOffset = kHeaderSize + data.size();
  const std::size_t importOffset = nameOffset + names.size();
  const std::size_t exportOffset = importOffset + imports.size();

  std::string file = "\xC1\x83\x2A\x9E";
  file += static_cast<char>(version & 0xFF);
  file += static_cast<char>(version >> 8);
  file += static_cast<char>(licensee & 0xFF);
  file += static_cast<char>(licensee >> 8);
  putWord(file, 1); // may be downloaded
  for (const auto &[count, offset] : {std::pair(names_.size(), nameOffset), std::pair(exports_.size(), exportOffset),
                                      std::pair(imports_.size(), importOffset)}) {
    putWord(file, static_cast<std::uint32_t>(count));
    putWord(file, static_cast<std::uint32_t>(offset));
  }
  for (const std::uint32_t word : guid)
    putWord(file, word);
  putWord(file, 0); // no generations
  file.resize(kHeaderSize, '\0');
  return file + data + names + imports + exports;
}

std::string latin1Value(const std::string &text) {
  return compactIndex(static_cast<std::int32_t>(text.size() + 1)) + text + '\0';
}

std::string utf16Value(const std::u16string &text) {
  std::string bytes = compactIndex(-static_cast<std::int32_t>(text.size() + 1));
  for (const char16_t unit : text + u'\0') {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string wordValue(std::uint32_t value) {
  std::string bytes;
  putWord(bytes, value);
  return bytes;
}

std::string withWord(std::string bytes, std::size_t offset, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes[offset + static_cast<std::size_t>(shift / 8)] = static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

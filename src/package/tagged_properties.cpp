#include "package/tagged_properties.h"

#include <algorithm>

#include "posix/name_folding.h"

namespace {

// Far above any property of a map's summary or a texture: a larger value is
// taken as malformed, not read.
constexpr std::uint32_t kMaxValueSize = 1 << 20;

std::uint32_t valueSize(PackageBytes &in, std::uint8_t code) {
  constexpr std::uint32_t kFixedSizes[] = {1, 2, 4, 12, 16};
  if (code < 5)
    return kFixedSizes[code];
  if (code == 5)
    return in.u8().value_or(0);
  if (code == 6)
    return in.u16().value_or(0);
  return in.u32().value_or(0);
}

// One, two or four bytes, as the first byte's top bits say.
std::uint32_t arrayIndex(PackageBytes &in) {
  const std::uint8_t first = in.u8().value_or(0);
  if ((first & 0x80) == 0)
    return first;
  if ((first & 0xC0) == 0x80)
    return (static_cast<std::uint32_t>(first & 0x3F) << 8) | in.u8().value_or(0);
  std::uint32_t index = first & 0x3F;
  for (int byte = 0; byte < 3; ++byte)
    index = (index << 8) | in.u8().value_or(0);
  return index;
}

std::optional<std::string_view> nameAt(PackageBytes &in, const PackageNames &names) {
  const std::int32_t index = in.compactIndex().value_or(0);
  if (in.failed())
    return std::nullopt;
  if (index < 0 || static_cast<std::size_t>(index) >= names.size()) {
    in.fail("a property's name index is out of range");
    return std::nullopt;
  }
  return names[static_cast<std::size_t>(index)];
}

void appendUtf8(std::string &text, std::uint32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (code >> 18));
    text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string fromLatin1(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes.substr(0, bytes.find('\0')))
    appendUtf8(text, static_cast<unsigned char>(c));
  return text;
}

// A lone half of a surrogate pair reads as U+FFFD.
std::string fromUtf16(std::string_view bytes) {
  std::string text;
  const auto unitAt = [&](std::size_t index) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                      (static_cast<unsigned char>(bytes[2 * index + 1]) << 8));
  };
  const std::size_t units = bytes.size() / 2;
  for (std::size_t index = 0; index < units; ++index) {
    const std::uint32_t unit = unitAt(index);
    if (unit == 0)
      break;
    if (unit >= 0xD800 && unit < 0xDC00 && index + 1 < units && unitAt(index + 1) >= 0xDC00 &&
        unitAt(index + 1) < 0xE000) {
      appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(index + 1) - 0xDC00));
      ++index;
      continue;
    }
    appendUtf8(text, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
  }
  return text;
}

} // namespace

std::optional<PropertyTag> readPropertyTag(PackageBytes &in, const PackageNames &names) {
  PropertyTag tag;
  const std::optional<std::string_view> name = nameAt(in, names);
  if (!name || equalsAsciiFolded(*name, "None"))
    return std::nullopt;
  tag.name = *name;
  const std::uint8_t info = in.u8().value_or(0);
  tag.type = info & 0x0F;
  if (tag.type == static_cast<std::uint8_t>(PropertyType::structure)) {
    const std::optional<std::string_view> structName = nameAt(in, names);
    tag.structName = structName.value_or(std::string_view());
  }
  tag.size = valueSize(in, (info >> 4) & 0x07);
  if (tag.type == static_cast<std::uint8_t>(PropertyType::boolean)) {
    tag.boolValue = (info & 0x80) != 0;
    tag.size = 0;
  } else if ((info & 0x80) != 0) {
    tag.arrayIndex = arrayIndex(in);
  }
  if (in.failed())
    return std::nullopt;
  if (tag.type == 0 || tag.size > kMaxValueSize) {
    in.fail("a property in it is malformed");
    return std::nullopt;
  }
  return tag;
}

void skipStateFrame(PackageBytes &in) {
  const std::int32_t node = in.compactIndex().value_or(0);
  in.compactIndex(); // the state's node
  in.bytes(8);       // the probe mask
  in.bytes(4);       // the latent action
  if (node != 0)
    in.compactIndex();
}

std::optional<PropertyTag> PropertyList::next() {
  if (inValue_ && !in_.failed()) {
    if (in_.offset() > valueEnd_)
      in_.fail("a property in it is not the size it says");
    else if (in_.offset() < valueEnd_)
      in_.bytes(static_cast<std::size_t>(valueEnd_ - in_.offset()));
  }
  inValue_ = false;
  if (in_.failed() || count_ >= kMaxProperties)
    return std::nullopt;
  std::optional<PropertyTag> tag = readPropertyTag(in_, names_);
  if (tag) {
    ++count_;
    inValue_ = true;
    valueEnd_ = in_.offset() + tag->size;
  }
  return tag;
}

bool PropertyList::readWhole() {
  if (inValue_ && !in_.failed() && in_.offset() != valueEnd_)
    in_.fail("a property in it is not the size it says");
  inValue_ = false;
  return !in_.failed();
}

std::int32_t readObjectRef(PackageBytes &in, const PackageTables &tables) {
  const std::int32_t ref = in.compactIndex().value_or(0);
  // Checked against the header's count of exports, which may not have been
  // read: whoever follows the reference checks it against the tables.
  const std::size_t exports = std::max<std::size_t>(tables.exports.size(), tables.exportCount);
  const bool known = ref < 0 ? -static_cast<std::int64_t>(ref) - 1 < static_cast<std::int64_t>(tables.imports.size())
                             : static_cast<std::size_t>(ref) - 1 < exports;
  if (!in.failed() && ref != 0 && !known)
    in.fail("a property in it refers to no object");
  return ref;
}

std::string readStringValue(PackageBytes &in, std::uint32_t size) {
  const std::uint64_t end = in.offset() + size;
  const std::int32_t length = in.compactIndex().value_or(0);
  const std::uint64_t wide = length < 0 ? 2 : 1;
  const std::uint64_t count =
      length < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(length)) : static_cast<std::uint64_t>(length);
  if (in.failed() || in.offset() > end || count * wide != end - in.offset()) {
    in.fail("a text in it does not fit its property");
    return {};
  }
  const std::string_view bytes = in.bytes(static_cast<std::size_t>(count * wide)).value_or(std::string_view());
  return length < 0 ? fromUtf16(bytes) : fromLatin1(bytes);
}

PackageBytes objectBytes(int fd, std::uint64_t fileSize, const PackageExport &object, std::uint64_t offset,
                         std::uint64_t expected) {
  const std::uint64_t end = std::min(fileSize, object.serialOffset + object.serialSize);
  return PackageBytes(fd, end, offset, expected);
}

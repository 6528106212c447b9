#include "archive_writer.h"

#include "package/archive_contents.h"

#include <archive.h>
#include <archive_entry.h>

#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

void appendU32(std::string &bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes += static_cast<char>((value >> shift) & 0xFF);
}

// The game's compact index, for the small counts and lengths written here.
void appendCompact(std::string &bytes, std::uint32_t value) {
  bytes += static_cast<char>((value & 0x3F) | (value >= 0x40 ? 0x40 : 0));
  for (value >>= 6; value > 0; value >>= 7)
    bytes += static_cast<char>((value & 0x7F) | (value >= 0x80 ? 0x80 : 0));
}

} // namespace

std::string umodBytes(const std::vector<ArchiveItem> &items) {
  std::string bytes;
  std::string table;
  appendCompact(table, static_cast<std::uint32_t>(items.size()));
  for (const ArchiveItem &item : items) {
    std::string name = item.name;
    for (char &c : name)
      c = c == '/' ? '\\' : c;
    appendCompact(table, static_cast<std::uint32_t>(name.size() + 1));
    table += name;
    table += '\0';
    appendU32(table, static_cast<std::uint32_t>(bytes.size()));
    appendU32(table, static_cast<std::uint32_t>(item.bytes.size()));
    appendU32(table, 0);
    bytes += item.bytes;
  }
  const auto tableOffset = static_cast<std::uint32_t>(bytes.size());
  bytes += table;
  appendU32(bytes, kUmodMagic);
  appendU32(bytes, tableOffset);
  appendU32(bytes, static_cast<std::uint32_t>(bytes.size() + 12));
  appendU32(bytes, 1);
  appendU32(bytes, 0);
  return bytes;
}

bool writeArchive(const std::string &path, ArchiveFormat format, const std::vector<ArchiveItem> &items) {
  if (format == ArchiveFormat::Umod) {
    std::ofstream out(path, std::ios::binary);
    out << umodBytes(items);
    return static_cast<bool>(out);
  }
  const std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(), archive_write_free);
  archive *raw = writer.get();
  if (format == ArchiveFormat::Zip)
    archive_write_set_format_zip(raw);
  else if (format == ArchiveFormat::SevenZip)
    archive_write_set_format_7zip(raw);
  else {
    archive_write_set_format_pax_restricted(raw);
    archive_write_add_filter_gzip(raw);
  }
  if (archive_write_open_filename(raw, path.c_str()) != ARCHIVE_OK)
    return false;
  for (const ArchiveItem &item : items) {
    const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname(entry.get(), item.name.c_str());
    archive_entry_set_perm(entry.get(), 0644);
    if (item.kind == ArchiveItem::Kind::Link) {
      archive_entry_set_filetype(entry.get(), AE_IFLNK);
      archive_entry_set_symlink(entry.get(), item.bytes.c_str());
    } else if (item.kind == ArchiveItem::Kind::Device) {
      archive_entry_set_filetype(entry.get(), AE_IFCHR);
      archive_entry_set_rdev(entry.get(), makedev(1, 3));
    } else {
      archive_entry_set_filetype(entry.get(), AE_IFREG);
      archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.bytes.size()));
    }
    if (archive_write_header(raw, entry.get()) != ARCHIVE_OK)
      return false;
    if (item.kind == ArchiveItem::Kind::File && !item.bytes.empty() &&
        archive_write_data(raw, item.bytes.data(), item.bytes.size()) != static_cast<la_ssize_t>(item.bytes.size()))
      return false;
  }
  return archive_write_close(raw) == ARCHIVE_OK;
}

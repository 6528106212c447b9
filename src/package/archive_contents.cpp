#include "package/archive_contents.h"

#include "package/package_reader.h"
#include "package/umod_contents.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;

struct ArchiveFree {
  void operator()(archive *handle) const { archive_read_free(handle); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveFree>;

// The archive open as `fd`, read with the formats players' archives come
// in, compressed as they may be; nothing, with `why`, when it is none.
ArchiveHandle openArchive(int fd, std::string &why) {
  ArchiveHandle handle(archive_read_new());
  if (!handle) {
    why = "there is no memory to read it";
    return nullptr;
  }
  archive *raw = handle.get();
  archive_read_support_filter_all(raw);
  archive_read_support_format_zip(raw);
  archive_read_support_format_7zip(raw);
  archive_read_support_format_rar(raw);
  archive_read_support_format_rar5(raw);
  archive_read_support_format_tar(raw);
  if (archive_read_open_fd(raw, fd, kBlockBytes) != ARCHIVE_OK) {
    why = "it is not an archive this reads (" +
          std::string(archive_error_string(raw) ? archive_error_string(raw) : "") + ")";
    return nullptr;
  }
  return handle;
}

std::string errorOf(archive *handle) {
  const char *text = archive_error_string(handle);
  return text ? std::string(text) : std::string("a read failed");
}

ArchiveEntry::Kind kindOf(archive_entry *entry) {
  if (archive_entry_hardlink(entry))
    return ArchiveEntry::Kind::Link;
  switch (archive_entry_filetype(entry)) {
  case AE_IFREG:
    return archive_entry_is_encrypted(entry) ? ArchiveEntry::Kind::Other : ArchiveEntry::Kind::File;
  case AE_IFDIR:
    return ArchiveEntry::Kind::Folder;
  case AE_IFLNK:
    return ArchiveEntry::Kind::Link;
  case AE_IFCHR:
  case AE_IFBLK:
    return ArchiveEntry::Kind::Device;
  default:
    return ArchiveEntry::Kind::Other;
  }
}

// Windows tools write "Maps\DM-X.ut2".
std::string withSlashes(std::string name) {
  for (char &c : name)
    c = c == '\\' ? '/' : c;
  return name;
}

struct OpenedFile {
  FileDescriptor fd;
  std::uint64_t size = 0;
  std::string why;
};

OpenedFile openPlainFile(const std::string &path) {
  OpenedFile opened{openPackageFile(path), 0, {}};
  struct stat info {};
  if (!opened.fd.valid() || ::fstat(opened.fd.get(), &info) != 0) {
    opened.why = "it cannot be opened";
    return opened;
  }
  if (!S_ISREG(info.st_mode)) {
    opened.why = "it is not a plain file";
    return opened;
  }
  opened.size = static_cast<std::uint64_t>(info.st_size);
  return opened;
}

ArchiveContents listUmod(int fd, std::uint64_t size) {
  ArchiveContents contents;
  contents.archiveBytes = size;
  UmodContents umod = readUmodContents(fd, size);
  contents.unreadable = std::move(umod.unreadable);
  for (UmodFile &file : umod.files)
    contents.entries.push_back({std::move(file.name), ArchiveEntry::Kind::File, file.size});
  return contents;
}

ArchiveContents listWithLibarchive(int fd, std::uint64_t size) {
  ArchiveContents contents;
  contents.archiveBytes = size;
  ArchiveHandle handle = openArchive(fd, contents.unreadable);
  if (!handle)
    return contents;
  archive_entry *entry = nullptr;
  for (int status; (status = archive_read_next_header(handle.get(), &entry)) != ARCHIVE_EOF;) {
    if (status < ARCHIVE_WARN) {
      contents.unreadable = errorOf(handle.get());
      return contents;
    }
    if (contents.entries.size() == kMostArchiveEntries) {
      contents.unreadable = "it holds more files than any archive of the game's";
      return contents;
    }
    const char *name = archive_entry_pathname(entry);
    ArchiveEntry listed{withSlashes(name ? name : ""), kindOf(entry), std::nullopt};
    if (listed.name.empty() || listed.name.size() > kMostEntryNameBytes) {
      contents.unreadable = "a name in it cannot be right";
      return contents;
    }
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) >= 0)
      listed.size = static_cast<std::uint64_t>(archive_entry_size(entry));
    contents.entries.push_back(std::move(listed));
  }
  return contents;
}

std::optional<std::string> streamUmod(int fd, std::uint64_t size, const std::vector<bool> &wanted,
                                      const EntrySink &sink) {
  const UmodContents umod = readUmodContents(fd, size);
  if (!umod.unreadable.empty())
    return umod.unreadable;
  std::vector<char> block(kBlockBytes);
  for (std::size_t index = 0; index < umod.files.size() && index < wanted.size(); ++index) {
    if (!wanted[index] || !sink.begin(index))
      continue;
    const UmodFile &file = umod.files[index];
    for (std::uint64_t done = 0; done < file.size;) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), file.size - done));
      const ssize_t got = ::pread(fd, block.data(), want, static_cast<off_t>(file.offset + done));
      if (got <= 0)
        return std::string("the installer could not be read to its end");
      if (!sink.data(block.data(), static_cast<std::size_t>(got)))
        return std::string("stopped");
      done += static_cast<std::uint64_t>(got);
    }
    sink.end(index);
  }
  return std::nullopt;
}

std::optional<std::string> streamWithLibarchive(int fd, const std::vector<bool> &wanted, const EntrySink &sink) {
  std::string why;
  ArchiveHandle handle = openArchive(fd, why);
  if (!handle)
    return why;
  std::size_t last = wanted.size();
  while (last > 0 && !wanted[last - 1])
    --last;
  std::vector<char> block(kBlockBytes);
  archive_entry *entry = nullptr;
  for (std::size_t index = 0; index < last; ++index) {
    const int status = archive_read_next_header(handle.get(), &entry);
    if (status == ARCHIVE_EOF)
      return std::string("the archive ends before the files it lists");
    if (status < ARCHIVE_WARN)
      return errorOf(handle.get());
    if (!wanted[index] || !sink.begin(index))
      continue;
    for (;;) {
      const la_ssize_t got = archive_read_data(handle.get(), block.data(), block.size());
      if (got < 0)
        return errorOf(handle.get());
      if (got == 0)
        break;
      if (!sink.data(block.data(), static_cast<std::size_t>(got)))
        return std::string("stopped");
    }
    sink.end(index);
  }
  return std::nullopt;
}

} // namespace

ArchiveContents readArchiveContents(const std::string &path) {
  const OpenedFile file = openPlainFile(path);
  if (!file.why.empty()) {
    ArchiveContents contents;
    contents.unreadable = file.why;
    return contents;
  }
  if (looksLikeUmod(file.fd.get(), file.size))
    return listUmod(file.fd.get(), file.size);
  return listWithLibarchive(file.fd.get(), file.size);
}

std::optional<std::string> streamArchiveEntries(const std::string &path, const std::vector<bool> &wanted,
                                                const EntrySink &sink) {
  const OpenedFile file = openPlainFile(path);
  if (!file.why.empty())
    return file.why;
  if (looksLikeUmod(file.fd.get(), file.size))
    return streamUmod(file.fd.get(), file.size, wanted, sink);
  return streamWithLibarchive(file.fd.get(), wanted, sink);
}

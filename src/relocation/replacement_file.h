#pragma once

#include "posix/file_descriptor.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

// Whether `name` is one this class gives its temporary files:
// ".cache-sorter-" and six letters or digits.
bool isTemporaryFileName(std::string_view name);

// A new file that takes the place of `target` only once it is complete: it is
// written as a temporary file in the target's folder, finished, and renamed
// over the target by commit(). Until then the target stays as it was, and a
// replacement that is not committed removes its temporary file.
class ReplacementFile {
public:
  explicit ReplacementFile(std::string target);
  ReplacementFile(const ReplacementFile &) = delete;
  ReplacementFile &operator=(const ReplacementFile &) = delete;
  ~ReplacementFile();

  // False when the temporary file could not be created (a missing folder, no
  // right to write there), or when a folder, or a link to one, stands at the
  // target; error() then says why.
  bool valid() const { return file_.valid(); }
  int error() const { return error_; }
  int fd() const { return file_.get(); }
  const std::string &target() const { return target_; }

  enum class Flush { Now, WithItsVolume };
  // Gives the file the permission bits (and, where the process may, the
  // owner) of the file it replaces, and closes it; a new file keeps those of
  // any new file, 0666 less the umask. Its bytes are flushed first, or
  // readied for a later flushVolume(). False when any step fails.
  bool finish(Flush flush);
  // Renames the finished file over the target. False when it is not finished
  // or the rename fails; the target is then untouched.
  bool commit();

private:
  std::string target_;
  std::optional<struct stat> replaced_; // what stood at the target
  std::string temporaryPath_;
  FileDescriptor file_;
  int error_ = 0;
  bool finished_ = false;
};

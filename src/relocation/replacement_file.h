#pragma once

#include "posix/file_descriptor.h"

#include <string>
#include <string_view>

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
  // right to write there).
  bool valid() const { return file_.valid(); }
  int fd() const { return file_.get(); }
  const std::string &target() const { return target_; }

  enum class Flush { Now, WithItsVolume };
  // Gives the file the permission bits of the file it replaces (those of any
  // new file, 0666 less the umask, when there is none) and closes it. Its
  // bytes are flushed first, or readied for a later flushVolume(). False when
  // any step fails.
  bool finish(Flush flush);
  // Renames the finished file over the target. False when it is not finished
  // or the rename fails; the target is then untouched.
  bool commit();

private:
  std::string target_;
  std::string temporaryPath_;
  FileDescriptor file_;
  bool finished_ = false;
};

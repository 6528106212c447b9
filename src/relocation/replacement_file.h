#pragma once

#include "posix/file_descriptor.h"

#include <string>

// A new file that takes the place of `target` only once it is complete: it is
// written as a temporary file in the target's folder and renamed over the
// target by commit(). Until then the target stays as it was, and a
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

  // Gives the file the permission bits of the file it replaces (those of any
  // new file, 0666 less the umask, when there is none), flushes it to disk,
  // closes it and renames it over the target. False when any step fails; the
  // temporary file is then gone and the target untouched.
  bool commit();

private:
  std::string target_;
  std::string temporaryPath_;
  FileDescriptor file_;
};

#pragma once

#include "posix/file_descriptor.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

// Whether `name` is one this program gives its temporary files:
// ".cache-sorter-" and six letters or digits.
bool isTemporaryFileName(std::string_view name);

// A temporary name that nothing in the open folder `folder` bears now. The
// caller records it (in the journal) before the file is created, so that
// only files this program made are ever removed as its own.
std::string newTemporaryName(int folder);
// The same for a folder not yet known: a random name of that form.
std::string newTemporaryName();

// Removes the temporary file `name` a journal recorded from the open folder
// `folder`, when a plain file stands there under one of this program's
// temporary names: false when it may still be there.
bool removeTemporaryFile(int folder, const std::string &name);

// A new file that takes the place of `leaf` in the open folder `folder`
// (which must stay open while this lives) only once it is complete: it is written as the temporary file `temporaryName`
// in the same folder, finished, and renamed over the target by commit(). Until then the target stays as it was, and a
// replacement that is not committed removes its temporary file.
class ReplacementFile {
public:
  ReplacementFile(int folder, std::string leaf, std::string temporaryName);
  ReplacementFile(const ReplacementFile &) = delete;
  ReplacementFile &operator=(const ReplacementFile &) = delete;
  ~ReplacementFile();

  // False when the temporary file could not be created (no right to write,
  // its name taken), or when a folder, or a link to one, stands at the
  // target; error() then says why.
  bool valid() const { return file_.valid(); }
  int error() const { return error_; }
  int fd() const { return file_.get(); }
  int folder() const { return folder_; }
  const std::string &leaf() const { return leaf_; }

  enum class Flush { Now, WithItsVolume };
  // Gives the file the permission bits (and, where the process may, the
  // owner) of the file it replaces, and closes it; a new file keeps those of
  // any new file, 0666 less the umask. Its bytes are flushed first, or
  // readied for a later flushVolume(). False when any step fails.
  bool finish(Flush flush);
  // Renames the finished file over the target; with `onlyIfAbsent`, only
  // while nothing stands there (EEXIST otherwise). False, with errno set,
  // when it is not finished or the rename fails; the target is then
  // untouched.
  bool commit(bool onlyIfAbsent = false);

private:
  int folder_;
  std::string leaf_;
  std::optional<struct stat> replaced_; // what stood at the target
  std::string temporaryName_;           // empty once committed or never made
  FileDescriptor file_;
  int error_ = 0;
  bool finished_ = false;
};

// Renames `from` to `to` in open folders without replacing anything: 0, or
// the errno. EEXIST when something stands at `to`; EINVAL or ENOSYS when the
// system cannot rename that way.
int renameWithoutReplacing(int fromFolder, const std::string &from, int toFolder, const std::string &to);

#pragma once

#include "posix/file_descriptor.h"

#include <string>
#include <utility>
#include <vector>

// The temporary files that copies out of the cache are written as, each
// recorded before it is made, in a journal of the program's own:
// "<dataHome>/cache-sorter/copies-XXXXXX". The copies go to folders of the
// user's choosing, so no journal there could be found again; this one is
// found at the next start. A run holds a lock on its journal while it lives:
// one that nobody holds is an ended run's.
class CopyJournal {
public:
  explicit CopyJournal(const std::string &dataHome);
  CopyJournal(const CopyJournal &) = delete;
  CopyJournal &operator=(const CopyJournal &) = delete;
  // Removes the journal when no temporary it names is left; otherwise it
  // stays for the next start.
  ~CopyJournal();

  // Records the temporary file `name` in the folder at the absolute path
  // `folder`, durably; false when it cannot be recorded, and the file must
  // then not be made.
  bool record(const std::string &folder, const std::string &name);

private:
  std::string path_;
  FileDescriptor file_;
  bool broken_ = false; // a record was cut short: none may follow it
  std::vector<std::pair<std::string, std::string>> recorded_;
};

// At start-up: removes the temporary files (plain files of this program's
// temporary names only) that the journals of ended runs name, then each
// journal whose files are all gone, and any scratch file a run was killed
// too early to unlink.
void removeCopyLeftovers(const std::string &dataHome);

// A file to read and write in the data folder that has no name, so that
// nothing of it outlives the run: O_TMPFILE, or where the file system has no
// such files, one unlinked the moment it is made.
FileDescriptor openScratchFile(const std::string &dataHome);

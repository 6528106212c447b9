#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Careful edits of the game's own settings file (System/UT2004.ini). The
// game reads it at start and writes it whole when it quits, so an edit
// changes only the lines it adds and keeps every other byte: the line ends,
// the sections, their order.

// `text` with each of `lines` that its [Core.System] section lacks added,
// together, after that section's last line of the first missing line's key
// ("Paths=" after the last "Paths="), or at the section's end; a missing
// section is added at the end of the file. Lines compare with their key's case and surrounding blanks
// aside, as the game reads them. New lines end as the file's first line
// does (CRLF or LF).
std::string withCoreSystemLines(std::string_view text, const std::vector<std::string> &lines);

// `text` with the first line of `key` in [Core.System] given `value`, the
// key's spelling and the blanks around the value kept; where the section
// has no such line, "<key>=<value>" is added as withCoreSystemLines() adds
// it.
std::string withCoreSystemValue(std::string_view text, std::string_view key, std::string_view value);

// Adds `lines` to [Core.System] of the settings file at `iniPath`: written
// as a temporary file beside it (recorded first in the journal of the
// program's copies in `dataHome`, so that a kill leaves nothing after the
// next start), flushed, and renamed over it, with the file before kept
// beside it as "<iniPath>.cache-sorter.bak". Nothing is written when no
// line is missing. Refused when the file is not a plain file of a settings
// file's size, or changes while it is edited. Returns why it could not.
std::optional<std::string> addCoreSystemLines(const std::string &iniPath, const std::vector<std::string> &lines,
                                              const std::string &dataHome);

// Sets `key` to `value` in [Core.System] of the settings file at `iniPath`,
// the file replaced as addCoreSystemLines() replaces it.
std::optional<std::string> setCoreSystemValue(const std::string &iniPath, std::string_view key, std::string_view value,
                                              const std::string &dataHome);

// The name the file before an edit is kept under.
std::string settingsBackupOf(const std::string &iniPath);

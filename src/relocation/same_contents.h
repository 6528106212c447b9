#pragma once

#include <optional>
#include <string>

// Whether the plain files at `first` and `second` hold the same bytes: sizes
// first, then the contents, block by block. Nothing when either cannot be
// read, or is not a plain file.
std::optional<bool> sameContents(const std::string &first, const std::string &second);

#pragma once

#include <optional>
#include <string>
#include <string_view>

// The string value `name` of the key `key` (its parts joined by single
// backslashes, "Software\Unreal Technology") in the text of a Wine registry
// file such as system.reg. Key and value names fold ASCII case, as Windows
// compares them; escapes in the file are undone. Nothing when the key, the
// value or a string there is missing.
std::optional<std::string> registryString(std::string_view text, std::string_view key, std::string_view name);

// Wine's registry files: "[Key\\Path] <time>" lines open a key; lines
// "\"Name\"=\"Value\"" (or str(2):"Value") hold its values; ";" and "#" lines
// are comments.
#include "app/installations/registry_file.h"

#include "posix/name_folding.h"

namespace {

// The quoted text at the start of `line`, escapes undone, and `line` moved
// past it; nothing when `line` does not start with a closed quote.
std::optional<std::string> takeQuoted(std::string_view &line) {
  if (!line.starts_with('"'))
    return std::nullopt;
  std::string value;
  for (std::size_t at = 1; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"') {
      line.remove_prefix(at + 1);
      return value;
    }
    if (c == '\\' && at + 1 < line.size()) {
      c = line[++at];
      c = c == 'n' ? '\n' : c == 't' ? '\t' : c == '0' ? '\0' : c;
    }
    value.push_back(c);
  }
  return std::nullopt;
}

// The key a "[...]" line opens, its doubled backslashes made single.
std::optional<std::string> keyOfLine(std::string_view line) {
  const std::size_t close = line.rfind(']');
  if (!line.starts_with('[') || close == std::string_view::npos)
    return std::nullopt;
  std::string key;
  const std::string_view inner = line.substr(1, close - 1);
  for (std::size_t at = 0; at < inner.size(); ++at) {
    key.push_back(inner[at]);
    if (inner[at] == '\\' && at + 1 < inner.size() && inner[at + 1] == '\\')
      ++at;
  }
  return key;
}

// The string a value line of `name` holds, when the line is one.
std::optional<std::string> valueOfLine(std::string_view line, std::string_view name) {
  const std::optional<std::string> valueName = takeQuoted(line);
  if (!valueName || !equalsAsciiFolded(*valueName, name) || !line.starts_with('='))
    return std::nullopt;
  line.remove_prefix(1);
  // A string with %VARIABLES% in it, which the game's installer does not write.
  if (line.starts_with("str(2):"))
    line.remove_prefix(7);
  return takeQuoted(line);
}

} // namespace

std::optional<std::string> registryString(std::string_view text, std::string_view key, std::string_view name) {
  bool inKey = false;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (line.starts_with('[')) {
      const std::optional<std::string> opened = keyOfLine(line);
      inKey = opened && equalsAsciiFolded(*opened, key);
      continue;
    }
    if (!inKey)
      continue;
    if (std::optional<std::string> value = valueOfLine(line, name))
      return value;
  }
  return std::nullopt;
}

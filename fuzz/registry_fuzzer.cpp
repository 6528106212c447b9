// Feeds arbitrary bytes to the reader of Wine's system.reg. For any input it
// must end, and a folder it gives is no longer than the text.
#include "app/installations/registry_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  for (const std::string_view key :
       {"Software\\Wow6432Node\\Unreal Technology\\Installed Apps\\UT2004", "Software\\Unreal Technology"}) {
    if (const std::optional<std::string> folder = registryString(text, key, "Folder"); folder && folder->size() > size)
      std::abort();
  }
  return 0;
}

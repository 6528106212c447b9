// Feeds arbitrary bytes to the reader of Steam's libraryfolders.vdf. For any
// input it must end, and every library it gives is one the text spelled.
#include "app/installations/steam_library_list.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  if (const std::optional<std::vector<std::string>> folders = steamLibraryFolders(text)) {
    for (const std::string &folder : *folders) {
      if (folder.size() > size)
        std::abort();
    }
  }
  return 0;
}

// Feeds arbitrary bytes to the readers of Lutris' YAML and Heroic's JSON as
// the first byte picks. For any input they must end without throwing.
#include "app/installations/heroic_source.h"
#include "app/installations/lutris_source.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::string_view text(reinterpret_cast<const char *>(data) + 1, size - 1);
  switch (data[0] % 3) {
  case 0:
    (void)parseLutrisGame(text);
    break;
  case 1:
    (void)heroicInstalledFolders(text);
    break;
  default:
    (void)heroicSideloadedFolders(text);
    break;
  }
  return 0;
}

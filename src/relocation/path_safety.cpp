#include "relocation/path_safety.h"

bool leavesItsFolder(std::string_view name) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = name.find('/', start);
    const std::string_view component = name.substr(start, end == std::string_view::npos ? end : end - start);
    if (component == "..")
      return true;
    if (end == std::string_view::npos)
      return false;
    start = end + 1;
  }
}

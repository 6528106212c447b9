#include "relocation/move_progress.h"

#include <algorithm>

double progressFraction(const MoveProgress &progress) {
  if (progress.total == 0)
    return 0;
  const auto total = static_cast<double>(progress.total);
  if (progress.allBytesTotal > 0) {
    const auto copies = static_cast<double>(std::min(progress.copies, progress.total));
    const double copied = static_cast<double>(std::min(progress.allBytesCopied, progress.allBytesTotal)) /
                          static_cast<double>(progress.allBytesTotal);
    return (total - copies + copies * copied) / total;
  }
  const double partial = progress.bytesTotal > 0
                             ? static_cast<double>(std::min(progress.bytesCopied, progress.bytesTotal)) /
                                   static_cast<double>(progress.bytesTotal)
                             : 0;
  const auto done = static_cast<double>(std::min(progress.current > 0 ? progress.current - 1 : 0, progress.total));
  return std::min(1.0, (done + partial) / total);
}

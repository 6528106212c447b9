#pragma once

#include "package/package_knowledge.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Reads package files on one thread of the lowest priority, in the order
// given, into `knowledge`; a file known in its present state is not read
// again. Nothing here waits on the reading: destroying the reader stops it
// after the file in hand without waiting for that file (a slow disk, a
// network folder), and from then on `afterEach` is not called again. The
// thread shares the knowledge, so it may finish that file after the reader
// has gone.
class BackgroundReader {
public:
  // `afterEach` runs on the reading thread after each file (the window
  // posts a repaint of its count from it; tests hold the thread there).
  BackgroundReader(std::shared_ptr<PackageKnowledge> knowledge, std::vector<std::string> paths,
                   std::function<void(std::size_t done)> afterEach = {});
  BackgroundReader(const BackgroundReader &) = delete;
  BackgroundReader &operator=(const BackgroundReader &) = delete;
  // Waits only for an `afterEach` under way.
  ~BackgroundReader();

  // Asks the reading to stop after the file in hand, without waiting.
  void requestStop() { state_->stopped = true; }

  std::size_t done() const { return state_->done.load(); }
  std::size_t total() const { return total_; }
  bool finished() const { return done() == total_; }

private:
  // What the reader and its thread share; the last of them frees it.
  struct State {
    std::atomic<bool> stopped{false};
    std::atomic<std::size_t> done{0};
    std::mutex calling; // held while afterEach runs, and while it is cleared
    std::function<void(std::size_t)> afterEach;
  };
  static void run(const std::shared_ptr<State> &state, const std::shared_ptr<PackageKnowledge> &knowledge,
                  const std::vector<std::string> &paths);

  const std::size_t total_;
  const std::shared_ptr<State> state_;
};

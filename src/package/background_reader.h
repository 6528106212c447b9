#pragma once

#include "package/package_knowledge.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Reads package files on one thread of the lowest priority, in the order
// given, into `knowledge`; a file known in its present state is not read
// again. It stops at once when destroyed (the file in hand is finished), so
// a new reading replaces an old one by taking its place. Nothing here waits
// on it.
class BackgroundReader {
public:
  // `afterEach` runs on the reading thread after each file (the window
  // schedules a repaint of its count from it; tests hold the thread there).
  BackgroundReader(PackageKnowledge &knowledge, std::vector<std::string> paths,
                   std::function<void(std::size_t done)> afterEach = {});
  BackgroundReader(const BackgroundReader &) = delete;
  BackgroundReader &operator=(const BackgroundReader &) = delete;
  ~BackgroundReader();

  // Asks the reading to stop after the file in hand, without waiting.
  void requestStop() { thread_.request_stop(); }

  std::size_t done() const { return done_.load(); }
  std::size_t total() const { return total_; }
  bool finished() const { return done_.load() == total_; }

private:
  void run(const std::stop_token &stop);

  PackageKnowledge &knowledge_;
  const std::vector<std::string> paths_;
  const std::size_t total_;
  std::function<void(std::size_t)> afterEach_;
  std::atomic<std::size_t> done_{0};
  std::jthread thread_; // last: it starts once the rest is there
};

#include "package/background_reader.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The reading gives way to everything else the machine does.
void lowestPriority() {
#ifdef __linux__
  const sched_param none{};
  pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
#endif
}

} // namespace

BackgroundReader::BackgroundReader(PackageKnowledge &knowledge, std::vector<std::string> paths,
                                   std::function<void(std::size_t)> afterEach)
    : knowledge_(knowledge), paths_(std::move(paths)), total_(paths_.size()), afterEach_(std::move(afterEach)),
      thread_([this](const std::stop_token &stop) { run(stop); }) {}

BackgroundReader::~BackgroundReader() {
  thread_.request_stop();
  if (thread_.joinable())
    thread_.join();
}

void BackgroundReader::run(const std::stop_token &stop) {
  lowestPriority();
  for (const std::string &path : paths_) {
    if (stop.stop_requested())
      return;
    knowledge_.learnAt(path);
    const std::size_t done = ++done_;
    if (afterEach_)
      afterEach_(done);
  }
}

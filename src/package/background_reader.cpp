#include "package/background_reader.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
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

BackgroundReader::BackgroundReader(std::shared_ptr<PackageKnowledge> knowledge, std::vector<std::string> paths,
                                   std::function<void(std::size_t)> afterEach)
    : total_(paths.size()), state_(std::make_shared<State>()) {
  state_->afterEach = std::move(afterEach);
  std::thread([state = state_, knowledge = std::move(knowledge), paths = std::move(paths)] {
    run(state, knowledge, paths);
  }).detach();
}

BackgroundReader::~BackgroundReader() {
  state_->stopped = true;
  const std::lock_guard lock(state_->calling);
  state_->afterEach = {};
}

void BackgroundReader::run(const std::shared_ptr<State> &state, const std::shared_ptr<PackageKnowledge> &knowledge,
                           const std::vector<std::string> &paths) {
  lowestPriority();
  for (const std::string &path : paths) {
    if (state->stopped)
      return;
    knowledge->learnAt(path);
    const std::size_t done = ++state->done;
    const std::lock_guard lock(state->calling);
    if (state->afterEach && !state->stopped)
      state->afterEach(done);
  }
}

#include "mapio/helper_threads.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <utility>

helper_threads& helper_threads::shared() {
  static helper_threads threads;
  return threads;
}

helper_threads::~helper_threads() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

int helper_threads::run(int count, const std::function<void()>& work) {
  const std::lock_guard lock(mutex_);
  try {
    while (static_cast<int>(threads_.size()) < count) threads_.emplace_back([this] { serve(); });
  } catch (const std::system_error&) {
    // The threads there are take the work.
  }
  count = std::min(count, static_cast<int>(threads_.size()));
  waiting_.insert(waiting_.end(), static_cast<std::size_t>(count), work);
  ready_.notify_all();
  return count;
}

void helper_threads::serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    std::function<void()> work = std::move(waiting_.back());
    waiting_.pop_back();
    lock.unlock();
    work();
    lock.lock();
  }
}

#include "render/band_worker.h"

#include <system_error>

band_worker::~band_worker() {
  if (!started_) return;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void band_worker::serve() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [this] { return quit_ || job_ != nullptr; });
    if (quit_) return;
    const std::function<void()>* job = job_;
    job_ = nullptr;
    busy_ = true;
    hold.unlock();
    (*job)();
    hold.lock();
    busy_ = false;
    finished_.notify_one();
  }
}

void band_worker::run(const std::function<void()>& there, const std::function<void()>& here) {
  if (!started_) {
    try {
      thread_ = std::thread([this] { serve(); });
      started_ = true;
    } catch (const std::system_error&) {
      there();
      here();
      return;
    }
  }
  {
    const std::lock_guard<std::mutex> hold(lock_);
    job_ = &there;
  }
  wake_.notify_one();
  here();
  std::unique_lock<std::mutex> hold(lock_);
  finished_.wait(hold, [this] { return job_ == nullptr && !busy_; });
}

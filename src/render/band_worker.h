// A second thread for drawing: one job runs on it while the caller runs
// another, and both are done when run returns. The frame's image is split
// into bands of rows, one for each.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class band_worker {
 public:
  band_worker() = default;
  ~band_worker();
  band_worker(const band_worker&) = delete;
  band_worker& operator=(const band_worker&) = delete;

  // Runs there on the worker and here on the calling thread, and returns when
  // both are done. Where no thread can be started, runs both here in turn.
  void run(const std::function<void()>& there, const std::function<void()>& here);

 private:
  void serve();

  std::thread thread_;
  bool started_ = false;
  std::mutex lock_;
  std::condition_variable wake_, finished_;
  const std::function<void()>* job_ = nullptr;  // waiting for the worker, or null
  bool busy_ = false;                           // the worker is running a job
  bool quit_ = false;
};

// Threads kept from one read to the next for the brush rebuilds: starting a
// thread for a read and ending it after costs about as long as rebuilding a
// hundred brushes, and the read of a small map would wait for both.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class helper_threads {
 public:
  // The program's threads, started as they are first needed.
  static helper_threads& shared();

  helper_threads() = default;
  // Waits for the threads, which are idle by then: every rebuild waits for
  // its work to end.
  ~helper_threads();
  helper_threads(const helper_threads&) = delete;
  helper_threads& operator=(const helper_threads&) = delete;

  // Has `work` run `count` times on the threads, starting threads so that
  // there are that many; returns how many times it will run, fewer when no
  // further thread could be started.
  int run(int count, const std::function<void()>& work);

 private:
  void serve();

  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<std::thread> threads_;
  std::vector<std::function<void()>> waiting_;  // work no thread has taken yet
  bool stopping_ = false;
};

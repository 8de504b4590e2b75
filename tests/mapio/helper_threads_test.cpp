#include "mapio/helper_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

// Work handed out several times at once runs at the same time on as many
// threads (each copy here waits until all have started, which could not
// happen on fewer), and the next hand-out finds the same threads waiting.
TEST(HelperThreads, WorkRunsOnAsManyThreadsAtOnceAndTheThreadsStay) {
  helper_threads threads;
  std::set<std::thread::id> every;
  for (const int count : {3, 2, 3}) {
    std::atomic<int> arrived{0}, done{0};
    std::mutex mutex;
    std::set<std::thread::id> ran_on;
    const int started = threads.run(count, [&] {
      ++arrived;
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (arrived.load() < count && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
      {
        const std::lock_guard lock(mutex);
        ran_on.insert(std::this_thread::get_id());
      }
      ++done;
    });
    ASSERT_EQ(started, count);
    while (done.load() < count) std::this_thread::yield();
    EXPECT_EQ(arrived.load(), count);
    EXPECT_EQ(static_cast<int>(ran_on.size()), count);
    EXPECT_EQ(ran_on.count(std::this_thread::get_id()), 0U);
    every.insert(ran_on.begin(), ran_on.end());
  }
  EXPECT_EQ(every.size(), 3U);
}

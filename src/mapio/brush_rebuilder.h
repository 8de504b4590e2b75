// The brushes closed while a map is read, rebuilt from their planes. Every
// brush is rebuilt on its own, so while the reader goes on through the text,
// other threads take the brushes in batches; at the end the reader helps with
// what is left. Each brush's result is kept by its number, so what the reader
// reports does not depend on which thread rebuilt what, or when.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "model/types.h"

class brush_rebuilder {
 public:
  // threads counts the reading one; with fingerprints each brush also
  // takes its fingerprint as rebuilt (text_span::read_as).
  brush_rebuilder(int threads, bool fingerprints)
      : helpers_(std::max(threads, 1) - 1), fingerprints_(fingerprints) {}
  ~brush_rebuilder() { stop_helpers(true); }
  brush_rebuilder(const brush_rebuilder&) = delete;
  brush_rebuilder& operator=(const brush_rebuilder&) = delete;

  // Queues the closed brush b, whose record starts at `at` in the text.
  void add(brush_t* b, std::size_t at);

  // Queues the marker box of a point entity, made without its polygons: it
  // is rebuilt as the brushes are, but not counted among them.
  void add_marker(brush_t* b);

  // Rebuilds what no other thread has taken yet and waits for the rest. A
  // failure on any thread (memory ran out) is thrown here.
  void finish();

  // The brushes queued, and for the i-th of them, once finished, how many of
  // its faces have a plane that is not a number and where it starts.
  std::size_t size() const {
    return batches_.empty() ? 0 : (batches_.size() - 1) * BATCH + batches_.back()->count;
  }
  int unbuilt(std::size_t i) const { return batches_[i / BATCH]->unbuilt[i % BATCH]; }
  std::size_t at(std::size_t i) const { return batches_[i / BATCH]->at[i % BATCH]; }

 private:
  static constexpr int BATCH = 32;
  static constexpr int SPIN = 2000;  // looks for a batch before a helper sleeps
  // The results, which a helper writes, are on lines of their own, apart
  // from the next batch the reader fills.
  struct alignas(64) batch {
    std::array<brush_t*, BATCH> brush{};
    std::array<std::size_t, BATCH> at{};
    alignas(64) std::array<int, BATCH> unbuilt{};
    int count = 0;
    bool markers = false;
  };

  batch& room_in(std::vector<std::unique_ptr<batch>>& list);
  void hand_over(batch* b);
  void take_batches();
  void rebuild(batch& b);
  void stop_helpers(bool drop);

  int helpers_;
  bool fingerprints_;
  // The reader's own lists of the brushes' and the markers' batches; only
  // the batches in them are shared.
  std::vector<std::unique_ptr<batch>> batches_, markers_;
  int started_ = 0;  // helpers that took the work

  // What the threads share starts a cache line of its own, and what helpers
  // look at while they wait has one to itself: a line that also held fields
  // the reader writes all the time would be pulled away from it at every look.
  alignas(64) std::mutex mutex_;  // guards what follows
  std::condition_variable ready_;
  std::vector<batch*> queue_;
  std::size_t next_ = 0;  // the first batch of queue_ not taken yet
  bool closed_ = false;   // no more batches will come
  std::exception_ptr error_;
  // Copies of the queue's length, how many were taken and closed_, for a
  // helper to look at without the lock, and the helpers still at work.
  struct alignas(64) {
    std::atomic<std::size_t> handed{0}, taken{0};
    std::atomic<bool> closing{false};
    std::atomic<int> running{0};
  } seen_;
};

#include "mapio/brush_rebuilder.h"

#include <thread>

#include "mapio/helper_threads.h"
#include "mapio/source_layout.h"
#include "model/box.h"
#include "model/plane_polygon.h"

void brush_rebuilder::add(brush_t* b, std::size_t at) {
  batch& last = room_in(batches_);
  last.brush[last.count] = b;
  last.at[last.count] = at;
  ++last.count;
}

void brush_rebuilder::add_marker(brush_t* b) {
  batch& last = room_in(markers_);
  last.markers = true;
  last.brush[last.count++] = b;
}

// The last batch of the list, handed over and followed by a new one once
// it is full.
brush_rebuilder::batch& brush_rebuilder::room_in(std::vector<std::unique_ptr<batch>>& list) {
  if (list.empty() || list.back()->count == BATCH) {
    if (!list.empty()) hand_over(list.back().get());
    list.push_back(std::make_unique<batch>());
  }
  return *list.back();
}

void brush_rebuilder::finish() {
  if (started_ == 0) {
    for (const auto& b : batches_) rebuild(*b);
    for (const auto& b : markers_) rebuild(*b);
  } else {
    if (!batches_.empty()) hand_over(batches_.back().get());
    if (!markers_.empty()) hand_over(markers_.back().get());
    {
      const std::lock_guard lock(mutex_);
      closed_ = true;
      seen_.closing.store(true, std::memory_order_release);
    }
    ready_.notify_all();
    take_batches();
    stop_helpers(false);
  }
  if (error_) std::rethrow_exception(error_);
}

// A full batch goes to the queue; the helpers start with the first one, so
// a small map never starts a thread.
void brush_rebuilder::hand_over(batch* b) {
  if (helpers_ == 0) return;
  if (started_ == 0) {
    seen_.running.store(helpers_);
    started_ = helper_threads::shared().run(helpers_, [this] {
      take_batches();
      seen_.running.fetch_sub(1, std::memory_order_release);
    });
    // Where fewer could start, those that did help, and the reader rebuilds
    // the rest at the end all the same.
    seen_.running.fetch_sub(helpers_ - started_);
    if (started_ == 0) {
      helpers_ = 0;
      return;
    }
  }
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back(b);
    seen_.handed.store(queue_.size(), std::memory_order_release);
  }
  ready_.notify_one();
}

void brush_rebuilder::take_batches() {
  for (;;) {
    // Batches come every few tens of microseconds while a large map is
    // read, and waking a thread that went to sleep costs more than that, so
    // a helper looks a while before it waits.
    for (int spin = 0; spin < SPIN && seen_.handed.load(std::memory_order_acquire) <= seen_.taken.load() &&
                       !seen_.closing.load(std::memory_order_acquire);
         ++spin) {
      std::this_thread::yield();
    }
    batch* b = nullptr;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return next_ < queue_.size() || closed_; });
      if (next_ == queue_.size()) return;
      b = queue_[next_++];
      seen_.taken.store(next_);
    }
    rebuild(*b);
  }
}

void brush_rebuilder::rebuild(batch& b) {
  try {
    for (int i = 0; i < b.count; ++i) {
      if (b.markers) {
        rebuild_box(b.brush[i]);
        continue;
      }
      b.unbuilt[i] = fixbrush(b.brush[i]);
      if (fingerprints_) b.brush[i]->source.read_as = brush_fingerprint(b.brush[i]);
    }
  } catch (...) {
    const std::lock_guard lock(mutex_);
    if (!error_) error_ = std::current_exception();
  }
}

// With drop, the batches no thread has taken are left alone: the read
// failed and its brushes are about to be released.
void brush_rebuilder::stop_helpers(bool drop) {
  if (started_ == 0) return;
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    seen_.closing.store(true, std::memory_order_release);
    if (drop) next_ = queue_.size();
  }
  ready_.notify_all();
  // The helpers end their last batch within microseconds; the threads stay
  // for the next read.
  while (seen_.running.load(std::memory_order_acquire) > 0) std::this_thread::yield();
  started_ = 0;
}

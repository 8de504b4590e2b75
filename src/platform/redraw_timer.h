// Timer 1 of the drawing window: starting it with a period replaces a running
// one. The shortest period it ticks at is TIMER_RESOLUTION: 0 ("as often as
// the system allows") and 1 ms tick every 10 ms, as the system timers the
// editor was laid out for did. Ticking as often as the event loop allows
// would spin a core at 100% for a window nobody touches.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

constexpr int TIMER_RESOLUTION = 10;  // ms

class redraw_timer {
 public:
  explicit redraw_timer(std::function<void()> tick);

  void start(int period_ms);
  void stop();
  bool running() const { return timer_.isActive(); }
  // The period it was started with.
  int period() const { return period_; }

 private:
  QTimer timer_;
  int period_ = 0;
};

// Timer 1 of the drawing window: starting it with a period replaces a running
// one; period 0 ticks as often as the event loop allows.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class redraw_timer {
 public:
  explicit redraw_timer(std::function<void()> tick);

  void start(int period_ms);
  void stop();
  bool running() const { return timer_.isActive(); }
  int period() const { return timer_.interval(); }

 private:
  QTimer timer_;
};

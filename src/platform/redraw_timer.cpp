#include "platform/redraw_timer.h"

#include <algorithm>

redraw_timer::redraw_timer(std::function<void()> tick) {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

void redraw_timer::start(int period_ms) {
  period_ = period_ms;
  timer_.start(std::max(period_ms, TIMER_RESOLUTION));
}

void redraw_timer::stop() { timer_.stop(); }

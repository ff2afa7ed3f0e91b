// Holds the main timer still for the life of a scope. Holds nest: the timer
// runs again only when the outermost hold ends, and it runs again whatever
// way the scope is left (a mixer error, an early return), so no operation
// can leave the 100 ms loop stopped for good.
#pragma once

namespace volmaru {

// Any port with PauseTimer()/ResumeTimer() (counted by the main window).
template <typename Port>
class TimerPause {
 public:
  explicit TimerPause(Port& port) : port_(port) { port_.PauseTimer(); }
  ~TimerPause() { port_.ResumeTimer(); }
  TimerPause(const TimerPause&) = delete;
  TimerPause& operator=(const TimerPause&) = delete;

 private:
  Port& port_;
};

}  // namespace volmaru

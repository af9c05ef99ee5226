#pragma once
// The status lines and meters as the commands left them, and when the
// screen is brought up to date while a command runs. A command sets them per
// record; the window repaints at most once per interval, so that an update
// costs a string copy, not a repaint. Each window program picks its interval
// (a repaint costs more in one toolkit than in another).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/WindowPort.h"

namespace kestrove {

class RepaintThrottle {
  public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, monotonic

    // The screen starts as the window is built: the status lines' design
    // texts, the meters at 0 and hidden.
    explicit RepaintThrottle(std::int64_t intervalMs);

    std::int64_t interval() const { return interval_; }
    // Tests: the clock read; empty for the platform's.
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    // What the commands want shown.
    void SetStatus(StatusLine line, const std::string& text);
    void SetMeter(Meter meter, int percent);
    void ShowMeter(Meter meter, bool visible);

    // What differs from what the screen shows, each item once: taking it
    // counts it as shown.
    struct Changes {
        std::array<std::optional<std::string>, 3> status;
        std::array<std::optional<int>, 3> meters;
        // Which meters are to be shown, when that changed.
        std::optional<std::array<bool, 3>> metersShown;
        bool Empty() const;
    };
    Changes TakeChanges();
    // Whether a change of which meters are shown waits.
    bool MetersShownPending() const;

    // A long command starts: its first pump handles events at once, and
    // the repaint interval counts from now.
    void CommandStarts();
    // True when the interval has passed since the last repaint, which then
    // counts from now.
    bool RepaintDue();
    // One pump of a command; returns its number (from 1 for each command).
    int Pump() { return ++pumps_; }
    // Whether the pump just counted handles events: the first of a command,
    // then the first once the interval has passed since events were last
    // handled (by the clock, read at every pump, so Abort never waits for a
    // count of messages). Repaints between pumps do not put it off. A pump
    // that handles events repaints too.
    bool EventsDue();

  private:
    std::int64_t Now() const;

    std::int64_t interval_;
    Clock clock_;
    // What the commands want, and what the screen shows.
    std::array<std::string, 3> status_, shownStatus_;
    std::array<int, 3> meter_{}, shownMeter_{};
    std::array<bool, 3> meterShown_{}, shownMeters_{};
    std::int64_t lastRepaint_ = 0;
    std::int64_t lastEvents_ = 0;
    int pumps_ = 0;
};

}  // namespace kestrove

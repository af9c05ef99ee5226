// The repaint throttle: what reaches the screen, and when, by a clock the
// test moves.
#include <gtest/gtest.h>

#include "app/RepaintThrottle.h"

namespace kestrove {
namespace {

struct Throttle : ::testing::Test {
    std::int64_t now = 1000;
    RepaintThrottle throttle{100};
    Throttle() {
        throttle.SetClock([this] { return now; });
    }
};

// Each change once, and only what differs from what the screen shows.
TEST_F(Throttle, TakesWhatChangedOnce) {
    // The window starts with the design texts.
    EXPECT_TRUE(throttle.TakeChanges().Empty());
    throttle.SetStatus(StatusLine::LabelInfoMsg1, "File");
    EXPECT_TRUE(throttle.TakeChanges().Empty());
    throttle.SetStatus(StatusLine::LabelInfoMsg2, "Message 1");
    throttle.SetStatus(StatusLine::LabelInfoMsg2, "Message 2");
    throttle.SetMeter(Meter::ProgressBarM, 40);
    RepaintThrottle::Changes c = throttle.TakeChanges();
    EXPECT_EQ(c.status[1], "Message 2");  // the last text, not every one
    EXPECT_FALSE(c.status[0] || c.status[2]);
    EXPECT_EQ(c.meters[1], 40);
    EXPECT_FALSE(c.metersShown);
    // The same again draws nothing.
    throttle.SetStatus(StatusLine::LabelInfoMsg2, "Message 2");
    throttle.SetMeter(Meter::ProgressBarM, 40);
    EXPECT_TRUE(throttle.TakeChanges().Empty());
    // A meter shown and hidden again before the screen saw it: nothing.
    throttle.ShowMeter(Meter::ProgressBar1, true);
    EXPECT_TRUE(throttle.MetersShownPending());
    throttle.ShowMeter(Meter::ProgressBar1, false);
    EXPECT_FALSE(throttle.MetersShownPending());
    throttle.ShowMeter(Meter::ProgressBarF, true);
    throttle.ShowMeter(Meter::ProgressBarM, true);
    c = throttle.TakeChanges();
    ASSERT_TRUE(c.metersShown);
    EXPECT_EQ(*c.metersShown, (std::array<bool, 3>{true, true, false}));
    EXPECT_FALSE(throttle.MetersShownPending());
}

TEST_F(Throttle, RepaintsOncePerInterval) {
    throttle.CommandStarts();
    EXPECT_FALSE(throttle.RepaintDue());
    now += 99;
    EXPECT_FALSE(throttle.RepaintDue());
    now += 1;
    EXPECT_TRUE(throttle.RepaintDue());
    EXPECT_FALSE(throttle.RepaintDue());  // counts from the repaint
    now += 250;
    EXPECT_TRUE(throttle.RepaintDue());
    EXPECT_EQ(throttle.interval(), 100);
    RepaintThrottle fast(30);
    EXPECT_EQ(fast.interval(), 30);
}

// Events are handled at a command's first pump, then at the first pump
// once the interval has passed; repaints in between do not put them off.
TEST_F(Throttle, EventsAtTheFirstPumpThenPerInterval) {
    throttle.CommandStarts();
    EXPECT_EQ(throttle.Pump(), 1);
    EXPECT_TRUE(throttle.EventsDue());
    for (int i = 0; i < 4; ++i) {
        throttle.Pump();
        EXPECT_FALSE(throttle.EventsDue());
        now += 30;  // a status redraw every 30 ms; the fourth repaints
        EXPECT_EQ(throttle.RepaintDue(), i == 3);
    }
    EXPECT_EQ(throttle.Pump(), 6);
    EXPECT_TRUE(throttle.EventsDue());    // 120 ms since the first pump
    EXPECT_FALSE(throttle.RepaintDue());  // handling events repainted
    // The next command starts counting again.
    throttle.CommandStarts();
    EXPECT_EQ(throttle.Pump(), 1);
    EXPECT_TRUE(throttle.EventsDue());
}

}  // namespace
}  // namespace kestrove

#include "app/RepaintThrottle.h"

#include "app/MainWindowTable.h"
#include "platform/Clock.h"

namespace kestrove {

namespace {

std::size_t Index(StatusLine line) {
    return static_cast<std::size_t>(line);
}

std::size_t Index(Meter meter) {
    return static_cast<std::size_t>(meter);
}

}  // namespace

RepaintThrottle::RepaintThrottle(std::int64_t intervalMs) : interval_(intervalMs) {
    for (std::size_t i = 0; i < 3; ++i)
        status_[i] = shownStatus_[i] = std::string(kStatusDesignTexts[i]);
}

bool RepaintThrottle::Changes::Empty() const {
    for (std::size_t i = 0; i < 3; ++i)
        if (status[i] || meters[i])
            return false;
    return !metersShown;
}

void RepaintThrottle::SetStatus(StatusLine line, const std::string& text) {
    status_[Index(line)] = text;
}

void RepaintThrottle::SetMeter(Meter meter, int percent) {
    meter_[Index(meter)] = percent;
}

void RepaintThrottle::ShowMeter(Meter meter, bool visible) {
    meterShown_[Index(meter)] = visible;
}

bool RepaintThrottle::MetersShownPending() const {
    return shownMeters_ != meterShown_;
}

RepaintThrottle::Changes RepaintThrottle::TakeChanges() {
    Changes changes;
    for (std::size_t i = 0; i < 3; ++i) {
        if (shownStatus_[i] != status_[i]) {
            shownStatus_[i] = status_[i];
            changes.status[i] = status_[i];
        }
        if (shownMeter_[i] != meter_[i]) {
            shownMeter_[i] = meter_[i];
            changes.meters[i] = meter_[i];
        }
    }
    if (MetersShownPending()) {
        shownMeters_ = meterShown_;
        changes.metersShown = meterShown_;
    }
    return changes;
}

void RepaintThrottle::CommandStarts() {
    pumps_ = 0;
    lastRepaint_ = Now();
}

bool RepaintThrottle::RepaintDue() {
    const std::int64_t now = Now();
    if (now - lastRepaint_ < interval_)
        return false;
    lastRepaint_ = now;
    return true;
}

bool RepaintThrottle::EventsDue() {
    const std::int64_t now = Now();
    if (pumps_ > 1 && now - lastEvents_ < interval_)
        return false;
    lastEvents_ = now;
    lastRepaint_ = now;
    return true;
}

std::int64_t RepaintThrottle::Now() const {
    return clock_ ? clock_() : platform::MonotonicMilliseconds();
}

}  // namespace kestrove

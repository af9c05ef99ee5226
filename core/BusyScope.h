#pragma once
// Marks the shared state busy while a long command runs, so the window keeps
// the other commands disabled; what was there before comes back at the end,
// on every path out of the command.

#include "core/AppState.h"

namespace kestrove {

class BusyScope {
  public:
    explicit BusyScope(AppState& state) : state_(state), before_(state.busy) { state.busy = true; }
    ~BusyScope() { state_.busy = before_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    AppState& state_;
    bool before_;
};

}  // namespace kestrove

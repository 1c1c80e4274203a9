#pragma once

#include <functional>

#include "base/failure.h"

namespace zanfiro {

inline constexpr int kFailureExitStatus = 1;

// The one place where a failure that leaves a handler is caught. By default
// it shows the error's number and description in a dialog and on standard
// error, then ends the program with kFailureExitStatus; every statement run
// before stays written, each one committed as it ran. Tests put a sink of
// their own in its place to observe the failures instead.
class FailureGuard {
public:
    using Sink = std::function<void(const Failure&)>;

    FailureGuard();
    void setSink(Sink sink) { sink_ = std::move(sink); }

    // Runs whenever a handler leaves, by returning or by failing, and before
    // the sink hears of a failure: what the handler did so far is shown.
    void setSettle(std::function<void()> settle) { settle_ = std::move(settle); }

    // Runs one handler; false when it failed and the sink was told, or when
    // the program is already ending.
    bool run(const std::function<void()>& handler);

private:
    void showFailureAndEndProgram(const Failure& failure);

    Sink sink_;
    std::function<void()> settle_;
    // Set once the program is on its way out, so that no event still queued
    // runs another handler against a data source that has failed.
    bool programEnding_ = false;
};

}  // namespace zanfiro

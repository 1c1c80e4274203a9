#pragma once

#include <functional>

#include "store/failure.h"

namespace zanfiro {

// The one place where a failure that leaves a handler is caught. The sink
// decides what happens next; the program's sink shows the error and ends
// the program, tests put their own in its place to observe it.
class FailureGuard {
public:
    using Sink = std::function<void(const store::Failure&)>;

    explicit FailureGuard(Sink sink);
    void setSink(Sink sink) { sink_ = std::move(sink); }

    // Runs one handler; false when it failed and the sink was told.
    bool run(const std::function<void()>& handler);

private:
    Sink sink_;
};

inline constexpr int kFailureExitStatus = 1;

// Shows the error's number and description in a dialog and on standard
// error, then ends the program with kFailureExitStatus. Every statement run
// before stays written: each one committed as it ran.
void showFailureAndEndProgram(const store::Failure& failure);

}  // namespace zanfiro

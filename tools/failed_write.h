#pragma once

#include <exception>
#include <string>
#include <utility>

#include "base/failure.h"

namespace zanfiro::tools {

// A write of zanfiro-db that failed, with the state it left the stock in,
// which the operator reads after what went wrong: "Nothing was restored:
// the database is as it was."
class FailedWrite : public Failure {
public:
    FailedWrite(const Failure& cause, std::string state)
        : Failure(cause.number(), cause.description()), state_(std::move(state)) {}
    const std::string& state() const noexcept { return state_; }

private:
    std::string state_;
};

// Runs `write`; a failure leaves it as a FailedWrite saying `state` as it
// stands then (`write` moves it on as it goes).
template <typename Write>
auto sayingState(const std::string& state, Write&& write) -> decltype(write()) {
    try {
        return write();
    } catch (const FailedWrite&) {
        throw;
    } catch (const Failure& failure) {
        throw FailedWrite(failure, state);
    } catch (const std::exception& error) {
        throw FailedWrite(Failure(failure::kCannotWriteFile, error.what()), state);
    }
}

}  // namespace zanfiro::tools

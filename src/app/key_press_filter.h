#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

namespace zanfiro {

class FailureGuard;

// Raises a control's KeyPress for every key that types a character, before
// the control sees it. The handler may change the code; 0 cancels the key
// and everything it would have done (insert, Backspace, cut, copy, paste).
class KeyPressFilter final : public QObject {
public:
    using Handler = std::function<void(std::int16_t& code)>;

    KeyPressFilter(QObject* control, FailureGuard& guard, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FailureGuard& guard_;
    Handler handler_;
    bool replaying_ = false;
};

}  // namespace zanfiro

#include "app/key_press_filter.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "app/character_code.h"
#include "app/failure_guard.h"

namespace zanfiro {

KeyPressFilter::KeyPressFilter(QObject* control, FailureGuard& guard, Handler handler)
    : QObject(control), guard_(guard), handler_(std::move(handler)) {
    control->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || replaying_) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto original = characterCode(key->key(), key->modifiers(), key->text());
    if (!original) return false;
    std::int16_t code = *original;
    if (!guard_.run([&] { handler_(code); })) return true;
    if (code == *original) return false;
    if (code == 0) return true;
    // A handler that swaps the character: the control gets the new one.
    QKeyEvent replacement(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(static_cast<char16_t>(code))));
    replaying_ = true;
    QCoreApplication::sendEvent(watched, &replacement);
    replaying_ = false;
    return true;
}

}  // namespace zanfiro

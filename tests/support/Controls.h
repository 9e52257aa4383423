#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace niv {

// A window's control, found by its object name and class; the test fails at once when the window
// has no such control, so a renamed control cannot pass unnoticed.
template <class Control> Control* ctl(const QObject& window, const char* name) {
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (!control) throw std::logic_error(std::string("the window has no control ") + name);
    return control;
}

} // namespace niv

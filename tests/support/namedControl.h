#pragma once
// A window's control found by its object name, as a screen reader or a test finds it; a name
// that the window does not hold ends the test program at once, naming it.

#include <QObject>
#include <QString>
#include <QtGlobal>

template <class Control = QWidget> Control* named(const QObject& window, const char* name) {
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("the window has no control named %s", name);
    return control;
}

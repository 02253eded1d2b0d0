#pragma once

#include <QLatin1String>
#include <QWidget>
#include <QtGlobal>

// A window's control by its object name; a test that names a control the window does not have stops
// at once instead of going on with a null pointer.
template <typename T = QWidget> T *requireControl(const QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

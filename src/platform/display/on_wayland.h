#pragma once

#include <QGuiApplication>

namespace platform::display {

// Whether Qt runs on a Wayland compositor, through whichever of its Wayland plugins.
inline bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace platform::display

#include "VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

// xcb and Wayland report X11 keycodes; elsewhere (offscreen, a framebuffer) the number means
// something else or nothing.
bool ScanCodesAreX11Keycodes()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(u"wayland");
}

} // namespace

int VirtualKeyFromQt(const QKeyEvent& event)
{
    static const bool trusted = ScanCodesAreX11Keycodes();
    return VirtualKeyFromQt(event.key(), event.modifiers(), trusted ? event.nativeScanCode() : 0);
}

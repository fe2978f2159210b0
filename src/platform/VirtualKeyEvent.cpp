#include "VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

// Xlib's macros clash with Qt's names: it comes last.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// xcb and Wayland report X11 keycodes; elsewhere (offscreen, a framebuffer) the number means
// something else or nothing.
bool ScanCodesAreX11Keycodes()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(u"wayland");
}

// The keyboard is Japanese when the key right of 0 carries ^, as the X server maps it now
// (the user may switch layouts while the program runs). Without X the US numbers apply.
KeyLayout CurrentLayout()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return KeyLayout::Us;
    constexpr KeyCode kEqualKey = 21; // evdev KEY_EQUAL + 8
    int perKeycode = 0;
    KeySym* syms = XGetKeyboardMapping(display, kEqualKey, 1, &perKeycode);
    if (!syms)
        return KeyLayout::Us;
    const bool japanese = perKeycode > 0 && syms[0] == XK_asciicircum;
    XFree(syms);
    return japanese ? KeyLayout::Japanese : KeyLayout::Us;
}

} // namespace

int VirtualKeyFromQt(const QKeyEvent& event)
{
    static const bool trusted = ScanCodesAreX11Keycodes();
    const quint32 scanCode = trusted ? event.nativeScanCode() : 0;
    const KeyLayout layout = VirtualKeyDependsOnLayout(scanCode) ? CurrentLayout() : KeyLayout::Us;
    return VirtualKeyFromQt(event.key(), event.modifiers(), scanCode, layout);
}

#include "platform/x11_capslock.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace kelvora {

bool X11CapsLock::capsLockOn() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false; // not on xcb (offscreen, Wayland without XWayland): the state is unknown
    const Atom capsAtom = XInternAtom(display, "Caps Lock", False);
    Bool on = False;
    if (!XkbGetNamedIndicator(display, capsAtom, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
}

} // namespace kelvora

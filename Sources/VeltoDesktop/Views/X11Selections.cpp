#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

namespace velto {

namespace {

xcb_connection_t* connection() {
    auto* application = qGuiApp;
    if (!application || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

bool X11Selections::hasOwner(const std::string& selection) {
    auto* x = connection();
    if (!x || selection.empty() || selection.size() > 64)
        return false;
    auto cookie = xcb_intern_atom(x, 1, static_cast<uint16_t>(selection.size()), selection.data());
    auto* atom = xcb_intern_atom_reply(x, cookie, nullptr);
    if (!atom)
        return false;
    const auto name = atom->atom;
    std::free(atom);
    if (name == XCB_ATOM_NONE)
        return false;
    auto owner = xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, name), nullptr);
    if (!owner)
        return false;
    const bool has = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return has;
}

bool X11Selections::hasTray() {
    return hasOwner("_NET_SYSTEM_TRAY_S0");
}

bool X11Selections::hasCompositor() {
    return hasOwner("_NET_WM_CM_S0");
}

} // namespace velto

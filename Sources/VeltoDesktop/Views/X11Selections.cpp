#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
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

xcb_window_t owner(xcb_connection_t* x, const std::string& selection) {
    if (!x || selection.empty() || selection.size() > 64)
        return XCB_WINDOW_NONE;
    auto cookie = xcb_intern_atom(x, 1, static_cast<uint16_t>(selection.size()), selection.data());
    auto* atom = xcb_intern_atom_reply(x, cookie, nullptr);
    if (!atom)
        return XCB_WINDOW_NONE;
    const auto name = atom->atom;
    std::free(atom);
    if (name == XCB_ATOM_NONE)
        return XCB_WINDOW_NONE;
    auto* reply = xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, name), nullptr);
    if (!reply)
        return XCB_WINDOW_NONE;
    const auto window = reply->owner;
    std::free(reply);
    return window;
}

} // namespace

bool X11Selections::hasOwner(const std::string& selection) {
    return owner(connection(), selection) != XCB_WINDOW_NONE;
}

std::optional<QColor> X11Selections::trayBackground() {
    auto* x = connection();
    const auto tray = owner(x, "_NET_SYSTEM_TRAY_S0");
    if (tray == XCB_WINDOW_NONE)
        return std::nullopt;
    auto* image =
        xcb_get_image_reply(x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, tray, 0, 0, 1, 1, ~0u), nullptr);
    if (!image)
        return std::nullopt;
    std::optional<QColor> color;
    // True colour of depth 24 or 32: one 32-bit pixel in the server's byte order, 0xAARRGGBB.
    if (image->depth >= 24 && xcb_get_image_data_length(image) >= 4) {
        const auto* data = xcb_get_image_data(image);
        uint32_t pixel = 0;
        std::memcpy(&pixel, data, sizeof pixel);
        color = QColor((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
    }
    std::free(image);
    return color;
}

bool X11Selections::hasTray() {
    return hasOwner("_NET_SYSTEM_TRAY_S0");
}

bool X11Selections::hasCompositor() {
    return hasOwner("_NET_WM_CM_S0");
}

} // namespace velto

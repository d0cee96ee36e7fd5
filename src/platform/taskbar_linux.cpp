#include "platform/taskbar.h"

#include <cstdlib>
#include <QGuiApplication>
#include <QWindow>
#include <xcb/xcb.h>

namespace platform {

namespace {

xcb_intern_atom_cookie_t askAtom(xcb_connection_t *connection, const char *name)
{
    return xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
}

xcb_atom_t atom(xcb_connection_t *connection, xcb_intern_atom_cookie_t asked)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, asked, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

} // namespace

void keepOffTaskbar(QWindow &window)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // Window managers read the state of a window as it is mapped; Qt adds
    // its own states to the ones already there.
    // Asked all at once: the start waits for one round trip to the server.
    const xcb_intern_atom_cookie_t asked[] = {askAtom(connection, "_NET_WM_STATE"),
                                              askAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                              askAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    const xcb_atom_t state = atom(connection, asked[0]);
    const xcb_atom_t skip[] = {atom(connection, asked[1]), atom(connection, asked[2])};
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window.winId()), state,
                        XCB_ATOM_ATOM, 32, 2, skip);
    xcb_flush(connection);
}

} // namespace platform

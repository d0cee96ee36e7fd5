#include "platform/taskbar.h"
#include "platform/xcbatoms.h"

#include <QGuiApplication>
#include <QWindow>

namespace platform {

void keepOffTaskbar(QWindow &window)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // Window managers read the state of a window as it is mapped; Qt adds
    // its own states to the ones already there.
    const xcb_intern_atom_cookie_t asked[] = {
        xcbatoms::ask(connection, "_NET_WM_STATE"),
        xcbatoms::ask(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
        xcbatoms::ask(connection, "_NET_WM_STATE_SKIP_PAGER")};
    const xcb_atom_t state = xcbatoms::read(connection, asked[0]);
    const xcb_atom_t skip[] = {xcbatoms::read(connection, asked[1]),
                               xcbatoms::read(connection, asked[2])};
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window.winId()), state,
                        XCB_ATOM_ATOM, 32, 2, skip);
    xcb_flush(connection);
}

} // namespace platform

#pragma once

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

// X11 atoms, asked for all at once and read afterwards, so that a caller waits
// for a single round trip to the server.
namespace platform::xcbatoms {

inline xcb_intern_atom_cookie_t ask(xcb_connection_t *connection, const char *name)
{
    return xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
}

inline xcb_atom_t read(xcb_connection_t *connection, xcb_intern_atom_cookie_t asked)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, asked, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

} // namespace platform::xcbatoms

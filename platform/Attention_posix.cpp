#include "Attention.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

namespace platform {

namespace {
xcb_atom_t atom(xcb_connection_t* x, const char* name) {
    const auto cookie = xcb_intern_atom(x, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(x, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return result;
}

// The root window of the display the window is on.
xcb_window_t rootOf(xcb_connection_t* x, xcb_window_t window) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, window), nullptr);
    const xcb_window_t root = tree ? tree->root : xcb_window_t{XCB_WINDOW_NONE};
    free(tree);
    return root;
}
} // namespace

void askForAttention(QWidget* window) {
    // Only on an X display: other platforms (offscreen among them) may answer
    // for X11 without a connection of their own.
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* x =
        x11 && QGuiApplication::platformName() == u"xcb" ? x11->connection() : nullptr;
    if (!x) {
        QApplication::alert(window, 0);
        return;
    }
    // On X11 Qt takes a modal box it asked the window manager to activate for
    // the active window even when the window manager kept the keyboard where
    // the user is, and then will not ask for it. So the keyboard's place is
    // asked of the display, and the window manager is asked directly.
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr);
    const bool holdsKeyboard = focus && focus->focus == id;
    free(focus);
    if (holdsKeyboard)
        return;
    xcb_client_message_event_t ask{};
    ask.response_type = XCB_CLIENT_MESSAGE;
    ask.format = 32;
    ask.window = id;
    ask.type = atom(x, "_NET_WM_STATE");
    ask.data.data32[0] = 1; // add
    ask.data.data32[1] = atom(x, "_NET_WM_STATE_DEMANDS_ATTENTION");
    ask.data.data32[3] = 1; // from an application
    xcb_send_event(x, 0, rootOf(x, id),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ask));
    xcb_flush(x);
}

} // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11_frame.h"

#include <QGuiApplication>

#if KORVEL_HAVE_XCB && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#endif

namespace korvel {

#if KORVEL_HAVE_XCB && QT_CONFIG(xcb)

namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

ReplyPtr<xcb_get_property_reply_t> Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                            xcb_atom_t type, uint32_t length) {
    return {
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, length), nullptr),
        &std::free};
}

bool Supported(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t request) {
    const auto reply = Property(connection, root, InternAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    if (!reply || reply->format != 32) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i)
        if (atoms[i] == request) return true;
    return false;
}

std::optional<QMargins> FrameExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents) {
    const auto reply = Property(connection, window, extents, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->format != 32 || reply->value_len != 4) return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    // The property lists left, right, top, bottom.
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
}

xcb_connection_t* Connection() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

}  // namespace

bool CanRequestFrameExtents() {
    xcb_connection_t* connection = Connection();
    return connection && Supported(connection, Root(connection), InternAtom(connection, "_NET_REQUEST_FRAME_EXTENTS"));
}

void AskFrameExtents(WId window) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window);
    message.type = InternAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(connection, 0, Root(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

std::optional<QMargins> AwaitFrameExtents(WId window) {
    xcb_connection_t* connection = Connection();
    if (!connection) return std::nullopt;
    // The answer is a property the window manager sets on the window; the
    // toolkit's own event queue is left alone while it is awaited. Looked at
    // often: a window manager answers within a millisecond or two, and the
    // window waits for it to appear.
    const xcb_atom_t extents = InternAtom(connection, "_NET_FRAME_EXTENTS");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    do {
        if (const std::optional<QMargins> frame = FrameExtents(connection, static_cast<xcb_window_t>(window), extents))
            return frame;
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

#else

bool CanRequestFrameExtents() { return false; }

void AskFrameExtents(WId) {}

std::optional<QMargins> AwaitFrameExtents(WId) { return std::nullopt; }

#endif

}  // namespace korvel

// Measures how quickly a window's UI thread answers while it works: sends the window manager's
// _NET_WM_PING to it again and again and times each answer, which the toolkit sends from its event
// loop. Prints one line per answer in milliseconds ("rtt 1.234"); a ping unanswered for 2 s counts
// as 2000.
//   ui_ping WINDOW-ID INTERVAL-MS DURATION-MS
// It listens on the root window for the answer, as a window manager does.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: ui_ping WINDOW-ID INTERVAL-MS DURATION-MS\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    const auto interval = std::chrono::milliseconds(std::atoi(argv[2]));
    const auto duration = std::chrono::milliseconds(std::atoi(argv[3]));
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "ui_ping: cannot open the display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    // The toolkit sends its answer to the root window for StructureNotify | SubstructureRedirect.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = atom(connection, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(connection, "_NET_WM_PING");
    xcb_flush(connection);

    const auto end = Clock::now() + duration;
    uint32_t stamp = 1;
    while (Clock::now() < end) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = protocols;
        event.data.data32[0] = ping;
        event.data.data32[1] = ++stamp;
        event.data.data32[2] = window;
        const auto sent = Clock::now();
        xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(connection);
        double rtt = 2000.0;
        while (Clock::now() - sent < std::chrono::seconds(2)) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> reply(xcb_poll_for_event(connection),
                                                                             &std::free);
            if (!reply) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            if ((reply->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
                continue;
            const auto* answer = reinterpret_cast<const xcb_client_message_event_t*>(reply.get());
            if (answer->data.data32[0] == ping && answer->data.data32[1] == stamp) {
                rtt = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
                break;
            }
        }
        std::printf("rtt %.3f\n", rtt);
        std::fflush(stdout);
        std::this_thread::sleep_until(sent + interval);
    }
    xcb_disconnect(connection);
    return 0;
}

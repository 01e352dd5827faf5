// The chat server's message handler on arbitrary bytes. Properties: at most one line per message;
// "rej" (and nothing else) sets both the stop flag and the error text; the result says what the
// handler did.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <libwebsockets.h>

#include "fuzz/FuzzCheck.h"
#include "session/Globals.h"
#include "session/ProtocolTexts.h"
#include "session/ServerText.h"

namespace {

using namespace zandrel;

// Stands in for the overlay: takes the session's commands and counts them, on the calling thread
// (without a dispatcher the queue's drain message is delivered right away).
struct Overlay final : IMessageReceiver {
    int lines = 0;
    int shows = 0;
    LRESULT OnWindowMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message != WM_BARRAGE_DRAIN)
            return 0;
        bool more = true;
        while (more)
            for (const OverlayCommand& command : g_overlayQueue.Take(16, more)) {
                lines += command.kind == OverlayCommand::Kind::Line;
                shows += command.kind == OverlayCommand::Kind::Show;
            }
        return 1;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Overlay* overlay = [] {
        lws_set_log_level(0, nullptr);
        auto* window = new Overlay;
        g_hBubbleWnd = RegisterWindow(*window);
        return window;
    }();
    overlay->lines = 0;
    overlay->shows = 0;
    g_bStopService = 0;
    g_strLastError.clear();

    const ServerEvent event = HandleServerText(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(overlay->lines <= 1);
    const bool refused = event == ServerEvent::Refused;
    FUZZ_CHECK(refused == (g_bStopService.load() == 1));
    FUZZ_CHECK(refused == (g_strLastError == texts::kJoinRefused));
    FUZZ_CHECK(refused || g_strLastError.empty());
    FUZZ_CHECK((event == ServerEvent::Line || event == ServerEvent::Joined) == (overlay->lines == 1));
    FUZZ_CHECK((event == ServerEvent::Joined) == (overlay->shows == 1));
    return 0;
}

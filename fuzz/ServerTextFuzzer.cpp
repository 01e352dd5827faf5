// The chat server's message handler on arbitrary bytes. Properties: at most one line per message;
// the handler's result and what it sent agree (a line for a line, the join line and a show for
// "ack", nothing for a refusal); reading the message alone gives the same answer.

#include <cstddef>
#include <cstdint>
#include <string>

#include <libwebsockets.h>

#include "fuzz/FuzzCheck.h"
#include "session/ProtocolTexts.h"
#include "session/ServerText.h"
#include "session/SessionSink.h"

namespace {

using namespace zandrel;

// Stands in for the session's sink: counts what reaches the overlay.
struct CountingSink final : CDiscardingSessionSink {
    int lines = 0;
    int shows = 0;
    bool ToOverlay(OverlayCommand command) override
    {
        lines += command.kind == OverlayCommand::Kind::Line;
        shows += command.kind == OverlayCommand::Kind::Show;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        lws_set_log_level(0, nullptr);
        return true;
    }();
    (void)quiet;
    CountingSink sink;
    const char* text = reinterpret_cast<const char*>(data);
    const ServerEvent event = HandleServerText(text, size, sink);

    FUZZ_CHECK(sink.lines <= 1);
    FUZZ_CHECK((event == ServerEvent::Line || event == ServerEvent::Joined) == (sink.lines == 1));
    FUZZ_CHECK((event == ServerEvent::Joined) == (sink.shows == 1));
    const ServerMessage read = ParseServerText(text, size);
    FUZZ_CHECK(read.event == event);
    FUZZ_CHECK(read.event != ServerEvent::Refused || read.line.m_strText.empty());
    return 0;
}

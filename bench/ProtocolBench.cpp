// How fast the worker turns server text into lines: the handler, the escape reading, the codec,
// and the join request with its MD5. Lines go to a receiver that only counts them, delivered
// directly (no UI thread), and libwebsockets logs errors only.

#include <benchmark/benchmark.h>

#include <string>

#include <libwebsockets.h>

#include "base/Md5.h"
#include "base/TextCodec.h"
#include "base/WindowMessage.h"
#include "session/EscapeDecoding.h"
#include "session/JoinRequest.h"
#include "session/ServerText.h"
#include "session/SessionSink.h"

namespace {

using namespace zandrel;

// The session's sink, counting the lines it is given.
class CountingSink final : public CDiscardingSessionSink {
public:
    bool ToOverlay(OverlayCommand command) override
    {
        lines += command.kind == OverlayCommand::Kind::Line;
        return true;
    }
    long lines = 0;
};

// A chat line as the demo's PHP-style server sends it: 15 escaped characters, a tag and a link.
const std::string kChatLine =
    R"({"cmd":"cst","data":"\u653b\u7565\u5728\u8fd9 http:\/\/wiki.example.com\/guide?id=42#boss )"
    R"(\u5f88\u6709\u7528<img src=\"\/static\/face\/12.gif\" \/>","user":{"name":"\u5f39\u5e55\u5c0f\u738b)"
    R"(\u5b50","uid":"55942"}})";

std::string bigLine(std::size_t bytes)
{
    std::string data;
    while (data.size() < bytes)
        data += R"(\u4e2d\u6587\u5f39\u5e55 0123456789 )";
    return R"({"cmd":"cst","data":")" + data + R"(","user":{"name":"x","uid":"1"}})";
}

void BM_HandleServerText_ChatLine(benchmark::State& state)
{
    lws_set_log_level(LLL_ERR, nullptr);
    CountingSink sink;
    for (auto _ : state)
        HandleServerText(kChatLine.data(), kChatLine.size(), sink);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<long>(kChatLine.size()));
    if (sink.lines != static_cast<long>(state.iterations()))
        state.SkipWithError("a line went missing");
}
BENCHMARK(BM_HandleServerText_ChatLine);

void BM_HandleServerText_100KiB(benchmark::State& state)
{
    lws_set_log_level(LLL_ERR, nullptr);
    CountingSink sink;
    const std::string text = bigLine(100 * 1024);
    for (auto _ : state)
        HandleServerText(text.data(), text.size(), sink);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_HandleServerText_100KiB);

void BM_RewriteUnicodeEscapes_ChatLine(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RewriteUnicodeEscapes(kChatLine));
    state.SetBytesProcessed(state.iterations() * static_cast<long>(kChatLine.size()));
}
BENCHMARK(BM_RewriteUnicodeEscapes_ChatLine);

void BM_AnsiToWide_ChatLine(benchmark::State& state)
{
    const std::string gbk = WideToAnsi(u"攻略在这 http://wiki.example.com/guide?id=42#boss 很有用[表情]");
    for (auto _ : state)
        benchmark::DoNotOptimize(AnsiToWide(gbk));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnsiToWide_ChatLine);

void BM_BuildJoinRequest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildJoinRequest(123, NewUid(), CurrentTimestamp()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildJoinRequest);

void BM_Md5Hex_1KiB(benchmark::State& state)
{
    const std::string data(1024, 'z');
    for (auto _ : state)
        benchmark::DoNotOptimize(Md5Hex(data));
    state.SetBytesProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_Md5Hex_1KiB);

}  // namespace

BENCHMARK_MAIN();

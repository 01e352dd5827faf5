#include "demo/DemoServer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <type_traits>

#include "demo/AudiencePage.h"
#include "demo/JoinCheck.h"
#include "session/JoinRequest.h"

namespace zandrel::demo {
namespace {

constexpr lws_usec_t kTickUs = 50 * LWS_US_PER_MS;
constexpr int kClockToleranceSeconds = 300;
constexpr std::size_t kMaxJoinRequestBytes = 64 * 1024;
constexpr std::size_t kBigMessageBytes = 100 * 1024;
constexpr std::size_t kHugeMessageBytes = 3 * 512 * 1024;
constexpr std::size_t kSmallFragmentBytes = 1024;
constexpr std::size_t kFloodQueueDepth = 16;
constexpr std::chrono::milliseconds kFloodNumberedPeriod{2000};
constexpr std::size_t kMaxSayBytes = 2000;

const lws_protocols kProtocols[] = {
    {"zandrel-demo", DemoServer::Callback, sizeof(void*) * 2, 0, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

const lws_extension kExtensions[] = {
    {"permessage-deflate", lws_extension_callback_pm_deflate, "permessage-deflate"},
    {nullptr, nullptr, nullptr},
};

std::string urlArg(lws* wsi, const char* name)
{
    char buffer[8192];
    const char* value = lws_get_urlarg_by_name(wsi, name, buffer, static_cast<int>(sizeof buffer));
    return value ? std::string(value) : std::string();
}

ChatLine systemLine(std::string text) { return {"系统", "0", std::move(text)}; }

}  // namespace

struct DemoServer::Listener {
    DemoServer* server;
    std::string name;
    bool chat;          // serves the lookup for itself, the chat server and the page
    std::string fault;  // a lookup fault listener: its mode
    int port = 0;
};

struct DemoServer::HttpExchange {
    LookupReply reply;
    std::string contentType = "text/plain; charset=utf-8";
    bool headersSent = false;
};

struct DemoServer::Connection {
    struct Outgoing {
        std::string payload;
        std::size_t fragment;  // bytes per frame; the whole message when 0
    };
    lws* wsi = nullptr;
    Listener* listener = nullptr;
    bool joined = false;
    int room = 0;
    RoomBehaviour behaviour;
    std::string incoming;
    std::deque<Outgoing> queue;
    std::size_t offset = 0;
    bool closeWhenDrained = false;
    long messagesLeft = -1;  // -1: no limit
    unsigned long floodRepeats = 0;
    unsigned long floodNumbered = 0;
    std::chrono::steady_clock::time_point nextNumbered;
    std::vector<unsigned char> frame;
};

DemoServer::DemoServer(DemoOptions options) : m_options(std::move(options)), m_chatter(m_options.seed) {}

DemoServer::~DemoServer()
{
    if (m_context)
        lws_context_destroy(m_context);  // closes every connection; their callbacks free them
}

lws_vhost* DemoServer::CreateListener(Listener& listener, int port, bool compressed, std::string& error)
{
    lws_context_creation_info info{};
    info.port = port;
    info.iface = m_options.listenAddress.c_str();
    info.protocols = kProtocols;
    info.extensions = compressed ? kExtensions : nullptr;
    info.vhost_name = listener.name.c_str();
    info.user = &listener;
    if (m_options.listenAddress.find(':') == std::string::npos)
        info.options |= LWS_SERVER_OPTION_DISABLE_IPV6;
    lws_vhost* vhost = lws_create_vhost(m_context, &info);
    if (!vhost) {
        error = "cannot listen on " + m_options.listenAddress + " port " + std::to_string(port) + " (" + listener.name +
                ")";
        return nullptr;
    }
    listener.port = lws_get_vhost_listen_port(vhost);
    m_listeners.emplace_back(listener.name, listener.port);
    return vhost;
}

bool DemoServer::Start(std::string& error)
{
    lws_set_log_level(LLL_ERR | LLL_WARN, nullptr);
    lws_context_creation_info info{};
    info.options = LWS_SERVER_OPTION_EXPLICIT_VHOSTS;
    info.gid = -1;
    info.uid = -1;
    info.max_http_header_data = 16384;  // room for a long line typed on the audience page
    m_context = lws_create_context(&info);
    if (!m_context) {
        error = "cannot create the libwebsockets context";
        return false;
    }

    const auto add = [&](std::string name, bool chat, std::string fault, int port, bool compressed) {
        m_listenerConfigs.push_back(
            std::make_unique<Listener>(Listener{this, std::move(name), chat, std::move(fault)}));
        return CreateListener(*m_listenerConfigs.back(), port, compressed, error) != nullptr;
    };
    if (!add("main", true, "", m_options.port, true))
        return false;
    if (m_options.plainPort >= 0 && !add("plain", true, "", m_options.plainPort, false))
        return false;
    if (m_options.faultLookups)
        for (const std::string& fault : LookupFaultNames())
            if (!add("lookup." + fault, false, fault, 0, false))
                return false;

    if (!m_options.portsFile.empty()) {
        // Written whole under a temporary name, then renamed: a reader never sees half a file.
        const std::string temporary = m_options.portsFile + ".tmp";
        {
            std::ofstream out(temporary, std::ios::trunc);
            for (const auto& [name, port] : m_listeners)
                out << name << '=' << port << '\n';
            if (!out) {
                error = "cannot write " + temporary;
                return false;
            }
        }
        if (std::rename(temporary.c_str(), m_options.portsFile.c_str()) != 0) {
            error = "cannot write " + m_options.portsFile;
            return false;
        }
    }

    m_ticker.server = this;
    lws_sul_schedule(m_context, 0, &m_ticker.sul, OnTick, kTickUs);
    return true;
}

void DemoServer::Run(const volatile std::sig_atomic_t& stop)
{
    while (!stop)
        if (lws_service(m_context, 0) < 0)
            break;
}

void DemoServer::OnTick(lws_sorted_usec_list_t* sul)
{
    static_assert(std::is_standard_layout_v<Ticker>);
    reinterpret_cast<Ticker*>(sul)->server->Tick();
}

void DemoServer::Tick()
{
    lws_sul_schedule(m_context, 0, &m_ticker.sul, OnTick, kTickUs);
    const lws_usec_t now = lws_now_usecs();
    const auto interval = static_cast<lws_usec_t>(static_cast<double>(LWS_US_PER_SEC) / m_options.rate);
    if (m_nextChatter == 0 || now - m_nextChatter > LWS_US_PER_SEC)
        m_nextChatter = now;  // start, or catch up after a long pause without a burst
    while (m_nextChatter <= now) {
        m_nextChatter += interval;
        for (auto& [room, connections] : m_rooms) {
            if (connections.empty() || (*connections.begin())->behaviour.mode != RoomMode::Lively)
                continue;
            const std::string event = m_chatter.NextEvent();
            for (Connection* connection : connections)
                Enqueue(*connection, event);
        }
    }
}

int DemoServer::Callback(lws* wsi, lws_callback_reasons reason, void* user, void* in, size_t len)
{
    lws_vhost* vhost = lws_get_vhost(wsi);
    auto* listener = vhost ? static_cast<Listener*>(lws_vhost_user(vhost)) : nullptr;
    auto* slot = static_cast<Slot*>(user);
    if (!listener || !slot)
        return 0;
    DemoServer& server = *listener->server;
    switch (reason) {
    case LWS_CALLBACK_HTTP:
        return server.OnHttp(wsi, *listener, *slot, static_cast<const char*>(in));
    case LWS_CALLBACK_HTTP_WRITEABLE:
        return slot->http ? server.OnHttpWritable(wsi, *slot) : 0;
    case LWS_CALLBACK_TIMER:  // the slow lookup's delay is over
        lws_callback_on_writable(wsi);
        return 0;
    case LWS_CALLBACK_CLOSED_HTTP:
    case LWS_CALLBACK_HTTP_DROP_PROTOCOL:  // the slot is freed with the protocol binding
        delete slot->http;
        slot->http = nullptr;
        return 0;
    case LWS_CALLBACK_ESTABLISHED:
        slot->chat = new Connection();
        slot->chat->wsi = wsi;
        slot->chat->listener = listener;
        return 0;
    case LWS_CALLBACK_RECEIVE: {
        Connection* connection = slot->chat;
        if (!connection)
            return -1;
        if (connection->incoming.size() + len > kMaxJoinRequestBytes)
            return -1;
        connection->incoming.append(static_cast<const char*>(in), len);
        if (lws_is_final_fragment(wsi) && lws_remaining_packet_payload(wsi) == 0) {
            server.OnJoin(*connection, connection->incoming);
            connection->incoming.clear();
        }
        return 0;
    }
    case LWS_CALLBACK_SERVER_WRITEABLE:
        return slot->chat ? server.OnChatWritable(*slot->chat) : 0;
    case LWS_CALLBACK_CLOSED:
        if (Connection* connection = slot->chat) {
            if (connection->joined) {
                auto room = server.m_rooms.find(connection->room);
                room->second.erase(connection);
                if (room->second.empty())
                    server.m_rooms.erase(room);
            }
            delete connection;
            slot->chat = nullptr;
        }
        return 0;
    default:
        return 0;
    }
}

int DemoServer::OnHttp(lws* wsi, Listener& listener, Slot& slot, const char* path)
{
    auto exchange = std::make_unique<HttpExchange>();
    const std::string target = path ? path : "";
    if (!listener.chat) {
        exchange->reply = LookupFaultReply(listener.fault, m_options.publicHost, m_listeners.front().second);
    } else if (target == "/index.php" && urlArg(wsi, "c=") == "plugs" && urlArg(wsi, "a=") == "get_chat_server") {
        exchange->reply = {200, m_options.publicHost + ":" + std::to_string(listener.port)};
    } else if (target == "/" || target == "/index.html") {
        exchange->reply = {200, kAudiencePage};
        exchange->contentType = "text/html; charset=utf-8";
    } else if (target == "/agent") {
        // Echoes the client's User-Agent, for the tests of the lookup's HTTP request.
        char agent[512] = "";
        lws_hdr_copy(wsi, agent, static_cast<int>(sizeof agent), WSI_TOKEN_HTTP_USER_AGENT);
        exchange->reply = {200, agent};
    } else if (target == "/say") {
        const std::string roomText = urlArg(wsi, "room=");
        std::string name = urlArg(wsi, "name=");
        const std::string text = urlArg(wsi, "text=");
        int room = 0;
        const auto [end, error] = std::from_chars(roomText.data(), roomText.data() + roomText.size(), room);
        if (error != std::errc() || end != roomText.data() + roomText.size() || text.empty() ||
            text.size() > kMaxSayBytes) {
            exchange->reply = {400, "room (a number) and text (1 to 2000 bytes) are needed\n"};
        } else {
            if (name.empty())
                name = "网页观众";
            const int reached = Broadcast(room, ChatEvent({name, "web", text}));
            exchange->reply = {200, std::to_string(reached)};
        }
    } else {
        exchange->reply = {404, "not found\n"};
    }
    delete slot.http;  // a kept-alive connection's previous request
    slot.http = exchange.release();
    if (slot.http->reply.kind == LookupReply::Kind::Slow) {
        lws_set_timer_usecs(wsi, static_cast<lws_usec_t>(m_options.slowLookupMs) * LWS_US_PER_MS);
        // The library's own time-out for a connection that waits on its reply (5 s) would hang up
        // first: the slow reply must really come, however late.
        lws_set_timeout(wsi, PENDING_TIMEOUT_HTTP_CONTENT, m_options.slowLookupMs / 1000 + 10);
    } else
        lws_callback_on_writable(wsi);
    return 0;
}

int DemoServer::OnHttpWritable(lws* wsi, Slot& slot)
{
    HttpExchange& exchange = *slot.http;
    const std::string& body = exchange.reply.body;
    const bool cutShort = exchange.reply.kind == LookupReply::Kind::CutShort;
    if (!exchange.headersSent) {
        unsigned char buffer[LWS_PRE + 1024];
        unsigned char* start = buffer + LWS_PRE;
        unsigned char* p = start;
        unsigned char* end = buffer + sizeof buffer - 1;
        const lws_filepos_t length = cutShort ? body.size() + 100 : body.size();
        if (lws_add_http_common_headers(wsi, exchange.reply.status, exchange.contentType.c_str(), length, &p, end) ||
            lws_finalize_write_http_header(wsi, start, &p, end))
            return 1;
        exchange.headersSent = true;
        lws_callback_on_writable(wsi);
        return 0;
    }
    std::vector<unsigned char> buffer(LWS_PRE + body.size());
    std::memcpy(buffer.data() + LWS_PRE, body.data(), body.size());
    if (cutShort) {
        lws_write(wsi, buffer.data() + LWS_PRE, body.size(), LWS_WRITE_HTTP);
        return -1;  // hang up with the rest of the promised body unsent
    }
    if (!body.empty() && lws_write(wsi, buffer.data() + LWS_PRE, body.size(), LWS_WRITE_HTTP_FINAL) < 0)
        return -1;
    return lws_http_transaction_completed(wsi) ? -1 : 0;
}

void DemoServer::Enqueue(Connection& connection, std::string payload, std::size_t fragment)
{
    connection.queue.push_back({std::move(payload), fragment});
    lws_callback_on_writable(connection.wsi);
}

int DemoServer::Broadcast(int room, const std::string& event)
{
    const auto found = m_rooms.find(room);
    if (found == m_rooms.end())
        return 0;
    for (Connection* connection : found->second)
        Enqueue(*connection, event);
    return static_cast<int>(found->second.size());
}

void DemoServer::OnJoin(Connection& connection, const std::string& text)
{
    if (connection.joined)
        return;  // one join per connection; anything after it is ignored
    int room = 0;
    std::string reason;
    if (!CheckJoinRequest(text, CurrentTimestamp(), kClockToleranceSeconds, room, reason)) {
        std::fprintf(stderr, "demo: refused a join: %s\n", reason.c_str());
        Enqueue(connection, RejectEvent());
        return;
    }
    connection.behaviour = BehaviourOf(room);
    if (m_options.refuseAll || connection.behaviour.mode == RoomMode::Refuse) {
        Enqueue(connection, RejectEvent());
        return;
    }
    connection.joined = true;
    connection.room = room;
    m_rooms[room].insert(&connection);
    std::printf("demo: joined room %d\n", room);  // the end-to-end tests count joins here
    std::fflush(stdout);
    Enqueue(connection, AckEvent());

    const auto& script = ScriptedLines();
    switch (connection.behaviour.mode) {
    case RoomMode::Lively:
        Enqueue(connection, ChatEvent(systemLine("欢迎来到 " + std::to_string(room) + " 号直播间")));
        if (m_options.closeAfter > 0)
            connection.messagesLeft = m_options.closeAfter;
        break;
    case RoomMode::Scripted:
        for (const ChatLine& line : script)
            Enqueue(connection, ChatEvent(line));
        Enqueue(connection, GiftEvent(ScriptedGift().name, ScriptedGift().uid));
        break;
    case RoomMode::CloseAfterAck:
        connection.closeWhenDrained = true;
        break;
    case RoomMode::Garbage:
        for (const char* garbage :
             {"hello, not JSON", "{\"cmd\":\"cst\",\"data\":", "\x01\x02\xFE\xFF", "[1,2,3]", "\"just a string\"", "42",
              "{\"cmd\":\"cst\",\"data\":[1,2]}", "{\"cmd\":{\"x\":1},\"data\":\"x\"}"})
            Enqueue(connection, garbage);
        Enqueue(connection, std::string(5000, '[') + std::string(5000, ']'));
        Enqueue(connection, ChatEvent(systemLine("after garbage")));
        break;
    case RoomMode::Huge:
        Enqueue(connection, ChatEvent(BigLine(kHugeMessageBytes)));
        Enqueue(connection, ChatEvent(systemLine("after huge")));
        break;
    case RoomMode::Fragments:
        Enqueue(connection, ChatEvent(BigLine(kBigMessageBytes)), kSmallFragmentBytes);
        Enqueue(connection, ChatEvent(systemLine("after fragments")));
        break;
    case RoomMode::WholeBig:
        Enqueue(connection, ChatEvent(BigLine(kBigMessageBytes)));
        Enqueue(connection, ChatEvent(systemLine("after whole")));
        break;
    case RoomMode::Flood:
        break;  // the writable callback keeps the queue full
    case RoomMode::ScriptThenClose:
        for (int i = 0; i < connection.behaviour.lines && i < static_cast<int>(script.size()); ++i)
            Enqueue(connection, ChatEvent(script[static_cast<std::size_t>(i)]));
        connection.closeWhenDrained = true;
        break;
    case RoomMode::Refuse:
        break;
    }
}

int DemoServer::OnChatWritable(Connection& connection)
{
    if (connection.behaviour.mode == RoomMode::Flood && connection.joined) {
        while (connection.queue.size() < kFloodQueueDepth) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= connection.nextNumbered) {
                connection.nextNumbered = now + kFloodNumberedPeriod;
                connection.queue.push_back({ChatEvent(FloodNumbered(++connection.floodNumbered)), 0});
            } else {
                connection.queue.push_back({ChatEvent(FloodRepeat(++connection.floodRepeats)), 0});
            }
        }
    }
    if (connection.queue.empty()) {
        if (!connection.closeWhenDrained)
            return 0;
        static const char kBye[] = "bye";
        lws_close_reason(connection.wsi, LWS_CLOSE_STATUS_NORMAL,
                         reinterpret_cast<unsigned char*>(const_cast<char*>(kBye)), 3);
        return -1;
    }

    Connection::Outgoing& message = connection.queue.front();
    const std::size_t total = message.payload.size();
    const std::size_t fragment = message.fragment ? message.fragment : total;
    const std::size_t chunk = std::min(fragment, total - connection.offset);
    const bool first = connection.offset == 0;
    const bool last = connection.offset + chunk == total;
    connection.frame.resize(LWS_PRE + chunk);
    std::memcpy(connection.frame.data() + LWS_PRE, message.payload.data() + connection.offset, chunk);
    const int flags = lws_write_ws_flags(LWS_WRITE_TEXT, first, last);
    if (lws_write(connection.wsi, connection.frame.data() + LWS_PRE, chunk, static_cast<lws_write_protocol>(flags)) < 0)
        return -1;
    connection.offset += chunk;
    if (last) {
        connection.queue.pop_front();
        connection.offset = 0;
        if (connection.messagesLeft > 0 && --connection.messagesLeft == 0) {
            connection.queue.clear();
            connection.closeWhenDrained = true;
        }
    }
    if (!connection.queue.empty() || connection.closeWhenDrained || connection.behaviour.mode == RoomMode::Flood)
        lws_callback_on_writable(connection.wsi);
    return 0;
}

}  // namespace zandrel::demo

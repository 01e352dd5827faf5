#pragma once

#include <csignal>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <libwebsockets.h>

#include "demo/DemoOptions.h"
#include "demo/LookupFaults.h"
#include "demo/RoomContent.h"
#include "demo/RoomModes.h"

namespace zandrel::demo {

// The demo chat service: one libwebsockets context on one thread, with a listener for the lookup,
// the chat server and the audience page, and optionally one without compression and one per
// lookup fault mode.
class DemoServer {
public:
    explicit DemoServer(DemoOptions options);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Creates the context and every listener. False with `error` set when one cannot listen.
    bool Start(std::string& error);
    // Services until `stop` becomes non-zero (a signal handler sets it).
    void Run(const volatile std::sig_atomic_t& stop);
    // Every listener as name and port: "main", "plain", "lookup.<fault>".
    const std::vector<std::pair<std::string, int>>& Listeners() const { return m_listeners; }

    // libwebsockets' entry point; `user` is the per-connection slot.
    static int Callback(lws* wsi, lws_callback_reasons reason, void* user, void* in, size_t len);

private:
    struct Listener;
    struct HttpExchange;
    struct Connection;
    struct Slot {
        HttpExchange* http;
        Connection* chat;
    };

    int OnHttp(lws* wsi, Listener& listener, Slot& slot, const char* path);
    int OnHttpWritable(lws* wsi, Slot& slot);
    void OnJoin(Connection& connection, const std::string& text);
    int OnChatWritable(Connection& connection);
    void Enqueue(Connection& connection, std::string payload, std::size_t fragment = 0);
    int Broadcast(int room, const std::string& event);
    void Tick();
    static void OnTick(lws_sorted_usec_list_t* sul);
    lws_vhost* CreateListener(Listener& listener, int port, bool compressed, std::string& error);

    DemoOptions m_options;
    lws_context* m_context = nullptr;
    std::vector<std::unique_ptr<Listener>> m_listenerConfigs;
    std::vector<std::pair<std::string, int>> m_listeners;
    std::map<int, std::set<Connection*>> m_rooms;
    LivelyRoom m_chatter;
    // The periodic tick. Standard layout with the timer first, so the timer's callback finds us.
    struct Ticker {
        lws_sorted_usec_list_t sul;
        DemoServer* server;
    } m_ticker{};
    lws_usec_t m_nextChatter = 0;
};

}  // namespace zandrel::demo

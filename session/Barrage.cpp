#include "session/Barrage.h"

#include <libwebsockets.h>

#include "base/WindowMessage.h"
#include "session/BarrageCallback.h"
#include "session/BarrageMessage.h"
#include "session/JoinRequest.h"
#include "session/ProtocolTexts.h"
#include "session/SessionStatus.h"

namespace zandrel {
namespace {

constexpr int kDefaultLogLevels = LLL_ERR | LLL_WARN | LLL_NOTICE;
constexpr DWORD kIdleStepMs = 100;

}  // namespace

CBarrage::CBarrage(ISessionSink& sink)
    : m_uidSource(NewUid), m_clock(CurrentTimestamp), m_nLogLevel(kDefaultLogLevels), m_resolve(ResolveWithSystem),
      m_sink(sink)
{}

CBarrage::~CBarrage() { UserStop(); }

void CBarrage::SetRoom(int room)
{
    std::lock_guard lock(m_settingsMutex);
    m_nRoom = room;
}

void CBarrage::SetPort(int port)
{
    std::lock_guard lock(m_settingsMutex);
    m_nPort = port;
}

void CBarrage::SetHost(std::string host)
{
    std::lock_guard lock(m_settingsMutex);
    m_strHost = std::move(host);
}

void CBarrage::SetUidSource(std::function<std::string()> source)
{
    std::lock_guard lock(m_settingsMutex);
    m_uidSource = std::move(source);
}

void CBarrage::SetClock(std::function<std::int32_t()> clock)
{
    std::lock_guard lock(m_settingsMutex);
    m_clock = std::move(clock);
}

void CBarrage::SetLogLevel(int levels) { m_nLogLevel = levels; }

void CBarrage::SetQuiet(bool quiet) { SetLogLevel(quiet ? LLL_ERR | LLL_WARN : kDefaultLogLevels); }

void CBarrage::SetTimings(const SessionTimings& timings)
{
    std::lock_guard lock(m_settingsMutex);
    m_timings = timings;
}

void CBarrage::SetResolver(ResolveFunction resolve)
{
    std::lock_guard lock(m_settingsMutex);
    m_resolve = std::move(resolve);
}

CBarrage::Settings CBarrage::CurrentSettings() const
{
    std::lock_guard lock(m_settingsMutex);
    return {m_nRoom, m_nPort, m_strHost, m_timings, m_resolve};
}

std::string CBarrage::BuildJoinRequest() const
{
    std::lock_guard lock(m_settingsMutex);
    return zandrel::BuildJoinRequest(m_nRoom, m_uidSource(), m_clock());
}

bool CBarrage::Start()
{
    m_bStopByUser = false;
    m_bFailed = false;
    m_bJoinedOnce = false;
    m_stopService = false;
    m_bConnect = true;
    return Begin(false);
}

void CBarrage::UserStop()
{
    // In this order: the worker must see the user's mark before the stop flag, so that the cycle
    // the flag ends shows no reconnect line and no new cycle begins.
    m_bStopByUser = true;
    m_stopService = true;
    WakeService();
    const std::thread::id worker = ThreadId();
    // A worker waiting on this (UI) thread would wait for ever: for room in the overlay's queue, or
    // for a send.
    m_sink.CancelWaits();
    if (worker != std::thread::id())
        CancelSendsFrom(worker);
    Stop();
    if (worker != std::thread::id())
        AllowSendsFrom(worker);
    m_sink.AllowWaits();
    m_backoff.Reset();  // the worker has ended: the next session starts without a wait
}

void CBarrage::PublishContext(lws_context* context)
{
    std::lock_guard lock(m_contextMutex);
    m_pContext = context;
}

void CBarrage::PublishResolution(std::shared_ptr<CPendingResolution> pending)
{
    std::lock_guard lock(m_contextMutex);
    m_pendingResolution = std::move(pending);
}

void CBarrage::WakeService()
{
    // Any thread. Ends a wait for the resolver, or wakes the service loop.
    std::lock_guard lock(m_contextMutex);
    if (m_pendingResolution)
        m_pendingResolution->Cancel();
    if (m_pContext)
        lws_cancel_service(m_pContext);
}

bool CBarrage::WaitBeforeReconnect()
{
    const std::chrono::milliseconds delay = m_backoff.NextDelay(m_bLastCycleHealthy);
    // The overlay tells of an outage once, when it begins; the attempts after that are counted on
    // the status line (and the overlay's strip), not line by line.
    if (m_backoff.Attempt() == 1) {
        BarrageMessage record;
        record.SetName(texts::kSystemMessage);
        record.SetText(texts::kReconnecting);
        record.m_kind = LineKind::Own;
        m_sink.ToOverlay({OverlayCommand::Kind::Line, std::move(record)});
    }
    m_sink.Status(SessionStatus::Reconnecting, ReconnectDetail(m_backoff.Attempt(), delay.count()));
    if (delay.count() <= 0)
        return true;
    // A warning, which the default log keeps: an outage is worth a line in the desktop's journal, and
    // the back-off keeps these to a few a minute.
    lwsl_warn("reconnecting in %lld ms (attempt %d)\n", static_cast<long long>(delay.count()), m_backoff.Attempt());
    return !SleepUnlessStopped(static_cast<DWORD>(delay.count()));
}

bool CBarrage::RunStep()
{
    if (!m_bConnect || m_bStopByUser) {
        SleepUnlessStopped(kIdleStepMs);
        return true;
    }
    bool ended = RunOnce();
    if (!ended && m_bJoinedOnce && m_lastError == texts::kConnectFailed) {
        // Once the room has been joined, a connection that cannot be made is an outage, not the
        // end: the session keeps trying, backing off, until the user stops it. Only a refusal
        // still ends it.
        m_lastError.clear();
        ended = true;
    }
    if (ended) {
        if (!m_bStopByUser && WaitBeforeReconnect() && !m_bStopByUser) {
            m_bConnect = true;
            m_stopService = false;
        }
        return true;
    }
    m_backoff.Reset();
    // Idle from now on; cleared before the report, so that a Start answering it is not undone.
    m_bConnect = false;
    if (!m_bStopByUser) {
        // A user stop has ended this session already; only a live one reports its failure, once
        // the overlay has taken everything before it, the hiding included.
        m_sink.ToOverlay({OverlayCommand::Kind::Hide, {}});
        if (m_sink.WaitUntilOverlayDone()) {
            m_bFailed = true;
            m_sink.Failed(m_lastError);
        }
    }
    return true;
}

bool CBarrage::RunOnce()
{
    // One cycle, in the order of the library's minimal client: a context, the host's address, the
    // connection, the service loop until something stops it, and the end.
    lws_set_log_level(m_nLogLevel.load(), lwsl_emit_stderr);
    lwsl_notice("************** client start ************** \n");
    lwsl_notice("libwebsockets chat client \n");

    const Settings settings = CurrentSettings();
    m_bLastCycleHealthy = false;
    m_lastError.clear();
    m_sink.Status(SessionStatus::Joining);
    CycleState cycle(m_sink, m_stopService);
    if (!CreateContext(cycle, settings)) {
        m_lastError = texts::kConnectFailed;
        return false;
    }
    std::string address;
    const CPendingResolution::Outcome outcome = ResolveHost(settings, address);
    if (outcome == CPendingResolution::Outcome::Cancelled) {
        DestroyContext(cycle);
        return true;
    }
    if (outcome == CPendingResolution::Outcome::Failed || !Connect(cycle, settings, address)) {
        lwsl_notice("libwebsocket weblogcat connect failed\n");
        m_lastError = texts::kConnectFailed;
        DestroyContext(cycle);
        return false;
    }
    lwsl_notice("Waiting for connect...\n");
    ServiceUntilStopped(cycle);
    DestroyContext(cycle);
    return EndCycle(cycle, settings);
}

bool CBarrage::CreateContext(CycleState& cycle, const Settings& settings)
{
    lws_context_creation_info info{};
    info.port = CONTEXT_PORT_NO_LISTEN;
    info.protocols = g_protocols;
    // No compression extension: libwebsockets 4.1 stalls for good on an uncompressed fragmented
    // message once permessage-deflate is agreed, and chat lines are small.
    info.extensions = nullptr;
    info.gid = -1;
    info.uid = -1;
    info.user = &cycle;
    info.timeout_secs = static_cast<unsigned int>(settings.timings.connectTimeoutSeconds);
    cycle.context = lws_create_context(&info);
    if (!cycle.context) {
        lwsl_notice("Creating libwebsocket context failed\n");
        return false;
    }
    PublishContext(cycle.context);  // from now on UserStop can wake it
    return true;
}

CPendingResolution::Outcome CBarrage::ResolveHost(const Settings& settings, std::string& address)
{
    // On a thread of its own: the library would resolve the name inside the connect call, where a
    // stop could not interrupt it.
    auto resolution = CPendingResolution::Start(settings.resolve, settings.host);
    PublishResolution(resolution);
    // A stop that came before the resolution was published has already set the flag.
    const auto outcome = m_stopService ? CPendingResolution::Outcome::Cancelled : resolution->Wait(address);
    PublishResolution(nullptr);
    return outcome;
}

bool CBarrage::Connect(CycleState& cycle, const Settings& settings, const std::string& address)
{
    cycle.joinRequest = BuildJoinRequest();
    lws_client_connect_info connect{};
    connect.context = cycle.context;
    connect.address = address.c_str();
    connect.port = settings.port;
    connect.ssl_connection = 0;
    connect.path = "/";
    connect.host = settings.host.c_str();
    connect.origin = settings.host.c_str();
    connect.protocol = nullptr;  // no subprotocol requested
    connect.local_protocol_name = kChatProtocolName;
    connect.ietf_version_or_minus_one = -1;
    cycle.keepAlive.secs_since_valid_ping = static_cast<uint16_t>(settings.timings.keepAlivePingSeconds);
    cycle.keepAlive.secs_since_valid_hangup = static_cast<uint16_t>(settings.timings.keepAliveHangupSeconds);
    connect.retry_and_idle_policy = &cycle.keepAlive;
    // A connection error may be reported inside the call already; it lands in the cycle's state.
    return lws_client_connect_via_info(&connect) != nullptr;
}

void CBarrage::ServiceUntilStopped(CycleState& cycle)
{
    // libwebsockets sleeps until its socket, one of its timers (keep-alive, time-outs) or
    // lws_cancel_service wakes it: a quiet room costs no wake-ups, and UserStop's wake-up ends the
    // wait at once. Each return looks at the stop flag.
    while (!m_stopService) {
        if (lws_service(cycle.context, 0) < 0)
            break;
    }
}

void CBarrage::DestroyContext(CycleState& cycle)
{
    // What the destruction reports (the connection going) is no news any more.
    cycle.serviceOver = true;
    PublishContext(nullptr);
    lws_context_destroy(cycle.context);
    cycle.context = nullptr;
}

bool CBarrage::EndCycle(const CycleState& cycle, const Settings& settings)
{
    m_bLastCycleHealthy =
        cycle.joined && std::chrono::steady_clock::now() - cycle.joinedAt >= settings.timings.healthyAfter;
    if (cycle.joined)
        m_bJoinedOnce = true;
    m_lastError = cycle.error;
    return m_lastError.empty();
}

}  // namespace zandrel

#include "lookup/HttpRequest.h"

#include <memory>

#include <curl/curl.h>

#include "lookup/ApplicationName.h"

namespace zandrel {
namespace {

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiCleanup {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct UrlCleanup {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// A URL part as a string, or empty.
std::string urlPart(CURLU* url, CURLUPart part, unsigned int flags = 0)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || !text)
        return {};
    std::string value(text);
    curl_free(text);
    return value;
}

struct Sink {
    std::string* body;
    bool tooLong = false;
};

std::size_t appendChunk(char* data, std::size_t size, std::size_t count, void* userdata)
{
    auto* sink = static_cast<Sink*>(userdata);
    const std::size_t bytes = size * count;
    if (sink->body->size() + bytes > CHttpRequest::kMaxBodyBytes) {
        sink->tooLong = true;
        return 0;  // makes libcurl fail the transfer
    }
    sink->body->append(data, bytes);
    return bytes;
}

// libcurl shortens a poll to its own next timer; this only caps a wait that nothing shortens.
constexpr int kPollCapMs = 30000;

}  // namespace

void InitHttpRequests() { curl_global_init(CURL_GLOBAL_DEFAULT); }

void CleanupHttpRequests() { curl_global_cleanup(); }

bool CHttpRequest::Get(const std::string& url)
{
    m_strResponse.clear();
    const bool ok = Perform(url);
    if (!ok) {
        m_strResponse.clear();
        m_nStatus = -1;
    }
    return ok;
}

bool CHttpRequest::ResolveHost(const std::string& url, std::chrono::steady_clock::time_point deadline,
                               std::string& entry)
{
    entry.clear();
    const std::unique_ptr<CURLU, UrlCleanup> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return true;  // libcurl will say what is wrong with it
    std::string host = urlPart(parsed.get(), CURLUPART_HOST);
    const std::string port = urlPart(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (host.empty() || port.empty() || host.front() == '[')
        return true;  // an IPv6 address needs no resolving
    const auto pending = CPendingResolution::Start(m_resolve, host);
    {
        std::lock_guard lock(m_multiMutex);
        m_pResolution = pending;
    }
    // Published before this look at the flag, so that an Abort either finds it or is seen here.
    std::string address;
    const auto outcome =
        m_bAborted.load() ? CPendingResolution::Outcome::Cancelled : pending->WaitUntil(address, deadline);
    {
        std::lock_guard lock(m_multiMutex);
        m_pResolution.reset();
    }
    if (outcome != CPendingResolution::Outcome::Resolved)
        return false;
    if (address == host)
        return true;  // numeric: nothing to hand over
    entry = host + ":" + port + ":" + (address.find(':') != std::string::npos ? "[" + address + "]" : address);
    return true;
}

bool CHttpRequest::Perform(const std::string& url)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_nTimeoutSeconds);
    std::string resolved;
    if (!ResolveHost(url, deadline, resolved))
        return false;
    const std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
    const std::unique_ptr<CURLM, MultiCleanup> multi(curl_multi_init());
    if (!easy || !multi)
        return false;
    // libcurl would resolve the name itself, inside a thread that its clean-up waits for; it gets
    // the address instead.
    const std::unique_ptr<curl_slist, SlistCleanup> resolveList(
        resolved.empty() ? nullptr : curl_slist_append(nullptr, resolved.c_str()));
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    const std::string agent = ApplicationName();
    Sink sink{&m_strResponse};
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM games in a threaded program
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(left.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
    if (resolveList)
        curl_easy_setopt(h, CURLOPT_RESOLVE, resolveList.get());
#if LIBCURL_VERSION_NUM >= 0x075700
    // A name that libcurl does resolve (a redirect's host) is not waited for at the clean-up: the
    // resolver thread is left to finish by itself.
    curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);
#endif
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendChunk);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    if (curl_multi_add_handle(multi.get(), h) != CURLM_OK)
        return false;
    {
        std::lock_guard lock(m_multiMutex);
        m_pMulti = multi.get();
    }

    // The transfer runs in curl_multi_perform; curl_multi_poll sleeps until there is something to
    // do, libcurl's next timer (the time-out among them), or Abort's wake-up.
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    int running = 1;
    while (!m_bAborted.load()) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running == 0) {
            int queued = 0;
            if (const CURLMsg* message = curl_multi_info_read(multi.get(), &queued);
                message && message->msg == CURLMSG_DONE)
                result = message->data.result;
            break;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, kPollCapMs, nullptr) != CURLM_OK)
            break;
    }
    {
        std::lock_guard lock(m_multiMutex);
        m_pMulti = nullptr;
    }
    curl_multi_remove_handle(multi.get(), h);

    const bool ok = result == CURLE_OK && !sink.tooLong && !m_bAborted.load();
    if (ok) {
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        m_nStatus = static_cast<int>(status);
    }
    return ok;
}

void CHttpRequest::Abort()
{
    m_bAborted = true;
    std::lock_guard lock(m_multiMutex);
    if (m_pResolution)
        m_pResolution->Cancel();
    if (m_pMulti)
        curl_multi_wakeup(static_cast<CURLM*>(m_pMulti));
}

}  // namespace zandrel

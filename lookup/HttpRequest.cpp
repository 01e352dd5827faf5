#include "HttpRequest.h"

#include <memory>

#include <curl/curl.h>

#include "ApplicationName.h"

namespace zandrel {
namespace {

struct CurlCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

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

}  // namespace

bool CHttpRequest::Get(const std::string& url)
{
    m_strResponse.clear();
    const std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    bool ok = false;
    if (curl) {
        const std::string agent = ApplicationName();
        Sink sink{&m_strResponse};
        CURL* h = curl.get();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM games in a threaded program
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, m_nConnectTimeoutSeconds);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, m_nStallTimeoutSeconds);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendChunk);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
        ok = curl_easy_perform(h) == CURLE_OK && !sink.tooLong;
        if (ok) {
            long status = 0;
            curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
            m_nStatus = static_cast<int>(status);
        }
    }
    if (!ok) {
        m_strResponse.clear();
        m_nStatus = -1;
    }
    return ok;
}

}  // namespace zandrel

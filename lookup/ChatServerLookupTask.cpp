#include "lookup/ChatServerLookupTask.h"

#include "lookup/ChatServerLookup.h"
#include "lookup/HttpRequest.h"

namespace zandrel {

CChatServerLookupTask::~CChatServerLookupTask() { Cancel(); }

void CChatServerLookupTask::Start(Done done)
{
    Cancel();
    m_request = std::make_shared<CHttpRequest>();
    // Lookup thread: fetches, parses, hands the result over.
    m_thread = std::thread([request = m_request, done = std::move(done)] {
        Result result;
        result.ok = GetChatServer(*request, result.host, result.port, result.errorText);
        if (done && !request->Aborted())  // a cancelled lookup has no result
            done(result);
    });
}

void CChatServerLookupTask::Cancel()
{
    if (m_request)
        m_request->Abort();
    m_request.reset();
    if (m_thread.joinable())
        m_thread.join();
}

}  // namespace zandrel

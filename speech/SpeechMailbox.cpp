#include "speech/SpeechMailbox.h"

namespace zandrel {

bool CSpeechMailbox::WakeUp()
{
    if (m_wakeUpPending)
        return false;
    m_wakeUpPending = true;
    return true;
}

bool CSpeechMailbox::PutItems(std::vector<SpeechItem> items)
{
    std::lock_guard lock(m_mutex);
    for (SpeechItem& item : items) {
        item.seconds = m_time.Seconds(item.text);
        m_items.Push(std::move(item));
    }
    return WakeUp();
}

bool CSpeechMailbox::PutSettings(const SpeechSettings& settings)
{
    std::lock_guard lock(m_mutex);
    m_items.SetMaxBacklog(settings.maxBacklogSeconds);
    m_mail.settings = settings;
    return WakeUp();
}

bool CSpeechMailbox::PutPaused(bool paused)
{
    std::lock_guard lock(m_mutex);
    m_mail.pausedSince = m_mail.pausedSince || paused;
    m_mail.paused = paused;
    return WakeUp();
}

bool CSpeechMailbox::PutClear()
{
    std::lock_guard lock(m_mutex);
    m_items.Clear();
    m_mail.clear = true;
    return WakeUp();
}

CSpeechMailbox::Mail CSpeechMailbox::Take()
{
    std::lock_guard lock(m_mutex);
    Mail mail = std::move(m_mail);
    m_mail = Mail();
    while (std::optional<SpeechItem> item = m_items.Start()) {
        mail.items.push_back(std::move(*item));
        m_items.Finished();
    }
    m_wakeUpPending = false;
    return mail;
}

void CSpeechMailbox::SetSpeakingTime(const CSpeakingTime& time)
{
    std::lock_guard lock(m_mutex);
    m_time = time;
}

std::size_t CSpeechMailbox::Waiting() const
{
    std::lock_guard lock(m_mutex);
    return m_items.Waiting();
}

std::size_t CSpeechMailbox::Dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_items.Dropped();
}

}  // namespace zandrel

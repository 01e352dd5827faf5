#include <QHash>
#include <QLocale>
#include <QTextToSpeech>
#include <QTimer>
#include <QVoice>

#include "speech/SpeechEngine.h"

namespace zandrel {
namespace {

const QString kNoEngine = QStringLiteral("没有可用的语音引擎");
const QString kEngineFailed = QStringLiteral("语音引擎无法使用：%1");

// Qt's text-to-speech. A text has ended when the engine is ready again after speaking it; an engine
// that never says so (a lost speech server) is given up on after the time the text should take, with
// a margin, so that the queue never stalls.
//
// The voice is chosen here, not by the system's locale. Qt's speech-dispatcher engine starts with a
// voice of the locale's language and reports an error when it finds none, although it is connected
// and lists its voices: on a Chinese desktop with espeak-ng it always does, since espeak-ng names
// Mandarin "cmn", a code Qt 6.4 reads as no language at all. That error leaves the engine usable:
// it fails here only when it lists no voice at all and says why.
class CSystemSpeechEngine : public ISpeechEngine {
public:
    CSystemSpeechEngine()
    {
        const QStringList engines = QTextToSpeech::availableEngines();
        if (engines.isEmpty()) {
            m_problem = kNoEngine;
            return;
        }
        const QString engine = engines.contains(QLatin1String("speechd")) ? QStringLiteral("speechd") : engines.first();
        m_speech = std::make_unique<QTextToSpeech>(engine);
        const bool startFailed = m_speech->state() == QTextToSpeech::Error;
        const QString engineVoice = startFailed ? QString() : m_speech->voice().name();
        const std::vector<EngineVoice> voices = ReadVoices();
        if (voices.empty() && startFailed) {
            m_problem = kEngineFailed.arg(m_speech->errorString());
            return;
        }
        m_listed = ListedVoices(voices);
        m_defaultVoice = DefaultVoice(voices, engineVoice);
        // An engine that started well speaks with the voice it has even if it refuses this one; one
        // whose start failed speaks only with a voice given here.
        if (!UseVoice(m_defaultVoice) && startFailed) {
            m_problem = kEngineFailed.arg(m_speech->errorString());
            return;
        }
        // Both on this thread: the engine's own events come queued from the speech server's thread.
        QTextToSpeech* speech = m_speech.get();
        QObject::connect(speech, &QTextToSpeech::stateChanged, speech, [this](QTextToSpeech::State state) {
            if (state == QTextToSpeech::Speaking)
                m_started = true;
            else if (state == QTextToSpeech::Ready && m_started)
                Done(true);
            else if (state == QTextToSpeech::Error)
                OnError(m_speech->errorReason(), m_speech->errorString());
        });
        // Also after a start that failed for want of the locale's voice: the state stays Error until
        // the first text is spoken, and an error then changes no state.
        QObject::connect(speech, &QTextToSpeech::errorOccurred, speech,
                         [this](QTextToSpeech::ErrorReason reason, const QString& text) { OnError(reason, text); });
        m_giveUp.setSingleShot(true);
        QObject::connect(&m_giveUp, &QTimer::timeout, [this] { Done(false); });
    }

    QString Problem() const override { return m_problem; }

    SpeechVoices Voices() const override { return m_listed; }

    void Configure(const SpeechSettings& settings) override
    {
        if (!m_speech || !m_problem.isEmpty())
            return;
        m_speech->setRate(settings.rate / 10.0);
        m_speech->setVolume(settings.volume / 100.0);
        // A voice the engine no longer has (the settings came from another machine, a module was
        // removed) leaves the default one.
        if (settings.voice.isEmpty() || !UseVoice(settings.voice))
            UseVoice(m_defaultVoice);
    }

    void Say(const QString& text) override
    {
        if (!m_problem.isEmpty()) {
            QTimer::singleShot(0, &m_giveUp, [this] { Done(false); });
            return;
        }
        m_saying = true;
        m_started = false;
        m_giveUp.start(5000 + 1000 * static_cast<int>(text.size()));
        m_speech->say(text);
    }

    void Stop() override
    {
        if (m_speech && m_saying)
            m_speech->stop();
        Done(false);
    }

private:
    // Every voice of every language the engine lists. Qt lists the voices of one language at a
    // time, so each language is chosen in turn; the voice is chosen again afterwards.
    std::vector<EngineVoice> ReadVoices()
    {
        std::vector<EngineVoice> voices;
        for (const QLocale& locale : m_speech->availableLocales()) {
            m_speech->setLocale(locale);
            for (const QVoice& voice : m_speech->availableVoices()) {
                if (m_voices.contains(voice.name()))
                    continue;
                m_voices.insert(voice.name(), voice);
                voices.push_back({voice.name(), voice.locale()});
            }
        }
        return voices;
    }
    // Speaks with the voice of that name from now on; an empty name keeps the engine's own.
    bool UseVoice(const QString& name)
    {
        if (name.isEmpty())
            return true;
        const auto found = m_voices.constFind(name);
        if (found == m_voices.constEnd())
            return false;
        if (m_speech->voice().name() != name)
            m_speech->setVoice(*found);
        return m_speech->voice().name() == name;
    }
    // A voice or a language the engine refused (Configuration) leaves it speaking with the voice it
    // has; anything else means it stopped working.
    void OnError(QTextToSpeech::ErrorReason reason, const QString& text)
    {
        if (reason != QTextToSpeech::ErrorReason::Configuration && reason != QTextToSpeech::ErrorReason::NoError)
            Failed(kEngineFailed.arg(text));
    }
    void Done(bool whole)
    {
        if (!m_saying)
            return;
        m_saying = false;
        m_giveUp.stop();
        if (onDone)
            onDone(whole);
    }
    void Failed(const QString& problem)
    {
        if (!m_problem.isEmpty())
            return;  // told once: the state's change and the error both say it
        m_problem = problem;
        if (onProblem)
            onProblem(problem);
        Done(false);
    }

    QString m_problem;
    QHash<QString, QVoice> m_voices;  // by name, what the settings store
    SpeechVoices m_listed;
    QString m_defaultVoice;  // empty: the engine's own
    QTimer m_giveUp;
    bool m_saying = false;
    bool m_started = false;
    // Last, so that it goes first: nothing it does while it ends finds the members above gone.
    std::unique_ptr<QTextToSpeech> m_speech;
};

}  // namespace

std::unique_ptr<ISpeechEngine> CreateSystemSpeechEngine() { return std::make_unique<CSystemSpeechEngine>(); }

}  // namespace zandrel

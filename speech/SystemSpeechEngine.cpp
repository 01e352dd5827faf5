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
        if (m_speech->state() == QTextToSpeech::Error) {
            m_problem = kEngineFailed.arg(m_speech->errorString());
            return;
        }
        for (const QLocale& locale : m_speech->availableLocales()) {
            if (locale.language() == QLocale::Chinese) {
                m_speech->setLocale(locale);
                break;
            }
        }
        QObject::connect(m_speech.get(), &QTextToSpeech::stateChanged, [this](QTextToSpeech::State state) {
            if (state == QTextToSpeech::Speaking)
                m_started = true;
            else if (state == QTextToSpeech::Ready && m_started)
                Done();
            else if (state == QTextToSpeech::Error)
                Failed(kEngineFailed.arg(m_speech->errorString()));
        });
        m_giveUp.setSingleShot(true);
        QObject::connect(&m_giveUp, &QTimer::timeout, [this] { Done(); });
    }

    QString Problem() const override { return m_problem; }

    QStringList Voices() const override
    {
        QStringList names;
        if (m_speech)
            for (const QVoice& voice : m_speech->availableVoices())
                names.push_back(voice.name());
        return names;
    }

    void Configure(const SpeechSettings& settings) override
    {
        if (!m_speech || !m_problem.isEmpty())
            return;
        m_speech->setRate(settings.rate / 10.0);
        m_speech->setVolume(settings.volume / 100.0);
        for (const QVoice& voice : m_speech->availableVoices()) {
            if (voice.name() == settings.voice) {
                m_speech->setVoice(voice);
                break;
            }
        }
    }

    void Say(const QString& text) override
    {
        if (!m_problem.isEmpty()) {
            QTimer::singleShot(0, [this] { Done(); });
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
        Done();
    }

private:
    void Done()
    {
        if (!m_saying)
            return;
        m_saying = false;
        m_giveUp.stop();
        if (onDone)
            onDone();
    }
    void Failed(const QString& problem)
    {
        m_problem = problem;
        if (onProblem)
            onProblem(problem);
        Done();
    }

    std::unique_ptr<QTextToSpeech> m_speech;
    QString m_problem;
    QTimer m_giveUp;
    bool m_saying = false;
    bool m_started = false;
};

}  // namespace

std::unique_ptr<ISpeechEngine> CreateSystemSpeechEngine() { return std::make_unique<CSystemSpeechEngine>(); }

}  // namespace zandrel

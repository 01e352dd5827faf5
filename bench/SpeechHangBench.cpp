// Prints what a speech engine that stops answering costs the UI thread: memory per line handed to
// read-aloud while speech-dispatcher is stopped (SIGSTOP), and how long read-aloud takes to end then.
// Against the system's real engine: run it through tests/speech/with_audio.sh, which gives it a sound
// server and a runtime folder of its own, so that the speech-dispatcher it stops is its own.
//
//   with_audio.sh bench_speech_hang [LINES]
//
// Memory is what the allocator holds (mallinfo2), so a build without the sanitizers gives the
// numbers that count.

#include <malloc.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "speech/ReadAloud.h"

namespace {

using namespace zandrel;
using Clock = std::chrono::steady_clock;

// The speech server that the engine started on demand for this run: with_audio.sh gives the run a
// runtime folder of its own, where the server keeps its process id. 0 while there is none.
pid_t ownSpeechServer()
{
    QFile file(qEnvironmentVariable("XDG_RUNTIME_DIR") +
               QStringLiteral("/speech-dispatcher/pid/speech-dispatcher.pid"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toInt();
}

std::size_t heapInUse() { return mallinfo2().uordblks; }

bool waitFor(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
    auto readAloud = std::make_unique<CReadAloud>();
    SpeechSettings settings;
    settings.enabled = true;
    readAloud->Configure(settings);
    if (!waitFor([&] { return readAloud->IsStarted(); }, 600000) || !readAloud->Problem().isEmpty()) {
        std::fprintf(stderr, "the engine did not start: %s\n", qPrintable(readAloud->Problem()));
        return 1;
    }
    const pid_t server = ownSpeechServer();
    if (server <= 0) {
        std::fprintf(stderr, "no speech-dispatcher of this run's own\n");
        return 1;
    }
    kill(server, SIGSTOP);
    // The first line takes the speech thread into the stopped server, where it stays.
    readAloud->Speak({{QStringLiteral("感谢观众的礼物"), true, 0}});
    waitFor([] { return false; }, 500);

    const std::size_t before = heapInUse();
    for (int i = 0; i < lines; ++i) {
        // One line a batch, as a room with a gift now and then hands them over.
        readAloud->Speak({{QStringLiteral("感谢观众%1的礼物").arg(i), true, 0}});
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const std::size_t after = heapInUse();

    const Clock::time_point closing = Clock::now();
    readAloud.reset();
    const double closeMs = std::chrono::duration<double, std::milli>(Clock::now() - closing).count();

    std::printf("lines handed over with the engine stopped: %d\n", lines);
    std::printf("heap growth: %.1f KB in all, %.3f KB per line\n", (static_cast<double>(after) - before) / 1024,
                (static_cast<double>(after) - before) / 1024 / lines);
    std::printf("read-aloud ended in %.0f ms\n", closeMs);
    // Killed, not continued: a continued server would hand the thread left behind its queue.
    kill(server, SIGKILL);
    return 0;
}

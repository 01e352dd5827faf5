// Prints what the overlay costs under a flood: lines per second through the whole UI path (a
// worker thread's blocking sends, the Qt dispatch, rendering with the store's trims), and the
// memory a long-running view holds with and without an undo history.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEvent>

#include <malloc.h>

#include "app/QtMessageDispatcher.h"
#include "base/TextCodec.h"
#include "base/WindowMessage.h"
#include "overlay/BubbleDlg.h"
#include "overlay/UiRichEdit.h"

namespace {

using namespace zandrel;
using Clock = std::chrono::steady_clock;

BarrageMessage sampleLine(int i)
{
    BarrageMessage rec;
    rec.SetCmd("cst");
    rec.SetName(WideToAnsi(u"弹幕小王子"));
    rec.SetText(WideToAnsi(u"攻略在这 http://wiki.example.com/guide?id=" + std::u16string(1, char16_t(u'0' + i % 10)) +
                           u" 很有用<img src=\"/static/face/12.gif\" />"));
    return rec;
}

// A worker hands `count` lines to the shown overlay as the session does, through the overlay
// queue; the UI thread drains and renders them. Also counts the overlay's paints.
void floodThroughTheUiThread(QApplication& app, int count)
{
    CBubbleDlg overlay;
    overlay.show();
    struct PaintCounter final : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    overlay.RichEdit().viewport()->installEventFilter(&counter);
    const auto start = Clock::now();
    std::thread worker([count, &queue = overlay.Queue(), target = overlay.Handle()] {
        for (int i = 0; i < count; ++i)
            queue.Push(target, {OverlayCommand::Kind::Line, sampleLine(i)});
        queue.WaitUntilEmpty();
        QMetaObject::invokeMethod(
            qApp, [] { QApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("flood: %d lines from a worker through the overlay queue in %.2f s: %.0f lines/s, %d paints "
                "(store now %zu lines)\n",
                count, seconds, count / seconds, counter.paints, overlay.Messages().size());
}

// Every rule for lines on: a block list of 1,000 entries (500 senders, 500 keywords) that no line
// matches, so that each is judged against all of it and shown; 50 highlights; merged repeats.
LineRuleSettings everyRule()
{
    LineRuleSettings rules;
    for (int i = 1; i <= 500; ++i) {
        rules.blockedSenders += QStringLiteral("blocked-viewer-%1\n").arg(i);
        rules.blockedKeywords += QStringLiteral("spam-word-%1\n").arg(i);
    }
    for (int i = 1; i <= 50; ++i) {
        rules.highlightedSenders += QStringLiteral("friend-%1\n").arg(i);
        rules.highlightedKeywords += QStringLiteral("keyword-%1\n").arg(i);
    }
    rules.mergeRepeats = true;
    return rules;
}

// The same lines rendered on the UI thread in batches of `batch`, as a drain renders them, with or
// without every rule on.
void renderBatches(int count, int batch, bool rules = false)
{
    CBubbleDlg overlay;
    if (rules)
        overlay.SetLineRules(everyRule(), LineLook{true});
    overlay.show();
    const auto start = Clock::now();
    for (int i = 0; i < count; i += batch) {
        std::vector<BarrageMessage> lines;
        for (int j = i; j < std::min(count, i + batch); ++j) {
            // Each line its own, so that merging finds nothing to save and every rule does its work.
            lines.push_back(sampleLine(j));
            lines.back().m_strText += std::to_string(j);
        }
        overlay.AddBarrageMessages(std::move(lines));
    }
    QCoreApplication::processEvents();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("render in batches of %d (shown%s): %d lines on the UI thread in %.2f s: %.0f lines/s\n", batch,
                rules ? ", every rule on" : "", count, seconds, count / seconds);
}

// The same lines rendered on the UI thread itself, without the cross-thread hand-off.
void renderOnly(int count, bool shown)
{
    CBubbleDlg overlay;
    if (shown)
        overlay.show();
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        overlay.AddBarrageMessage(sampleLine(i));
    QCoreApplication::processEvents();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("render only (%s): %d lines on the UI thread in %.2f s: %.0f lines/s\n", shown ? "shown" : "hidden",
                count, seconds, count / seconds);
}

// The hand-off alone: a worker's blocking sends to a receiver that does nothing.
void handOffOnly(QApplication& app, int count)
{
    struct Sink final : IMessageReceiver {
        LRESULT OnWindowMessage(UINT, WPARAM, LPARAM) override { return 1; }
    } sink;
    const HWND handle = RegisterWindow(sink);
    const auto start = Clock::now();
    std::thread worker([count, handle] {
        for (int i = 0; i < count; ++i) {
            BarrageMessage rec = sampleLine(i);
            SendWindowMessage(handle, WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&rec));
        }
        QMetaObject::invokeMethod(
            qApp, [] { QApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    UnregisterWindow(handle);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("hand-off only: %d blocking sends in %.2f s: %.0f sends/s\n", count, seconds, count / seconds);
}

// The worst single messages under the session's 1 MiB limit: what one of them costs the UI thread,
// from the handler's copy to the painted overlay.
void worstMessages()
{
    constexpr std::size_t kMiB = 1 << 20;
    const auto fill = [](std::string_view piece) {
        std::string text;
        while (text.size() + piece.size() <= kMiB - 64)
            text += piece;
        return text;
    };
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"ASCII letters", fill("abcdefgh")},
        {"Chinese", fill(WideToAnsi(u"中文弹幕"))},
        {"one address", "http://" + fill("a")},
        {"addresses", fill("http://a.b/ ")},
        {"emoticon tags", fill("<img src=\"/f/1.gif\" />")},
        {"invalid bytes", fill("\xFF")},
        {"no line breaks, wide characters", fill(WideToAnsi(u"😀"))},
    };
    CBubbleDlg overlay;
    overlay.show();
    QCoreApplication::processEvents();
    double worst = 0;
    for (const auto& c : cases) {
        BarrageMessage rec = sampleLine(0);
        rec.SetText(c.text);
        rec.SetName(c.text);  // the name is cut the same way
        const auto start = Clock::now();
        overlay.AddBarrageMessage(rec);
        overlay.repaint();  // lay out and paint now, as the next frame would
        QCoreApplication::processEvents();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        worst = std::max(worst, ms);
        std::printf("worst message, %s (%zu bytes): %.2f ms on the UI thread\n", c.what, c.text.size(), ms);
    }
    std::printf("worst message: %.2f ms on the UI thread (a frame is 16.7 ms)\n", worst);
}

// Heap in use, from the allocator's own count: page-granular resident sizes hide the difference.
double heapMiB() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }

// `lines` chat lines appended as the overlay appends them (a title run and a message run), to a
// view with or without an undo history; no store limit, as in a view that is never trimmed.
void memoryOf(int lines, bool undo)
{
    QTextCharFormat title, message;
    title.setForeground(CBubbleDlg::kTitleColour);
    message.setForeground(CBubbleDlg::kMessageColour);
    const double before = heapMiB();
    {
        CUiRichEdit view;
        view.document()->setUndoRedoEnabled(undo);
        for (int i = 0; i < lines; ++i) {
            view.AppendText(QStringLiteral("\n弹幕小王子 14:05:09\n"), title);
            view.AppendText(QStringLiteral("攻略在这 http://wiki.example.com/guide?id=42 很有用"), message);
        }
        std::printf("%s: %d lines, %.1f MiB of heap, %d undo steps\n",
                    undo ? "view with an undo history" : "view without undo history", lines, heapMiB() - before,
                    view.document()->availableUndoSteps());
    }
    QCoreApplication::processEvents();  // the posted scrolls
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallDispatcher(std::make_shared<CQtMessageDispatcher>(&app));

    // With an argument, only the parts whose name starts with it: worst, flood, render, handoff, memory.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto wanted = [&](const char* part) { return QString::fromLatin1(part).startsWith(only); };
    if (wanted("worst"))
        worstMessages();
    if (wanted("flood"))
        floodThroughTheUiThread(app, 20000);
    if (wanted("render")) {
        renderOnly(20000, true);
        renderOnly(20000, false);
        renderBatches(20000, 128);
        renderBatches(20000, 128, true);
    }
    if (wanted("handoff"))
        handOffOnly(app, 20000);
    if (wanted("memory")) {
        memoryOf(100000, false);
        memoryOf(100000, true);
    }

    InstallDispatcher(nullptr);
    return 0;
}

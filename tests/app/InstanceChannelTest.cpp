// Commands from another start of the program to the one that runs: their wording, and the local
// socket that carries them.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/AppOptions.h"
#include "app/InstanceChannel.h"

namespace zandrel {
namespace {

using Kind = InstanceCommand::Kind;

TEST(InstanceCommand, EachCommandReadsBackAsItself)
{
    for (const InstanceCommand& command :
         {InstanceCommand{Kind::Show, 0}, InstanceCommand{Kind::ToggleLock, 0}, InstanceCommand{Kind::Connect, 123},
          InstanceCommand{Kind::Connect, 2147483647}, InstanceCommand{Kind::Disconnect, 0}}) {
        SCOPED_TRACE(FormatInstanceCommand(command).toStdString());
        EXPECT_EQ(ParseInstanceCommand(FormatInstanceCommand(command)), command);
    }
    for (const char* line : {"", "hide", "connect", "connect ", "connect -1", "connect 2147483648", "connect 12a",
                             "toggle-lock now", "SHOW"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ParseInstanceCommand(QString::fromLatin1(line)));
    }
}

TEST(InstanceCommand, TheCommandLineNamesOneAtMost)
{
    struct Case {
        QStringList arguments;
        bool ok;
        std::optional<InstanceCommand> command;
    };
    const Case cases[] = {
        {{"zandrel"}, true, std::nullopt},
        {{"zandrel", "--toggle-lock"}, true, InstanceCommand{Kind::ToggleLock, 0}},
        {{"zandrel", "--connect", "0123"}, true, InstanceCommand{Kind::Connect, 123}},
        {{"zandrel", "--connect=9"}, true, InstanceCommand{Kind::Connect, 9}},
        {{"zandrel", "--connect", "abc"}, false, std::nullopt},
        {{"zandrel", "--connect", "2147483648"}, false, std::nullopt},
        {{"zandrel", "--show", "--disconnect"}, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        AppOptions options;
        QString error;
        EXPECT_EQ(ParseAppOptions(c.arguments, options, error), c.ok) << error.toStdString();
        if (c.ok) {
            EXPECT_EQ(options.command, c.command);
        }
        int argc = static_cast<int>(c.arguments.size());
        std::vector<QByteArray> bytes;
        std::vector<const char*> argv;
        for (const QString& argument : c.arguments)
            bytes.push_back(argument.toUtf8());
        for (const QByteArray& argument : bytes)
            argv.push_back(argument.constData());
        EXPECT_EQ(AsksForInstanceCommand(argc, argv.data()), c.arguments.size() > 1);
    }
}

class InstanceChannel : public ::testing::Test {
protected:
    QString Path() const { return m_dir.filePath(QStringLiteral("instance")); }
    // Sends from a thread of its own, as another process would, while this (UI) thread serves.
    SendResult Send(const InstanceCommand& command, QString& answer)
    {
        std::atomic<bool> done{false};
        SendResult result = SendResult::Failed;
        std::thread client([&] {
            result = SendToRunningInstance(Path(), command, answer, 5000);
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
        client.join();
        return result;
    }

    QTemporaryDir m_dir;
};

TEST_F(InstanceChannel, TheRunningInstanceCarriesOutWhatAnotherStartSends)
{
    std::vector<InstanceCommand> received;
    CInstanceServer server([&](const InstanceCommand& command) {
        received.push_back(command);
        return QStringLiteral("ok");
    });
    QString answer;
    EXPECT_EQ(Send({Kind::Show, 0}, answer), SendResult::NotRunning);  // nobody listens yet

    ASSERT_TRUE(server.Listen(Path()));
    EXPECT_EQ(Send({Kind::ToggleLock, 0}, answer), SendResult::Done);
    EXPECT_EQ(answer, QStringLiteral("ok"));
    EXPECT_EQ(Send({Kind::Connect, 42}, answer), SendResult::Done);
    EXPECT_EQ(received, (std::vector<InstanceCommand>{{Kind::ToggleLock, 0}, {Kind::Connect, 42}}));

    // A second instance of the same user finds the first one there and does not take over.
    CInstanceServer second([](const InstanceCommand&) { return QStringLiteral("ok"); });
    EXPECT_FALSE(second.Listen(Path()));
}

TEST_F(InstanceChannel, ASocketLeftByAProgramThatDiedIsTakenOver)
{
    // What a crash leaves behind: the socket's file, with nobody listening.
    QFile stale(Path());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    CInstanceServer server([](const InstanceCommand&) { return QStringLiteral("ok"); });
    ASSERT_TRUE(server.Listen(Path()));
    QString answer;
    EXPECT_EQ(Send({Kind::Disconnect, 0}, answer), SendResult::Done);
}

}  // namespace
}  // namespace zandrel

// What the status line says for each state of the session.

#include <gtest/gtest.h>

#include "app/StatusText.h"

namespace zandrel {
namespace {

struct StatusCase {
    StatusLine status;
    QString text;
};

TEST(StatusText, EachStateInTheProgramsWording)
{
    using State = StatusLine::State;
    const StatusCase cases[] = {
        {StatusLine::Idle(), QStringLiteral("未连接")},
        {StatusLine::Of(State::LookingUp, 123), QStringLiteral("正在获取直播室服务地址...")},
        {StatusLine::Of(State::Joining, 123), QStringLiteral("正在加入直播室 123...")},
        {StatusLine::Of(State::Connected, -5), QStringLiteral("已连接直播室 -5")},
        {StatusLine::Reconnect(123, 1, 0), QStringLiteral("正在重连…（第 1 次）")},
        {StatusLine::Reconnect(123, 4, 8), QStringLiteral("正在重连…（第 4 次，8 秒后）")},
        {StatusLine::Failure(123, QStringLiteral("连接请求被拒绝！")), QStringLiteral("连接请求被拒绝！")},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(StatusText(c.status), c.text);
    }
}

}  // namespace
}  // namespace zandrel

#include "app/StatusText.h"

namespace zandrel {

QString StatusText(const StatusLine& status)
{
    switch (status.state) {
    case StatusLine::State::Idle:
        return QStringLiteral("未连接");
    case StatusLine::State::LookingUp:
        return QStringLiteral("正在获取直播室服务地址...");
    case StatusLine::State::Joining:
        return QStringLiteral("正在加入直播室 %1...").arg(status.room);
    case StatusLine::State::Connected:
        return QStringLiteral("已连接直播室 %1").arg(status.room);
    case StatusLine::State::Reconnecting:
        if (status.seconds <= 0)
            return QStringLiteral("正在重连…（第 %1 次）").arg(status.attempt);
        return QStringLiteral("正在重连…（第 %1 次，%2 秒后）").arg(status.attempt).arg(status.seconds);
    case StatusLine::State::Failed:
        return status.failure;
    }
    return {};
}

}  // namespace zandrel

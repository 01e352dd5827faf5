#pragma once

// The session's own texts. Byte strings are GB18030 (GBK) bytes, written out so that the program
// does not depend on the compiler's source or execution character set.

namespace zandrel::texts {

inline constexpr char kSystemInfo[] = "\xCF\xB5\xCD\xB3\xD0\xC5\xCF\xA2";                           // 系统信息
inline constexpr char kJoinSuccess[] = "\xB3\xC9\xB9\xA6\xC1\xAC\xBD\xD3\xD6\xB1\xB2\xA5\xCA\xD2";  // 成功连接直播室
inline constexpr char kGiftText[] = "\xCB\xCD\xB8\xF8\xD6\xF7\xB2\xA5"
                                    "10\xB8\xF6\xCF\xC9\xB6\xB9";               // 送给主播10个仙豆
inline constexpr char kSystemMessage[] = "\xCF\xB5\xCD\xB3\xCF\xFB\xCF\xA2";    // 系统消息
inline constexpr char kReconnecting[] = "\xD5\xFD\xD4\xDA\xD6\xD8\xC1\xAC...";  // 正在重连...

inline constexpr char16_t kJoinRefused[] = u"连接请求被拒绝！";
inline constexpr char16_t kConnectFailed[] = u"连接房间失败！";

}  // namespace zandrel::texts

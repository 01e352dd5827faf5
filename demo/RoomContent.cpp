#include "demo/RoomContent.h"

#include <array>

#include "demo/PhpJson.h"

namespace zandrel::demo {
namespace {

constexpr std::array kNames = {
    "小明",       "阿花", "夜猫子", "风中追风", "一只咸鱼",   "吃瓜群众", "路人甲",   "星河",
    "南风知我意", "大白", "柠檬精", "老王",     "弹幕小王子", "熬夜冠军", "快乐小狗", "云淡风轻",
};

constexpr std::array kTexts = {
    "主播好！",
    "这波操作可以",
    "哈哈哈哈哈哈",
    "666666",
    "前方高能<img src=\"/static/face/12.gif\" />",
    "来了来了<img src=\"/static/face/3.gif\" /><img src=\"/static/face/3.gif\" />",
    "主播今天状态不错",
    "求背景音乐名字",
    "这个游戏叫什么名字？",
    "上分上分！",
    "攻略在这 http://wiki.example.com/guide?id=42#boss 很有用",
    "录像地址：http://video.example.com/v/12345",
    "晚上好各位",
    "打卡",
    "主播注意身后！",
    "这把稳了",
    "第一次来，关注了",
    "弹幕护体<img src=\"/static/face/7.gif\" />",
    "100% 能赢",
    "老铁们刷起来",
};

constexpr const char* kLongText = "讲一个长故事：昨天晚上我一边吃泡面一边看直播，主播在最后一个圈里一打三，"
                                  "我激动得把汤洒在了键盘上，现在空格键一按就吱吱响。不过值了！"
                                  "顺便问一下，主播用的是什么鼠标？看起来很顺手，我也想买一个试试。"
                                  "还有，上次说的那个地图技巧能不能再讲一遍，我录屏的时候没录上。";

std::string userObject(std::string_view name, std::string_view uid)
{
    return "{\"name\":" + PhpJsonString(name) + ",\"uid\":" + PhpJsonString(uid) + "}";
}

}  // namespace

std::string AckEvent() { return R"({"cmd":"ack"})"; }

std::string RejectEvent() { return R"({"cmd":"rej"})"; }

std::string ChatEvent(const ChatLine& line)
{
    return "{\"cmd\":\"cst\",\"data\":" + PhpJsonString(line.text) + ",\"user\":" + userObject(line.name, line.uid) +
           "}";
}

std::string GiftEvent(std::string_view name, std::string_view uid)
{
    return "{\"cmd\":\"gift\",\"amount\":\"1\",\"user\":" + userObject(name, uid) + "}";
}

const std::vector<ChatLine>& ScriptedLines()
{
    static const std::vector<ChatLine> lines = [] {
        std::vector<ChatLine> made;
        for (int i = 1; i <= 20; ++i)
            made.push_back({"观众" + std::to_string(i), std::to_string(1000 + i), "第" + std::to_string(i) + "条弹幕"});
        made[4].text = "表情<img src=\"/static/face/1.gif\" />来了";
        made[9].text = "链接 http://example.com/a?b=1 看这里";
        made[14].text = "乱码测试 %s %n \\ \" / 😀";
        return made;
    }();
    return lines;
}

ChatLine ScriptedGift() { return {"土豪", "8888", ""}; }

ChatLine FloodRepeat(unsigned long k)
{
    static const ChatLine kRepeats[] = {
        {"观众甲", "8001", "666"},
        {"观众乙", "8002", "哈哈哈哈哈哈"},
        {"观众丙", "8003", "主播好强"},
        {"观众丁", "8004", "来了来了"},
    };
    return kRepeats[(k - 1) % std::size(kRepeats)];
}

ChatLine FloodNumbered(unsigned long n) { return {"刷屏机器人", "7777", "刷屏第 " + std::to_string(n) + " 条"}; }

ChatLine BigLine(std::size_t bytes)
{
    static constexpr std::string_view kUnit = "中文弹幕 0123456789 ";  // 4 escapes (24 bytes) + 12
    std::string text = "big:";
    for (std::size_t wire = 0; wire < bytes; wire += 36)
        text += kUnit;
    return {"大消息", "4242", text};
}

std::string LivelyRoom::NextEvent()
{
    const std::uint32_t roll = m_random() % 100;
    const char* name = kNames[m_random() % kNames.size()];
    const std::string uid = std::to_string(10000 + m_random() % 90000);
    if (roll < 8)
        return GiftEvent(name, uid);
    if (roll < 11)
        return ChatEvent({name, uid, kLongText});
    return ChatEvent({name, uid, kTexts[m_random() % kTexts.size()]});
}

}  // namespace zandrel::demo

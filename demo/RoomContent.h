#pragma once

// What the demo's rooms say: events in the chat protocol, with names and texts escaped as a PHP
// server escapes them, and the fixed scripts that tests read back.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace zandrel::demo {

// One chat line in UTF-8, before escaping.
struct ChatLine {
    std::string name;
    std::string uid;
    std::string text;
};

std::string AckEvent();
std::string RejectEvent();
std::string ChatEvent(const ChatLine& line);
// A gift: "amount" "1" with the giver as "user".
std::string GiftEvent(std::string_view name, std::string_view uid);

// The scripted room's lines, in the order they are sent, and the gift that follows them.
const std::vector<ChatLine>& ScriptedLines();
ChatLine ScriptedGift();
// A chat line whose text is about `bytes` long on the wire: Chinese and ASCII mixed.
ChatLine BigLine(std::size_t bytes);

// A flood as real ones look: the same few lines from the same few viewers over and over (the k-th
// repeat, from 1), and among them numbered lines from a bot (the n-th, from 1), one every two seconds.
ChatLine FloodRepeat(unsigned long k);
ChatLine FloodNumbered(unsigned long n);

// A lively room: chat lines, gifts, emoticon tags, http:// links and now and then a long message.
class LivelyRoom {
public:
    explicit LivelyRoom(std::uint32_t seed) : m_random(seed) {}
    std::string NextEvent();

private:
    std::mt19937 m_random;
};

}  // namespace zandrel::demo

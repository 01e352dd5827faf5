#pragma once

#include <QString>

namespace zandrel {

// What the streamer asked of the room's lines: whose lines and which words to block or to
// highlight, whether to show only gifts and highlights, and whether to merge repeats. The lists are
// plain text, one entry a line. Everything is off by default, so that the overlay shows every line
// as it comes.
struct LineRuleSettings {
    static constexpr int kDefaultMergeSeconds = 10;
    static constexpr int kMaxMergeSeconds = 3600;

    QString blockedSenders;  // names or uids
    QString blockedKeywords;
    QString highlightedSenders;  // names or uids
    QString highlightedKeywords;
    bool keywordsAreRegex = false;  // keyword entries are regular expressions, not plain text
    bool onlyGiftsAndHighlights = false;
    bool mergeRepeats = false;
    int mergeSeconds = kDefaultMergeSeconds;

    friend bool operator==(const LineRuleSettings&, const LineRuleSettings&) = default;
};

}  // namespace zandrel

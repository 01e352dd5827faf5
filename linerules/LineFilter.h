#pragma once

#include <vector>

#include <QStringView>

#include "linerules/LineRules.h"
#include "linerules/RuleList.h"
#include "session/BarrageMessage.h"

namespace zandrel {

// What becomes of a line under the streamer's rules.
enum class LineVerdict {
    Show,       // as it comes
    Highlight,  // shown in the highlight colour
    Hide,       // not shown: only gifts and highlights are
    Block,      // not shown, not read aloud, counted
};

// The streamer's rules, compiled once whenever they change, and judged on every line. The
// session's own lines are always shown as they are; a blocked sender or keyword beats a
// highlight. UI thread (or any one thread at a time).
class CLineFilter {
public:
    static inline const QString kBlockedKeywordsName = QStringLiteral("屏蔽关键词");
    static inline const QString kHighlightedKeywordsName = QStringLiteral("高亮关键词");

    CLineFilter() = default;
    explicit CLineFilter(const LineRuleSettings& settings);

    LineVerdict Judge(LineKind kind, QStringView name, QStringView uid, QStringView text) const;
    // True when every line is shown as it comes, so that the overlay can skip judging.
    bool PassesAll() const { return m_passesAll; }
    // The entries that cannot be used, in both keyword lists.
    std::vector<RuleProblem> Problems() const;

private:
    CSenderList m_blockedSenders;
    CKeywordList m_blockedKeywords;
    CSenderList m_highlightedSenders;
    CKeywordList m_highlightedKeywords;
    bool m_onlyGiftsAndHighlights = false;
    bool m_passesAll = true;
};

}  // namespace zandrel

#include "linerules/LineFilter.h"

namespace zandrel {

CLineFilter::CLineFilter(const LineRuleSettings& settings)
    : m_blockedSenders(settings.blockedSenders),
      m_blockedKeywords(kBlockedKeywordsName, settings.blockedKeywords, settings.keywordsAreRegex),
      m_highlightedSenders(settings.highlightedSenders),
      m_highlightedKeywords(kHighlightedKeywordsName, settings.highlightedKeywords, settings.keywordsAreRegex),
      m_onlyGiftsAndHighlights(settings.onlyGiftsAndHighlights),
      m_passesAll(m_blockedSenders.IsEmpty() && m_blockedKeywords.IsEmpty() && m_highlightedSenders.IsEmpty() &&
                  m_highlightedKeywords.IsEmpty() && !m_onlyGiftsAndHighlights)
{}

LineVerdict CLineFilter::Judge(LineKind kind, QStringView name, QStringView uid, QStringView text) const
{
    if (kind == LineKind::Own || m_passesAll)
        return LineVerdict::Show;
    if (m_blockedSenders.Matches(name, uid) || m_blockedKeywords.Matches(text))
        return LineVerdict::Block;
    if (m_highlightedSenders.Matches(name, uid) || m_highlightedKeywords.Matches(text))
        return LineVerdict::Highlight;
    if (m_onlyGiftsAndHighlights && kind != LineKind::Gift)
        return LineVerdict::Hide;
    return LineVerdict::Show;
}

std::vector<RuleProblem> CLineFilter::Problems() const
{
    std::vector<RuleProblem> problems = m_blockedKeywords.Problems();
    problems.insert(problems.end(), m_highlightedKeywords.Problems().begin(), m_highlightedKeywords.Problems().end());
    return problems;
}

}  // namespace zandrel

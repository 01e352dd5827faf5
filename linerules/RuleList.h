#pragma once

#include <vector>

#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace zandrel {

// An entry of a list that cannot be used, as the settings box shows it: which line, and why.
struct RuleProblem {
    QString list;  // the list's name, as the box shows it
    int line = 0;  // from 1
    QString entry;
    QString reason;

    friend bool operator==(const RuleProblem&, const RuleProblem&) = default;
};

// The entries of a list: one a line, spaces around them dropped, empty lines skipped.
QStringList RuleEntries(const QString& text);

// Senders by name or uid. A name matches whatever its case; a uid matches exactly.
class CSenderList {
public:
    CSenderList() = default;
    explicit CSenderList(const QString& text);
    bool Matches(QStringView name, QStringView uid) const;
    bool IsEmpty() const { return m_entries.isEmpty(); }

private:
    QSet<QString> m_entries;  // case-folded
};

// Keywords, found anywhere in a text: plain text whatever its case, or regular expressions. An
// expression that does not compile is left out and reported (Problems()); the others still work.
class CKeywordList {
public:
    CKeywordList() = default;
    CKeywordList(const QString& listName, const QString& text, bool regex);
    bool Matches(QStringView text) const;
    bool IsEmpty() const { return m_plain.pattern().isEmpty() && m_expressions.empty(); }
    const std::vector<RuleProblem>& Problems() const { return m_problems; }

private:
    QRegularExpression m_plain;  // every plain keyword in one alternation
    std::vector<QRegularExpression> m_expressions;
    std::vector<RuleProblem> m_problems;
};

}  // namespace zandrel

#include "linerules/RuleList.h"

namespace zandrel {

QStringList RuleEntries(const QString& text)
{
    QStringList entries;
    for (const QString& line : text.split(u'\n')) {
        const QString entry = line.trimmed();
        if (!entry.isEmpty())
            entries.push_back(entry);
    }
    return entries;
}

CSenderList::CSenderList(const QString& text)
{
    for (const QString& entry : RuleEntries(text))
        m_entries.insert(entry.toCaseFolded());
}

bool CSenderList::Matches(QStringView name, QStringView uid) const
{
    if (m_entries.isEmpty())
        return false;
    return (!name.isEmpty() && m_entries.contains(name.toString().toCaseFolded())) ||
           (!uid.isEmpty() && m_entries.contains(uid.toString()));
}

CKeywordList::CKeywordList(const QString& listName, const QString& text, bool regex)
{
    const QStringList lines = text.split(u'\n');
    QStringList plain;
    for (int i = 0; i < lines.size(); ++i) {
        const QString entry = lines[i].trimmed();
        if (entry.isEmpty())
            continue;
        if (!regex) {
            plain.push_back(QRegularExpression::escape(entry));
            continue;
        }
        // Each on its own, so that one expression's groups and back-references stay its own.
        QRegularExpression expression(entry, QRegularExpression::CaseInsensitiveOption);
        if (!expression.isValid()) {
            m_problems.push_back({listName, i + 1, entry, expression.errorString()});
            continue;
        }
        expression.optimize();
        m_expressions.push_back(std::move(expression));
    }
    if (!plain.isEmpty()) {
        // One pass over the text for any number of keywords.
        m_plain = QRegularExpression(plain.join(u'|'), QRegularExpression::CaseInsensitiveOption);
        m_plain.optimize();
    }
}

bool CKeywordList::Matches(QStringView text) const
{
    if (!m_plain.pattern().isEmpty() && m_plain.match(text).hasMatch())
        return true;
    for (const QRegularExpression& expression : m_expressions)
        if (expression.match(text).hasMatch())
            return true;
    return false;
}

}  // namespace zandrel

#include "speech/SpeechText.h"

#include <QRegularExpression>

namespace zandrel {

QString SpokenText(const QString& pattern, const QString& name, const QString& text, int maxTextLength)
{
    static const QRegularExpression kUnspoken(QStringLiteral(R"((?:https?://\S*)|\[表情\])"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString said = text;
    said.replace(kUnspoken, QStringLiteral(" "));
    said = said.simplified();
    if (maxTextLength > 0 && said.size() > maxTextLength) {
        qsizetype keep = maxTextLength;
        if (said[keep - 1].isHighSurrogate())
            --keep;
        said.truncate(keep);
    }
    const bool wantsText = pattern.contains(QLatin1String("{text}"));
    if (wantsText && said.isEmpty())
        return {};
    QString out = pattern;
    out.replace(QLatin1String("{name}"), name.simplified());
    out.replace(QLatin1String("{text}"), said);
    return out.trimmed();
}

}  // namespace zandrel

#include "speech/SpeechVoices.h"

#include <algorithm>
#include <tuple>

#include <QSet>

namespace zandrel {
namespace {

// The voice's own name and its variant: espeak-ng's variants are "Voice+Variant".
struct NameParts {
    QString base;
    QString variant;
};

NameParts splitName(const QString& name)
{
    const qsizetype plus = name.indexOf(QLatin1Char('+'));
    if (plus <= 0)
        return {name, QString()};
    return {name.left(plus), name.mid(plus + 1)};
}

bool mentions(const QString& text, std::initializer_list<const char16_t*> words)
{
    return std::any_of(words.begin(), words.end(), [&](const char16_t* word) {
        return text.contains(QString::fromUtf16(word), Qt::CaseInsensitive);
    });
}

// A name the engine gave, as one line of at most kMaxVoiceLabelName characters: control and
// format characters would break the list's line or hide what follows them.
QString printable(const QString& text)
{
    QString out;
    out.reserve(std::min(text.size(), kMaxVoiceLabelName + 1));
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        const bool hidden = category == QChar::Other_Control || category == QChar::Other_Format ||
                            category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
        out.append(hidden ? QChar(u' ') : c);
        if (out.size() > 4 * kMaxVoiceLabelName)
            break;  // what is cut below need not be copied
    }
    out = out.simplified();
    if (out.size() > kMaxVoiceLabelName) {
        qsizetype keep = kMaxVoiceLabelName - 1;
        if (out[keep - 1].isHighSurrogate())
            --keep;
        out.truncate(keep);
        out.append(QChar(u'…'));
    }
    return out;
}

// The language's name as the streamer reads it best: Chinese for Chinese, otherwise the language's
// own name ("Deutsch"); empty where the library could not read the language.
QString languageName(const EngineVoice& voice, ChineseSpeech chinese)
{
    switch (chinese) {
    case ChineseSpeech::Mandarin:
        return QStringLiteral("普通话");
    case ChineseSpeech::Chinese:
        return QStringLiteral("中文");
    case ChineseSpeech::Cantonese:
        return QStringLiteral("粤语");
    case ChineseSpeech::Hakka:
        return QStringLiteral("客家话");
    case ChineseSpeech::None:
        break;
    }
    const QLocale::Language language = voice.locale.language();
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return {};
    const QString native = voice.locale.nativeLanguageName();
    return native.isEmpty() ? QLocale::languageToString(language) : native;
}

// "普通话 · Chinese (Mandarin, latin as English) · Alicia", "Deutsch · Anna"; the language is left
// out where the voice's name begins with it already, in its own or in English ("English (America)",
// "German": espeak-ng's names).
QString label(const EngineVoice& voice, ChineseSpeech chinese)
{
    const NameParts parts = splitName(voice.name);
    const QString base = printable(parts.base);
    QString out = languageName(voice, chinese);
    const bool named = chinese == ChineseSpeech::None &&
                       (base.startsWith(out, Qt::CaseInsensitive) ||
                        base.startsWith(QLocale::languageToString(voice.locale.language()), Qt::CaseInsensitive));
    if (out.isEmpty() || named)
        out = base;
    else
        out += QStringLiteral(" · ") + base;
    if (!parts.variant.isEmpty())
        out += QStringLiteral(" · ") + printable(parts.variant);
    return out;
}

struct Ranked {
    qsizetype index;
    ChineseSpeech chinese;
    bool variant;
    auto Key() const { return std::tuple(chinese == ChineseSpeech::None, variant, chinese); }
};

// The voices in the list's order, each name once.
std::vector<Ranked> ranked(const std::vector<EngineVoice>& voices)
{
    std::vector<Ranked> out;
    out.reserve(voices.size());
    QSet<QString> seen;
    for (qsizetype i = 0; i < static_cast<qsizetype>(voices.size()); ++i) {
        const EngineVoice& voice = voices[static_cast<std::size_t>(i)];
        if (voice.name.isEmpty() || seen.contains(voice.name))
            continue;
        seen.insert(voice.name);
        out.push_back({i, ChineseSpeechOf(voice), !splitName(voice.name).variant.isEmpty()});
    }
    std::stable_sort(out.begin(), out.end(), [](const Ranked& a, const Ranked& b) { return a.Key() < b.Key(); });
    return out;
}

}  // namespace

ChineseSpeech ChineseSpeechOf(const EngineVoice& voice)
{
    const QString base = splitName(voice.name).base;
    if (mentions(base, {u"mandarin", u"普通话", u"國語", u"国语"}))
        return ChineseSpeech::Mandarin;
    if (mentions(base, {u"cantonese", u"粤语", u"粵語", u"广东话", u"廣東話"}))
        return ChineseSpeech::Cantonese;
    if (mentions(base, {u"hakka", u"客家"}))
        return ChineseSpeech::Hakka;
    switch (voice.locale.language()) {
    case QLocale::Chinese:
        return ChineseSpeech::Chinese;
    case QLocale::Cantonese:
        return ChineseSpeech::Cantonese;
    default:
        break;
    }
    if (mentions(base, {u"chinese", u"中文", u"汉语", u"漢語"}))
        return ChineseSpeech::Chinese;
    return ChineseSpeech::None;
}

SpeechVoices ListedVoices(const std::vector<EngineVoice>& voices)
{
    const std::vector<Ranked> order = ranked(voices);
    SpeechVoices out;
    out.reserve(std::min(static_cast<qsizetype>(order.size()), kMaxListedVoices));
    for (const Ranked& entry : order) {
        if (out.size() == kMaxListedVoices)
            break;
        const EngineVoice& voice = voices[static_cast<std::size_t>(entry.index)];
        out.push_back({voice.name, label(voice, entry.chinese)});
    }
    return out;
}

QString DefaultVoice(const std::vector<EngineVoice>& voices, const QString& engineDefault)
{
    const std::vector<Ranked> order = ranked(voices);
    if (order.empty())
        return {};
    const Ranked& first = order.front();
    const bool ownListed = std::any_of(voices.begin(), voices.end(),
                                       [&](const EngineVoice& voice) { return voice.name == engineDefault; });
    if (first.chinese != ChineseSpeech::None || engineDefault.isEmpty() || !ownListed)
        return voices[static_cast<std::size_t>(first.index)].name;
    return engineDefault;
}

}  // namespace zandrel

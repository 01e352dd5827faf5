#include "app/Translations.h"

#include <cstdio>

#include <QCoreApplication>
#include <QLibraryInfo>

namespace zandrel {

CTranslations::CTranslations(const QLocale& locale)
{
    // The user's first language for messages (LANGUAGE, LC_MESSAGES or LANG, as Qt reads them).
    if (!locale.uiLanguages().value(0).startsWith(QLatin1String("zh")))
        return;
    // Qt's from the system's translations (Debian's qt6-translations-l10n); the program's built in.
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), qtFolder))
        m_qtInstalled = QCoreApplication::installTranslator(&m_qt);
    else
        std::fprintf(stderr, "zandrel: no Chinese for Qt's own texts in %s\n", qPrintable(qtFolder));
    if (m_own.load(QStringLiteral(":/i18n/zandrel_zh_CN.qm")))
        m_ownInstalled = QCoreApplication::installTranslator(&m_own);
}

CTranslations::~CTranslations()
{
    if (m_ownInstalled)
        QCoreApplication::removeTranslator(&m_own);
    if (m_qtInstalled)
        QCoreApplication::removeTranslator(&m_qt);
}

}  // namespace zandrel

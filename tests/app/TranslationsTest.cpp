// One language: Chinese for Qt's own texts and the program's English ones where the user's
// language is Chinese, English elsewhere.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

#include "app/Translations.h"
#include "app/ZandrelDlg.h"

namespace zandrel {
namespace {

QString qtOk() { return QCoreApplication::translate("QPlatformTheme", "OK"); }

TEST(Translations, ChineseWhereTheUserSpeaksItEnglishElsewhere)
{
    struct Case {
        const char* locale;
        QString ok;
        QString about;
    };
    const Case cases[] = {
        {"zh_CN", QStringLiteral("确定"), QStringLiteral("关于 Zandrel(&A)...")},
        {"zh_TW", QStringLiteral("確定"), QStringLiteral("关于 Zandrel(&A)...")},
        {"en_US", QStringLiteral("OK"), QStringLiteral("&About Zandrel...")},
        {"de_DE", QStringLiteral("OK"), QStringLiteral("&About Zandrel...")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        {
            const CTranslations translations{QLocale(QString::fromLatin1(c.locale))};
            EXPECT_EQ(qtOk(), c.ok);
            EXPECT_EQ(CZandrelDlg::AboutMenuText(), c.about);
        }
        // Gone with the object.
        EXPECT_EQ(qtOk(), QStringLiteral("OK"));
        EXPECT_EQ(CZandrelDlg::AboutMenuText(), QStringLiteral("&About Zandrel..."));
    }
}

}  // namespace
}  // namespace zandrel

// The about box names the build's whole version, the one --version and the package give, in the
// user's language.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLocale>

#include "app/AboutDlg.h"
#include "app/Translations.h"

namespace zandrel {
namespace {

TEST(AboutDlg, NamesTheBuildsWholeVersion)
{
    const QString version = QStringLiteral(ZANDREL_VERSION);  // the project's, as CMake has it
    struct Case {
        const char* locale;
        QString line;
    };
    const Case cases[] = {
        {"en_US", QStringLiteral("Zandrel, Version ") + version},
        {"zh_CN", QStringLiteral("Zandrel，版本 ") + version},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const CTranslations translations{QLocale(QString::fromLatin1(c.locale))};
        const CAboutDlg box;
        const QLabel* line = nullptr;
        for (const QLabel* label : box.findChildren<QLabel*>()) {
            if (label->text().startsWith(QLatin1String("Zandrel")))
                line = label;
        }
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text().toStdString(), c.line.toStdString());
        // Whole on the box too: not cut at the label's edge.
        EXPECT_LE(line->sizeHint().width(), line->width());
    }
}

}  // namespace
}  // namespace zandrel

// The read-aloud page says in Chinese what the templates' placeholders are read as: beside the
// fields, and on each field.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "app/AppSettings.h"
#include "app/SpeechPage.h"

namespace zandrel {
namespace {

bool ExplainsPlaceholders(const QString& text)
{
    return text.contains(QStringLiteral("{name} 读作")) && text.contains(QStringLiteral("昵称")) &&
           text.contains(QStringLiteral("{text} 读作"));
}

TEST(SpeechTemplateHelp, ThePlaceholdersAreExplainedInChinese)
{
    CSpeechPage page{AppSettings{}};
    bool beside = false;
    for (const QLabel* label : page.findChildren<QLabel*>())
        beside = beside || (label->isVisibleTo(&page) && ExplainsPlaceholders(label->text()));
    EXPECT_TRUE(beside);
    for (const QLineEdit* field : {&page.ChatTemplate(), &page.GiftTemplate()}) {
        SCOPED_TRACE(field->placeholderText().toStdString());
        EXPECT_TRUE(ExplainsPlaceholders(field->toolTip())) << field->toolTip().toStdString();
    }
}

}  // namespace
}  // namespace zandrel

// The command line: where the lookup goes, and how much is logged.

#include <gtest/gtest.h>

#include <QStringList>

#include "app/AppOptions.h"

namespace zandrel {
namespace {

struct OptionsCase {
    QStringList arguments;
    bool ok;
    QString host;
    bool quiet;
};

TEST(AppOptions, LookupHostAndQuiet)
{
    qunsetenv("ZANDREL_LOOKUP_HOST");
    const OptionsCase cases[] = {
        {{"zandrel"}, true, "127.0.0.1:8090", false},
        {{"zandrel", "--quiet"}, true, "127.0.0.1:8090", true},
        {{"zandrel", "--lookup-host", "chat.example:81", "--quiet"}, true, "chat.example:81", true},
        {{"zandrel", "--lookup-host", "not a host"}, false, "", false},
        {{"zandrel", "--no-such-option"}, false, "", false},
    };
    for (const OptionsCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        AppOptions options;
        QString error;
        EXPECT_EQ(ParseAppOptions(c.arguments, options, error), c.ok);
        EXPECT_EQ(error.isEmpty(), c.ok);
        if (c.ok) {
            EXPECT_EQ(options.lookupHost, c.host);
            EXPECT_EQ(options.quiet, c.quiet);
        }
    }
}

}  // namespace
}  // namespace zandrel

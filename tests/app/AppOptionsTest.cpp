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
    bool verbose;
};

// Quiet unless asked: a notice per line is a developer's aid. --quiet, which scripts pass, stays.
TEST(AppOptions, LookupHostAndVerbose)
{
    qunsetenv("ZANDREL_LOOKUP_HOST");
    const OptionsCase cases[] = {
        {{"zandrel"}, true, "127.0.0.1:8090", false},
        {{"zandrel", "--quiet"}, true, "127.0.0.1:8090", false},
        {{"zandrel", "--verbose"}, true, "127.0.0.1:8090", true},
        {{"zandrel", "--lookup-host", "chat.example:81", "--quiet"}, true, "chat.example:81", false},
        {{"zandrel", "--lookup-host", "chat.example:81", "--verbose"}, true, "chat.example:81", true},
        {{"zandrel", "--verbose", "--quiet"}, false, "", false},
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
            EXPECT_EQ(options.verbose, c.verbose);
        }
    }
}

}  // namespace
}  // namespace zandrel

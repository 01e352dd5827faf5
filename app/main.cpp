#include <cstdlib>

#include "app/AppOptions.h"
#include "app/PlatformChoice.h"
#include "app/ZandrelApp.h"

int main(int argc, char** argv)
{
    // The usage and the version need no window system: answered before the GUI starts.
    if (zandrel::AsksForUsageOrVersion(argc, argv))
        return zandrel::ShowUsageOrVersion(argc, argv);
    // So do commands for the instance that runs already; one that finds none may start it.
    if (zandrel::AsksForInstanceCommand(argc, argv)) {
        if (const int exitCode = zandrel::SendInstanceCommand(argc, argv); exitCode != zandrel::kStartTheProgram)
            return exitCode;
    }
    if (const auto platform = zandrel::PreferredPlatform(zandrel::CurrentPlatformEnvironment(argc, argv)))
        setenv("QT_QPA_PLATFORM", platform->c_str(), 1);  // before Qt reads it
    zandrel::CZandrelApp app(argc, argv);
    return app.Run();
}
